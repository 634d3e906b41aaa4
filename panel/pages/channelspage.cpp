#include "panel/pages/channelspage.h"

#include <commctrl.h>

#include "panel/app/resstrings.h"
#include "panel/driverdata.h"
#include "panel/drivertext.h"
#include "panel/namerules.h"
#include "panel/pages/channelnamedlg.h"

namespace {
CDriverData& Driver() { return CDriverData::Instance(); }
}  // namespace

void CChannelsPage::OnInitDialog() {
  OnCommandId(IDC_ASIO_NAME_MODE, [this] { OnAsioNameModeClicked(); });
  OnCommandId(IDC_EDIT_CHANNEL_NAME, [this] { Rename(); });

  list_.Attach(Item(IDC_CHANNEL_LIST));
  list_.InsertColumn(0, app::LoadResString(IDS_COLUMN_DEVICE_NAME), 160);
  list_.InsertColumn(1, app::LoadResString(IDS_COLUMN_CHANNEL_NAME), 160);
  list_.InsertColumn(2, app::LoadResString(IDS_COLUMN_ASIO_NAME), 180);
  list_.AddExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
  EnableItem(IDC_EDIT_CHANNEL_NAME, false);
  FillList();
}

void CChannelsPage::DoDataExchange(app::DataExchange& exchange) {
  exchange.Check(IDC_ASIO_NAME_MODE, asioNameCheck_);
  exchange.Text(IDC_HARDWARE_NAME, hardwareName_);
}

std::vector<std::unique_ptr<ChannelInfo>>& CChannelsPage::Channels() const {
  return direction_ == 0 ? Driver().inputChannels : Driver().outputChannels;
}

const ChannelInfo* CChannelsPage::ChannelOfRow(int row) const {
  return row < 0 ? nullptr : RecordAt(Channels(), list_.ItemData(row));
}

void CChannelsPage::FillList() {
  if (Handle() == nullptr) return;
  CDriverData& driver = Driver();
  // Read on every fill: a driver absent at start, or another program, may
  // have left it other than this page last showed.
  ReadAsioNameMode();
  const int selected = list_.SelectedRow();
  list_.DeleteAll();
  if (driver.LoadChannels(direction_) == 0) {
    auto& channels = Channels();
    const auto& fetchedIds = direction_ == 0 ? driver.inputChannelIds : driver.outputChannelIds;
    for (std::size_t i = 0; i < channels.size(); ++i) {
      ChannelInfo& channel = *channels[i];
      DeviceInfo device{};
      // A channel whose device cannot be read is left out; it still counts
      // for the numbering of default names.
      if (driver.GetDeviceInfo(channel.deviceId, &device) != 0) continue;
      const int row = list_.InsertRow(static_cast<int>(i), app::FromAnsi(NameText(device.name)),
                                      static_cast<LPARAM>(i));
      if (i < fetchedIds.size() &&
          defaults_.NameChannel(channel, fetchedIds[i], static_cast<int>(i))) {
        const ChannelInfo copy = channel;
        driver.SetChannelInfo(copy);
      }
      list_.SetText(row, 1, app::FromAnsi(NameText(channel.channelName)));
      list_.SetText(row, 2, L"");
    }
  }
  ComputeAsioNames();
  list_.FitLastColumn();
  if (selected >= 0 && selected < list_.Count()) list_.SelectAndFocus(selected);
  UpdateSelection();
}

void CChannelsPage::ComputeAsioNames() {
  if (Handle() == nullptr) return;
  for (int row = 0; row < list_.Count(); ++row)
    list_.SetText(row, 2,
                  AsioDisplayText(asioNameCheck_ != 0, list_.Text(row, 0), list_.Text(row, 1)));
}

void CChannelsPage::UpdateSelection() {
  const ChannelInfo* channel = ChannelOfRow(list_.SelectedRow());
  hardwareName_ = channel != nullptr ? L" " + app::FromAnsi(NameText(channel->hardwareName)) : L"";
  EnableItem(IDC_EDIT_CHANNEL_NAME, channel != nullptr);
  EnableItem(IDC_HARDWARE_NAME_LABEL, channel != nullptr);
  EnableItem(IDC_HARDWARE_NAME, channel != nullptr);
  UpdateData(false);
}

void CChannelsPage::ReadAsioNameMode() {
  CDriverData& driver = Driver();
  std::uint32_t mode = 0;
  if (driver.GetAsioNameMode(&mode) == 0) driver.asioNameMode = mode;
  asioNameCheck_ = driver.asioNameMode != 0 ? 1 : 0;
}

void CChannelsPage::OnAsioNameModeClicked() {
  UpdateData(true);
  CDriverData& driver = Driver();
  const std::uint32_t mode = asioNameCheck_ != 0 ? 1 : 0;
  if (ReportFailure("ASIO name mode", driver.SetAsioNameMode(mode)) == 0)
    driver.asioNameMode = mode;
  // Both pages show what the driver holds, whichever way the write went.
  ReadAsioNameMode();
  const int check = asioNameCheck_;
  ShowAsioNameMode(check);
  if (other_ != nullptr) other_->ShowAsioNameMode(check);
}

void CChannelsPage::ShowAsioNameMode(int check) {
  asioNameCheck_ = check;
  UpdateData(false);
  ComputeAsioNames();
}

void CChannelsPage::Rename() {
  const ChannelInfo* channel = ChannelOfRow(list_.SelectedRow());
  if (channel == nullptr) return;
  CChannelNameDlg dialog(*channel);
  if (dialog.DoModal(GetAncestor(Handle(), GA_ROOT)) != IDOK) return;
  ReportFailure("Channel name", Driver().SetChannelInfo(dialog.Channel()));
  FillList();
}

LRESULT CChannelsPage::OnNotify(const NMHDR& header) {
  if (header.idFrom != IDC_CHANNEL_LIST) return 0;
  if (header.code == LVN_ITEMCHANGED) UpdateSelection();
  if (header.code == NM_DBLCLK) Rename();
  return 0;
}
