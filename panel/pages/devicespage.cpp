#include "panel/pages/devicespage.h"

#include <commctrl.h>

#include <cstring>

#include "panel/app/resstrings.h"
#include "panel/app/statusbar.h"
#include "panel/driverdata.h"
#include "panel/drivertext.h"
#include "panel/namerules.h"
#include "panel/pages/devicenamedlg.h"
#include "panel/ranking.h"

namespace {
CDriverData& Driver() { return CDriverData::Instance(); }

// The status bar pane that shows the device count.
constexpr int kDeviceCountPane = 1;

const DeviceInfo* DeviceAt(LPARAM index) { return RecordAt(Driver().devices, index); }
}  // namespace

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
      InsertDeviceRow(static_cast<int>(i), i);
    }
  }
  if (selected >= 0 && selected < list_.Count()) list_.SelectAndFocus(selected);
  UpdateButtons();
  // The rows show the driver's ranking again: moves not applied are gone,
  // and there is nothing left to apply.
  EnableItem(IDC_RANKING_APPLY, false);
  ShowDeviceCount(driver.devices.size());
}

void CDevicesPage::InsertDeviceRow(int row, std::size_t index) {
  const DeviceInfo* device = DeviceAt(static_cast<LPARAM>(index));
  if (device == nullptr) return;
  const int at =
      list_.InsertRow(row, app::FromAnsi(NameText(device->name)), static_cast<LPARAM>(index));
  list_.SetText(at, 1, app::FromAnsi(SerialNumberText(*device)));
}

void CDevicesPage::ShowDeviceCount(std::size_t count) {
  const std::wstring text =
      app::Format(L"%i ", static_cast<int>(count)) + app::LoadResString(IDS_DEVICES_CONNECTED);
  HWND bar = GetDlgItem(GetAncestor(Handle(), GA_ROOT), app::kStatusBarId);
  if (bar != nullptr)
    SendMessageW(bar, SB_SETTEXTW, kDeviceCountPane, reinterpret_cast<LPARAM>(text.c_str()));
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
  const LPARAM index = list_.ItemData(row);
  // Without its record the row could not be put back.
  if (DeviceAt(index) == nullptr) return;
  SendMessageW(list_.Handle(), LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
  InsertDeviceRow(target, static_cast<std::size_t>(index));
  list_.SelectAndFocus(target);
  EnableItem(IDC_RANKING_APPLY, true);
}

void CDevicesPage::ApplyRanking() {
  CDriverData& driver = Driver();
  std::vector<std::size_t> order;
  for (int row = 0; row < list_.Count(); ++row)
    order.push_back(static_cast<std::size_t>(list_.ItemData(row)));
  RankInDisplayOrder(driver.devices, order);
  driver.StoreDevices();
  FillList();
  if (devicesChanged_) devicesChanged_();
}

void CDevicesPage::Rename() {
  const int row = list_.SelectedRow();
  const DeviceInfo* device = row >= 0 ? DeviceAt(list_.ItemData(row)) : nullptr;
  if (device == nullptr) return;
  CDeviceNameDlg dialog(*device);
  if (dialog.DoModal(GetAncestor(Handle(), GA_ROOT)) != IDOK) return;
  // A driver notification handled while the dialog was open reloads the
  // records: a unit may have gone and the ranks closed up behind it. Only the
  // name comes from the dialog, into the device's record as it is now.
  const DeviceInfo* current = RecordOf(Driver().devices, dialog.Device().deviceId);
  if (current == nullptr) return;
  DeviceInfo renamed = *current;
  std::memcpy(renamed.name, dialog.Device().name, sizeof renamed.name);
  Driver().SetDeviceInfo(renamed);
  FillList();
  if (devicesChanged_) devicesChanged_();
}

LRESULT CDevicesPage::OnNotify(const NMHDR& header) {
  if (header.idFrom != IDC_DEVICE_LIST) return 0;
  if (header.code == LVN_ITEMCHANGED) UpdateButtons();
  if (header.code == NM_DBLCLK) Rename();
  return 0;
}
