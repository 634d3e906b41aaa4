#include "panel/pages/syncmodedlg.h"

#include <commctrl.h>

#include <algorithm>

#include "panel/app/resstrings.h"
#include "panel/drivertext.h"
#include "panel/pagerules.h"

void CSyncModeDlg::OnInitDialog() {
  list_.Attach(Item(IDC_SYNC_LIST));
  list_.AddExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  list_.InsertColumn(0, L"", 20);
  list_.InsertColumn(1, app::LoadResString(IDS_COLUMN_MODE), 290);
  const std::uint32_t count = std::min(info_.modeCount, kMaxSyncModes);
  for (std::uint32_t i = 0; i < count; ++i) {
    const int row = list_.InsertRow(static_cast<int>(i), L"", static_cast<LPARAM>(i));
    list_.SetText(row, 1, app::FromAnsi(DescribeSource(info_.modes[i])));
  }
  const int current = CurrentModeIndex(info_);
  if (current >= 0) list_.SetChecked(current, true);
  ready_ = true;
}

LRESULT CSyncModeDlg::OnNotify(const NMHDR& header) {
  if (header.idFrom == IDC_SYNC_LIST && header.code == LVN_ITEMCHANGED)
    OnRowChanged(reinterpret_cast<const NMLISTVIEW&>(header).iItem);
  return 0;
}

void CSyncModeDlg::OnRowChanged(int row) {
  if (!ready_ || row < 0 || row >= list_.Count()) return;
  // Exactly one mode is chosen: the row just touched.
  ready_ = false;
  if (!list_.IsChecked(row)) list_.SetChecked(row, true);
  for (int other = 0; other < list_.Count(); ++other)
    if (other != row) list_.SetChecked(other, false);
  ready_ = true;
  const LPARAM mode = list_.ItemData(row);
  if (mode >= 0 && static_cast<std::uint32_t>(mode) < std::min(info_.modeCount, kMaxSyncModes))
    info_.current = info_.modes[mode];
}
