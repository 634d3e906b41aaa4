#include "windows/reflect.h"

#include "windows/wwindow.h"

namespace {

bool IsComboBox(HWND hwnd) {
  char name[16] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return lstrcmpiA(name, "COMBOBOX") == 0;
}

}  // namespace

bool ReflectToChild(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  HWND child = reinterpret_cast<HWND>(lParam);
  if (!child || !IsWindow(child)) return false;  // a menu or accelerator command
  switch (msg) {
    case WM_COMMAND: {
      WWindow* win = WWindow::Get(child);
      if (!win) return false;
      WMessage record{msg, wParam, lParam, 0};
      win->OnCommand(HIWORD(wParam), record);
      *result = 0;
      return true;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      if (IsComboBox(child)) return false;
      *result = SendMessageA(child, msg, wParam, lParam);
      return true;
    default:
      return false;
  }
}
