#include "windows/wcombobox.h"

void WComboBox::OnCommand(int code, WMessage&) {
  if (code != CBN_SELCHANGE) return;
  const LRESULT selected = SendMessageA(HWnd, CB_GETCURSEL, 0, 0);
  SetInteger(selected == CB_ERR ? 0 : static_cast<std::int32_t>(selected));
  Refresh();
}

// Wine's combo box keeps every system key to itself, though it wants only
// Alt+Up and Alt+Down (they open and close its list): the others go on to the
// default procedure, which turns Alt+F4 into closing the top window.
bool WComboBox::HandleMessage(WMessage& msg) {
  if (msg.msg != WM_SYSKEYDOWN || msg.wParam == VK_UP || msg.wParam == VK_DOWN) return false;
  msg.result = DefWindowProcA(HWnd, msg.msg, msg.wParam, msg.lParam);
  return true;
}

void WComboBox::Refresh() {
  SendMessageA(HWnd, CB_SETCURSEL, static_cast<WPARAM>(GetInteger()), 0);
  Invalidate();
}

void WComboBox::AddString(const char* text) {
  SendMessageA(HWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}
