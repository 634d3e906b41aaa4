#include "panel/pages/listview.h"

#include <commctrl.h>

#include <algorithm>

#include "panel/app/windowdpi.h"
#include "panel/dpiscale.h"

void CListView::Attach(HWND list) {
  hwnd_ = list;
  dpi_ = app::WindowDpi(list);
}

void CListView::AddExtendedStyle(DWORD style) {
  ListView_SetExtendedListViewStyleEx(hwnd_, style, style);
}

void CListView::InsertColumn(int column, const std::wstring& title, int width) {
  // Widths are given for the usual 8-point dialog font (4 dialog units are
  // 6 pixels); a larger font gets wider columns, so titles keep their room.
  RECT units{4, 0, 0, 0};
  if (MapDialogRect(GetParent(hwnd_), &units) && units.left > 6)
    width = MulDiv(width, units.left, 6);
  LVCOLUMNW info{};
  info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  info.pszText = const_cast<wchar_t*>(title.c_str());
  info.cx = width;
  info.iSubItem = column;
  const auto inserted = SendMessageW(hwnd_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                                     reinterpret_cast<LPARAM>(&info));
  if (inserted >= 0)
    widths_.insert(widths_.begin() + std::min<LRESULT>(inserted, widths_.size()), width);
}

void CListView::FitLastColumn() {
  if (widths_.empty()) return;
  fitted_ = true;
  RECT client;
  GetClientRect(hwnd_, &client);
  int others = 0;
  for (std::size_t column = 0; column + 1 < widths_.size(); ++column)
    others += ListView_GetColumnWidth(hwnd_, static_cast<int>(column));
  // Never narrower than a few characters' room: then scrolling is better.
  const int kLeast = dpiscale::Scale(60, dpi_);
  const int room = static_cast<int>(client.right) - others;
  const int width = std::min(widths_.back(), std::max(room, kLeast));
  const int last = static_cast<int>(widths_.size()) - 1;
  if (ListView_GetColumnWidth(hwnd_, last) != width) ListView_SetColumnWidth(hwnd_, last, width);
}

void CListView::SetDpi(UINT dpi) {
  if (hwnd_ == nullptr || dpi == dpi_) return;
  for (std::size_t column = 0; column < widths_.size(); ++column) {
    const int index = static_cast<int>(column);
    widths_[column] = dpiscale::Rescale(widths_[column], dpi_, dpi);
    ListView_SetColumnWidth(hwnd_, index,
                            dpiscale::Rescale(ListView_GetColumnWidth(hwnd_, index), dpi_, dpi));
  }
  dpi_ = dpi;
  if (fitted_) FitLastColumn();
}

int CListView::InsertRow(int row, const std::wstring& text, LPARAM data) {
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = row;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  item.lParam = data;
  return static_cast<int>(SendMessageW(hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void CListView::SetText(int row, int column, const std::wstring& text) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(hwnd_, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::wstring CListView::Text(int row, int column) const {
  wchar_t buffer[512] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = static_cast<int>(sizeof buffer / sizeof buffer[0]);
  SendMessageW(hwnd_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return buffer;
}

LPARAM CListView::ItemData(int row) const {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageW(hwnd_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
  return item.lParam;
}

int CListView::Count() const {
  return static_cast<int>(SendMessageW(hwnd_, LVM_GETITEMCOUNT, 0, 0));
}

void CListView::DeleteAll() { SendMessageW(hwnd_, LVM_DELETEALLITEMS, 0, 0); }

int CListView::SelectedRow() const {
  return static_cast<int>(
      SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void CListView::SelectAndFocus(int row) {
  ListView_SetItemState(hwnd_, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(hwnd_, row, FALSE);
}

bool CListView::IsChecked(int row) const { return ListView_GetCheckState(hwnd_, row) != 0; }

void CListView::SetChecked(int row, bool checked) {
  ListView_SetCheckState(hwnd_, row, checked ? TRUE : FALSE);
}
