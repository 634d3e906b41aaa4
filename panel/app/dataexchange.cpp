#include "panel/app/dataexchange.h"

namespace app {

void DataExchange::Text(int id, std::wstring& value) {
  HWND control = GetDlgItem(dialog_, id);
  if (control == nullptr) return;
  if (!saving_) {
    SetWindowTextW(control, value.c_str());
    return;
  }
  const int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(control, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  value = text;
}

void DataExchange::Check(int id, int& value) {
  if (saving_)
    value = static_cast<int>(IsDlgButtonChecked(dialog_, id));
  else
    CheckDlgButton(dialog_, id, static_cast<UINT>(value));
}

void DataExchange::Radio(int firstId, int count, int& value) {
  if (!saving_) {
    for (int i = 0; i < count; ++i)
      CheckDlgButton(dialog_, firstId + i, i == value ? BST_CHECKED : BST_UNCHECKED);
    return;
  }
  value = -1;
  for (int i = 0; i < count; ++i)
    if (IsDlgButtonChecked(dialog_, firstId + i) == BST_CHECKED) value = i;
}

}  // namespace app
