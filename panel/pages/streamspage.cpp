#include "panel/pages/streamspage.h"

#include <commctrl.h>

#include "panel/app/resstrings.h"
#include "panel/driverdata.h"
#include "panel/drivertext.h"

namespace {
CDriverData& Driver() { return CDriverData::Instance(); }
}  // namespace

void CStreamsPage::OnInitDialog() {
  list_.Attach(Item(IDC_STREAM_LIST));
  list_.InsertColumn(0, app::LoadResString(IDS_COLUMN_DEVICE_NAME), 140);
  list_.InsertColumn(1, app::LoadResString(IDS_COLUMN_AUDIO_OUT), 90);
  list_.InsertColumn(2, app::LoadResString(IDS_COLUMN_AUDIO_IN), 90);
  list_.InsertColumn(3, app::LoadResString(IDS_COLUMN_SYNCH_OUT), 90);
  list_.InsertColumn(4, app::LoadResString(IDS_COLUMN_SYNCH_IN), 90);
  list_.AddExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
}

void CStreamsPage::DoDataExchange(app::DataExchange& exchange) {
  exchange.Text(IDC_STREAM_DETAIL, detail_);
}

void CStreamsPage::FillList() {
  if (Handle() == nullptr) return;
  CDriverData& driver = Driver();
  detail_.clear();
  list_.DeleteAll();
  if (driver.LoadDevices() == 0) {
    for (std::size_t i = 0; i < driver.devices.size(); ++i) {
      const DeviceInfo& device = *driver.devices[i];
      // By id: the Synchronisation page reloads `devices` on every fill.
      const int row = list_.InsertRow(static_cast<int>(i), app::FromAnsi(NameText(device.name)),
                                      static_cast<LPARAM>(device.deviceId));
      DeviceStreams streams{};
      if (driver.GetDeviceStreams(device.deviceId, &streams) != 0) continue;
      for (int plug = 0; plug < kPlugCount; ++plug)
        list_.SetText(row, plug + 1, app::FromAnsi(PlugCellText(streams.plugs[plug])));
    }
  }
  UpdateData(false);
}

void CStreamsPage::ShowDetail() {
  CDriverData& driver = Driver();
  detail_.clear();
  const int row = list_.SelectedRow();
  DeviceStreams streams{};
  // A unit that has gone since the fill has no streams to show.
  if (row >= 0 &&
      driver.GetDeviceStreams(static_cast<std::uint32_t>(list_.ItemData(row)), &streams) == 0)
    detail_ = app::FromAnsi(StreamsDetailText(streams));
  UpdateData(false);
}

LRESULT CStreamsPage::OnNotify(const NMHDR& header) {
  if (header.idFrom == IDC_STREAM_LIST && header.code == LVN_ITEMCHANGED) ShowDetail();
  return 0;
}

bool CStreamsPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  // The states change while streaming starts and stops: read them afresh
  // each time the page comes up.
  if (message == WM_SHOWWINDOW && wParam != FALSE) FillList();
  return CPanelPage::HandleMessage(message, wParam, lParam, result);
}
