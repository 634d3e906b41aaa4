#include "panel/pages/syncpage.h"

#include <commctrl.h>

#include <algorithm>

#include "panel/app/framewindow.h"
#include "panel/app/messagebox.h"
#include "panel/app/resstrings.h"
#include "panel/driverdata.h"
#include "panel/drivertext.h"
#include "panel/pagerules.h"
#include "panel/pages/syncmodedlg.h"
#include "windows/accessiblename.h"

namespace {
CDriverData& Driver() { return CDriverData::Instance(); }

std::wstring MasterKindText(std::uint32_t kind) {
  if (kind == kClockMasterPc) return app::LoadResString(IDS_INTERNAL);
  if (kind == kClockMasterDevice) return app::LoadResString(IDS_EXTERNAL);
  return {};
}
}  // namespace

void CSyncPage::OnInitDialog() {
  OnCommandId(IDC_RATE_MANUAL, [this] { OnRateModeClicked(); });
  OnCommandId(IDC_RATE_AUTOMATIC, [this] { OnRateModeClicked(); });
  OnCommandId(IDC_SOURCES_APPLY, [this] { ApplySources(); });
  OnCommandId(IDC_RATE_APPLY, [this] { ApplyRate(); });
  OnCommandId(IDC_CHANGE_MODE, [this] { ChangeMode(); });
  SetAccessibleName(Item(IDC_SOURCES_APPLY), "Apply synchronisation settings");
  SetAccessibleName(Item(IDC_RATE_APPLY), "Apply sampling rate");

  list_.Attach(Item(IDC_SYNC_LIST));
  list_.AddExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  list_.InsertColumn(0, app::LoadResString(IDS_COLUMN_CLOCK_MASTER), 70);
  list_.InsertColumn(1, app::LoadResString(IDS_COLUMN_DEVICES), 160);
  list_.InsertColumn(2, app::LoadResString(IDS_COLUMN_SOURCE), 250);
  FillList();
  FillRates();
  ready_ = true;
}

void CSyncPage::DoDataExchange(app::DataExchange& exchange) {
  exchange.Radio(IDC_RATE_MANUAL, 2, radio_);
}

void CSyncPage::OnRefresh() {
  if (Handle() == nullptr) return;
  FillList();
  FillRates();
}

void CSyncPage::FillList() {
  if (Handle() == nullptr) return;
  CDriverData& driver = Driver();
  ready_ = false;
  const int selected = list_.SelectedRow();
  checkedRow_ = -1;
  list_.DeleteAll();
  if (driver.LoadDevices() == 0 && driver.LoadSyncInfo() == 0 && !driver.devices.empty()) {
    list_.InsertRow(0, L"", kPcDriverRow);
    list_.SetText(0, 1, app::LoadResString(IDS_PC_DRIVER));
    if (driver.GetClockMaster(&driver.clockMaster) == 0) ShowMasterKind();
    if (driver.clockMaster.kind == kClockMasterPc) {
      list_.SetChecked(0, true);
      checkedRow_ = 0;
    }
    // The two lists come from two requests, and a unit may arrive or leave
    // between them: a row pairs a device with its own record, by id.
    for (std::size_t i = 0; i < driver.devices.size(); ++i) {
      const DeviceInfo& device = *driver.devices[i];
      const SyncInfo* sync = RecordOf(driver.syncInfos, device.deviceId);
      if (sync == nullptr) continue;
      // By id, not position: other pages reload `devices`.
      const int row = list_.InsertRow(list_.Count(), L"", static_cast<LPARAM>(device.deviceId));
      list_.SetText(row, 1, app::FromAnsi(NameText(device.name)));
      list_.SetText(row, 2, app::FromAnsi(DescribeSource(sync->current)));
      if (driver.clockMaster.kind == kClockMasterDevice &&
          device.deviceId == driver.clockMaster.deviceId) {
        list_.SetChecked(row, true);
        checkedRow_ = row;
      }
    }
  }
  list_.FitLastColumn();
  if (selected >= 0 && selected < list_.Count()) list_.SelectAndFocus(selected);
  std::uint32_t mode = 0;
  if (driver.GetRateMode(&mode) == 0) driver.rateMode = mode;
  UpdateControls();
  // The rows show the driver's clock and sources again: nothing is pending.
  EnableItem(IDC_SOURCES_APPLY, false);
  ready_ = true;
}

