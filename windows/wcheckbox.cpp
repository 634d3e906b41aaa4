#include "windows/wcheckbox.h"

void WCheckBox::Refresh() {
  SendMessageA(HWnd, BM_SETCHECK, GetInteger() != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
  Invalidate();
}

void WCheckBox::OnClick() {
  SetInteger(GetInteger() == 0 ? 1 : 0);
  Refresh();
}
