#include "windows/accessiblename.h"

#include <commctrl.h>

#include <string>

#include "windows/waccessible.h"

namespace {

constexpr UINT_PTR kSubclassId = 0x4E414D45;  // "NAME"
constexpr char kProperty[] = "accessible name";

class FixedName : public AccessibleSource {
 public:
  explicit FixedName(std::string name) : name(std::move(name)) {}
  std::optional<std::string> AccName() override { return name; }

 private:
  std::string name;
};

AccessibleSource* NameOf(HWND hwnd) { return static_cast<FixedName*>(GetPropA(hwnd, kProperty)); }

LRESULT CALLBACK NamedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (msg == WM_GETOBJECT) {
    LRESULT result = 0;
    if (AnswerGetObject(hwnd, wParam, lParam, &NameOf, &result)) return result;
  } else if (msg == WM_NCDESTROY) {
    delete static_cast<FixedName*>(RemovePropA(hwnd, kProperty));
    RemoveWindowSubclass(hwnd, &NamedProc, kSubclassId);
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace

void SetAccessibleName(HWND control, const char* name) {
  if (!control || !name) return;
  delete static_cast<FixedName*>(RemovePropA(control, kProperty));
  SetPropA(control, kProperty, new FixedName(name));
  SetWindowSubclass(control, &NamedProc, kSubclassId, 0);
}