void CSyncPage::FillRates() {
  if (Handle() == nullptr) return;
  CDriverData& driver = Driver();
  HWND combo = Item(IDC_RATE_COMBO);
  if (driver.GetRateInfo(&driver.rateInfo) == 0) {
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    const std::uint32_t count = std::min(driver.rateInfo.rateCount, kMaxRates);
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::wstring text = app::FromAnsi(RateItemText(driver.rateInfo.rates[i]));
      const LRESULT item =
          SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
      if (item >= 0)
        SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(item), driver.rateInfo.rates[i]);
    }
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(CurrentRateIndex(driver.rateInfo)), 0);
  }
  UpdateRateCombo();
  EnableItem(IDC_RATE_APPLY, false);
}

void CSyncPage::ShowMasterKind() {
  if (list_.Count() > 0) list_.SetText(0, 2, MasterKindText(Driver().clockMaster.kind));
}

// The controls that follow the clock master and the rate mode.
void CSyncPage::UpdateControls() {
  radio_ = Driver().rateMode != 0 ? 1 : 0;
  UpdateData(false);
  // Only a device can set the rate; the PC driver's is always set by hand.
  const bool deviceMaster = Driver().clockMaster.kind == kClockMasterDevice;
  EnableItem(IDC_RATE_MANUAL, deviceMaster);
  EnableItem(IDC_RATE_AUTOMATIC, deviceMaster);
  UpdateRateCombo();
  EnableItem(IDC_CHANGE_MODE, list_.SelectedRow() > 0);
}

void CSyncPage::UpdateRateCombo() {
  HWND combo = Item(IDC_RATE_COMBO);
  const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  if (count > 0 && SendMessageW(combo, CB_GETCURSEL, 0, 0) < 0)
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
  EnableItem(IDC_RATE_COMBO, count > 0 && Driver().rateMode != 1);
}

void CSyncPage::OnListChanged(int row) {
  CDriverData& driver = Driver();
  if (ready_ && row >= 0 && row < list_.Count()) {
    ready_ = false;
    const ClockMasterCheck check = CheckClockMasterRow(row, list_.IsChecked(row), checkedRow_);
    if (check.uncheckOthers)
      for (int other = 0; other < list_.Count(); ++other)
        if (other != row) list_.SetChecked(other, false);
    if (check.checkAgain) list_.SetChecked(row, true);
    if (check.choiceChanged) EnableItem(IDC_SOURCES_APPLY, true);
    checkedRow_ = check.checkedRow < list_.Count() ? check.checkedRow : -1;
    if (checkedRow_ >= 0) {
      if (ChooseClockMaster(list_.ItemData(checkedRow_), driver.devices, &driver.clockMaster,
                            &driver.rateMode))
        ShowMasterKind();
      else
        // The row's unit is gone: the page shows the units as they are now.
        // Not from inside the list's own notification, which deleting its
        // rows would pull the ground from under.
        PostMessageW(Handle(), kRefreshLater, 0, 0);
    }
    ready_ = true;
  }
  UpdateControls();
}

void CSyncPage::OnRateModeClicked() {
  UpdateData(true);
  Driver().rateMode = radio_ != 0 ? 1 : 0;
  EnableItem(IDC_RATE_COMBO,
             Driver().rateMode == 0 && SendMessageW(Item(IDC_RATE_COMBO), CB_GETCOUNT, 0, 0) > 0);
  EnableItem(IDC_SOURCES_APPLY, true);
}

