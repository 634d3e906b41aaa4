#include "windows/wcombobox.h"

void WComboBox::OnCommand(int code, WMessage&) {
  if (code != CBN_SELCHANGE) return;
  const LRESULT selected = SendMessageA(HWnd, CB_GETCURSEL, 0, 0);
  SetInteger(selected == CB_ERR ? 0 : static_cast<std::int32_t>(selected));
  Refresh();
}

void WComboBox::Refresh() {
  SendMessageA(HWnd, CB_SETCURSEL, static_cast<WPARAM>(GetInteger()), 0);
  Invalidate();
}

void WComboBox::AddString(const char* text) {
  SendMessageA(HWnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}
