#include "panel/pages/devicespage.h"

#include <commctrl.h>

#include <cstring>

#include "panel/app/resstrings.h"
#include "panel/driverdata.h"
#include "panel/drivertext.h"
#include "panel/namerules.h"
#include "panel/pages/devicenamedlg.h"
#include "panel/ranking.h"
#include "platform/log.h"

namespace {
CDriverData& Driver() { return CDriverData::Instance(); }

// The status bar pane that shows the device count.
constexpr int kDeviceCountPane = 1;

}  // namespace

// Rows carry their device's id, not a position in `devices`: other pages
// reload that list, and a unit that left or failed to read in between would
// shift every position behind it.
const DeviceInfo* CDevicesPage::DeviceOfRow(int row) const {
  if (row < 0 || row >= list_.Count()) return nullptr;
  return RecordOf(Driver().devices, static_cast<std::uint32_t>(list_.ItemData(row)));
}

void CDevicesPage::OnInitDialog() {
  OnCommandId(IDC_EDIT_DEVICE_NAME, [this] { Rename(); });
  OnCommandId(IDC_UP, [this] { Move(-1); });
  OnCommandId(IDC_DOWN, [this] { Move(+1); });
  OnCommandId(IDC_RANKING_APPLY, [this] { ApplyRanking(); });

  list_.Attach(Item(IDC_DEVICE_LIST));
  list_.InsertColumn(0, app::LoadResString(IDS_COLUMN_DEVICE_NAME), 235);
  list_.InsertColumn(1, app::LoadResString(IDS_COLUMN_SERIAL_NUMBER), 220);
  list_.AddExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
  SetDlgItemTextW(Handle(), IDC_RANKING_HELP, app::LoadResString(IDS_RANKING_HELP).c_str());
  FillList();
}

void CDevicesPage::FillList() {
  if (Handle() == nullptr) return;
  CDriverData& driver = Driver();
  const int selected = list_.SelectedRow();
  list_.DeleteAll();
  if (driver.LoadDevices() == 0) {
    for (std::size_t i = 0; i < driver.devices.size(); ++i) {
      // The driver's answer is not awaited: the next fill shows what it kept.
      if (defaults_.NameDevice(*driver.devices[i])) driver.SetDeviceInfo(*driver.devices[i]);
      InsertDeviceRow(static_cast<int>(i), *driver.devices[i]);
    }
  }
  if (selected >= 0 && selected < list_.Count()) list_.SelectAndFocus(selected);
  UpdateButtons();
  // The rows show the driver's ranking again: moves not applied are gone,
  // and there is nothing left to apply.
  EnableItem(IDC_RANKING_APPLY, false);
  ShowDeviceCount(driver.devices.size());
}

void CDevicesPage::InsertDeviceRow(int row, const DeviceInfo& device) {
  const int at = list_.InsertRow(row, app::FromAnsi(NameText(device.name)),
                                 static_cast<LPARAM>(device.deviceId));
  list_.SetText(at, 1, app::FromAnsi(SerialNumberText(device)));
}

void CDevicesPage::ShowDeviceCount(std::size_t count) {
  const std::wstring text =
      app::Format(L"%i ", static_cast<int>(count)) + app::LoadResString(IDS_DEVICES_CONNECTED);
  ShowStatusText(kDeviceCountPane, text);
}

void CDevicesPage::UpdateButtons() {
  const RankingButtons buttons = RankingButtonsFor(list_.SelectedRow(), list_.Count());
  EnableItem(IDC_EDIT_DEVICE_NAME, buttons.rename);
  EnableItem(IDC_UP, buttons.up);
  EnableItem(IDC_DOWN, buttons.down);
  ShowWindow(Item(IDC_RANKING_HELP), buttons.help ? SW_SHOW : SW_HIDE);
}

void CDevicesPage::Move(int step) {
  const int row = list_.SelectedRow();
  if (row < 0) return;
  const int target = RankingMoveTarget(row, list_.Count(), step);
  if (target == row) return;
  // The driver hears of the new order only with "Apply".
  const DeviceInfo* device = DeviceOfRow(row);
  if (device == nullptr) {
    FillList();
    return;
  }
  SendMessageW(list_.Handle(), LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
  InsertDeviceRow(target, *device);
  list_.SelectAndFocus(target);
  EnableItem(IDC_RANKING_APPLY, true);
}

void CDevicesPage::ApplyRanking() {
  CDriverData& driver = Driver();
  std::vector<std::uint32_t> order;
  for (int row = 0; row < list_.Count(); ++row)
    order.push_back(static_cast<std::uint32_t>(list_.ItemData(row)));
  if (!RankInDisplayOrder(driver.devices, order)) {
    // The rows are of units as they were: the user orders them again.
    platform::Log("Ranking not sent: the units changed since the list was filled.\n");
    FillList();
    return;
  }
  ReportFailure("Ranking", driver.StoreDevices());
  FillList();
  if (devicesChanged_) devicesChanged_();
}

void CDevicesPage::Rename() {
  const DeviceInfo* device = DeviceOfRow(list_.SelectedRow());
  if (device == nullptr) {
    if (list_.SelectedRow() >= 0) FillList();
    return;
  }
  CDeviceNameDlg dialog(*device);
  if (dialog.DoModal(GetAncestor(Handle(), GA_ROOT)) != IDOK) return;
  // A driver notification handled while the dialog was open reloads the
  // records: a unit may have gone and the ranks closed up behind it. Only the
  // name comes from the dialog, into the device's record as it is now.
  const DeviceInfo* current = RecordOf(Driver().devices, dialog.Device().deviceId);
  if (current == nullptr) {
    FillList();
    return;
  }
  DeviceInfo renamed = *current;
  std::memcpy(renamed.name, dialog.Device().name, sizeof renamed.name);
  ReportFailure("Device name", Driver().SetDeviceInfo(renamed));
  FillList();
  if (devicesChanged_) devicesChanged_();
}

LRESULT CDevicesPage::OnNotify(const NMHDR& header) {
  if (header.idFrom != IDC_DEVICE_LIST) return 0;
  if (header.code == LVN_ITEMCHANGED) UpdateButtons();
  if (header.code == NM_DBLCLK) Rename();
  return 0;
}