void CSyncPage::ApplySources() {
  CDriverData& driver = Driver();
  // The driver changes clock and sources only while nothing streams.
  const auto stopped = driver.StopStreaming();
  if (stopped != 0) {
    // Nothing was sent: the choice stays pending and "Apply" stays enabled
    // so that the user can try again.
    const std::wstring error = app::FromAnsi(DescribeError(stopped));
    ShowWarning(app::Format(app::LoadResString(IDS_STOP_STREAMING_FAILED).c_str(), error.c_str()));
    return;
  }
  // The first refusal is the one shown; the others are tried all the same.
  qdl::DriverStatus refused = driver.SetClockMaster(driver.clockMaster);
  const qdl::DriverStatus mode = driver.SetRateMode(driver.rateMode);
  if (refused == 0) refused = mode;
  const qdl::DriverStatus sources = driver.StoreSyncSources();
  if (refused == 0) refused = sources;
  ReportFailure("Synchronisation", refused);
  driver.StartStreaming();
  FillList();
  FillRates();
}

void CSyncPage::ApplyRate() {
  CDriverData& driver = Driver();
  HWND combo = Item(IDC_RATE_COMBO);
  const LRESULT item = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  if (item >= 0) {
    const auto rate = static_cast<std::uint32_t>(
        SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(item), 0));
    driver.rateInfo.currentRate = rate;
    const qdl::DriverStatus status = ReportFailure("Sampling rate", driver.SetSampleRate(rate));
    if (status == qdl::kDriverWdmDeviceInUse) ShowWarning(app::LoadResString(IDS_WDM_IN_USE));
  }
  FillList();
  FillRates();
}

void CSyncPage::ShowWarning(const std::wstring& text) {
  app::ShowMessageBox(Handle(), text, app::LoadResString(IDS_APP_NAME), MB_OK | MB_ICONEXCLAMATION);
}

void CSyncPage::ChangeMode() {
  CDriverData& driver = Driver();
  const int row = list_.SelectedRow();
  if (row < 0 || list_.ItemData(row) == kPcDriverRow) return;
  const auto deviceId = static_cast<std::uint32_t>(list_.ItemData(row));
  const SyncInfo* sync = RecordOf(driver.syncInfos, deviceId);
  if (sync == nullptr) {
    Refresh();
    return;
  }
  CSyncModeDlg dialog(*sync);
  if (dialog.DoModal(GetAncestor(Handle(), GA_ROOT)) != IDOK) return;
  // A driver notification handled while the dialog was open reloads the
  // records and the list: the device is looked up again, and a device that
  // has gone takes nothing.
  SyncInfo* now = RecordOf(driver.syncInfos, deviceId);
  const int shown = RowOfDevice(deviceId);
  if (now == nullptr || shown < 0) {
    Refresh();
    return;
  }
  // The driver hears of the new source only with the sources "Apply". The
  // mode list stays as the driver last gave it.
  now->current = dialog.Info().current;
  ready_ = false;
  list_.SetText(shown, 2, app::FromAnsi(DescribeSource(now->current)));
  ready_ = true;
  EnableItem(IDC_SOURCES_APPLY, true);
}

int CSyncPage::RowOfDevice(std::uint32_t deviceId) const {
  for (int row = 0; row < list_.Count(); ++row)
    if (list_.ItemData(row) != kPcDriverRow &&
        static_cast<std::uint32_t>(list_.ItemData(row)) == deviceId)
      return row;
  return -1;
}

LRESULT CSyncPage::OnNotify(const NMHDR& header) {
  if (header.idFrom != IDC_SYNC_LIST) return 0;
  if (header.code == LVN_ITEMCHANGED)
    OnListChanged(reinterpret_cast<const NMLISTVIEW&>(header).iItem);
  if (header.code == NM_DBLCLK) ChangeMode();
  return 0;
}

bool CSyncPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == kRefreshLater) {
    Refresh();
    result = 0;
    return true;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDC_RATE_COMBO &&
      HIWORD(wParam) == CBN_SELCHANGE) {
    EnableItem(IDC_RATE_APPLY, true);
    result = 0;
    return true;
  }
  return CPanelPage::HandleMessage(message, wParam, lParam, result);
}
