#include "panel/pages/settingspage.h"

#include <commctrl.h>

#include "panel/app/resstrings.h"
#include "panel/driverdata.h"
#include "panel/drivertext.h"
#include "panel/pagerules.h"
#include "platform/log.h"
#include "windows/accessiblename.h"

namespace {
CDriverData& Driver() { return CDriverData::Instance(); }
}  // namespace

void CSettingsPage::OnInitDialog() {
  OnCommandId(IDC_STREAM_APPLY, [this] { ApplyStream(); });
  OnCommandId(IDC_ASIO_APPLY, [this] { ApplyAsio(); });
  OnCommandId(IDC_WDM_APPLY, [this] { ApplyWdm(); });
  // Three buttons read "Apply": a screen reader hears what each one applies.
  SetAccessibleName(Item(IDC_STREAM_APPLY), "Apply stream buffer depth");
  SetAccessibleName(Item(IDC_ASIO_APPLY), "Apply ASIO buffer depth");
  SetAccessibleName(Item(IDC_WDM_APPLY), "Apply WDM sound buffer depth");
  Refresh();
}

void CSettingsPage::DoDataExchange(app::DataExchange& exchange) {
  exchange.Text(IDC_DROPOUTS, dropOuts_);
  exchange.Text(IDC_STREAM_TEXT, streamText_);
  exchange.Text(IDC_ASIO_TEXT, asioText_);
  exchange.Text(IDC_WDM_TEXT, wdmText_);
}

bool CSettingsPage::LoadBuffer(int slider, BufferSetting& setting, bool stream) {
  CDriverData& driver = Driver();
  const auto status = stream                      ? driver.GetStreamBuffer(&setting)
                      : slider == IDC_ASIO_SLIDER ? driver.GetAsioBuffer(&setting)
                                                  : driver.GetWdmBuffer(&setting);
  std::optional<SliderScale> scale;
  if (status == 0) scale = stream ? StreamSliderScale(setting) : DeviceSliderScale(setting);
  if (status == 0 && !scale)
    platform::Log("Stream buffer: step %u, range %u..%u makes no slider.\n",
                  static_cast<unsigned>(setting.words[StreamBuffer::kStep]),
                  static_cast<unsigned>(setting.words[StreamBuffer::kMinimum]),
                  static_cast<unsigned>(setting.words[StreamBuffer::kMaximum]));
  EnableItem(slider, scale.has_value());
  if (!scale) return false;
  HWND control = Item(slider);
  SendMessageW(control, TBM_SETRANGEMIN, FALSE, static_cast<LPARAM>(scale->minimum));
  SendMessageW(control, TBM_SETRANGEMAX, TRUE, static_cast<LPARAM>(scale->maximum));
  SendMessageW(control, TBM_SETTICFREQ, scale->tickFrequency, 0);
  SendMessageW(control, TBM_SETPAGESIZE, 0, static_cast<LPARAM>(scale->tickFrequency));
  SendMessageW(control, TBM_SETLINESIZE, 0, 1);
  SendMessageW(control, TBM_SETPOS, TRUE, static_cast<LPARAM>(scale->position));
  return true;
}

void CSettingsPage::OnRefresh() {
  if (Handle() == nullptr) return;
  // The sample counts need the rate the driver runs at now: a change of rate
  // is told to every page at once, and this page may be refreshed before the
  // Synchronisation page reloads it.
  RateInfo rate{};
  if (Driver().GetRateInfo(&rate) == 0) Driver().rateInfo = rate;

  streamLoaded_ = LoadBuffer(IDC_STREAM_SLIDER, stream_, true);
  if (!streamLoaded_) streamText_.clear();
  asioLoaded_ = LoadBuffer(IDC_ASIO_SLIDER, asio_, false);
  if (!asioLoaded_) asioText_.clear();
  wdmLoaded_ = LoadBuffer(IDC_WDM_SLIDER, wdm_, false);
  if (!wdmLoaded_) wdmText_.clear();
  UpdateTexts();
  EnableItem(IDC_STREAM_APPLY, false);
  EnableItem(IDC_ASIO_APPLY, false);
  EnableItem(IDC_WDM_APPLY, false);
}

std::uint32_t CSettingsPage::SliderPosition(int slider) const {
  const LRESULT position = SendMessageW(Item(slider), TBM_GETPOS, 0, 0);
  return position > 0 ? static_cast<std::uint32_t>(position) : 0;
}

void CSettingsPage::UpdateTexts() {
  const std::uint32_t rate = Driver().rateInfo.currentRate;
  struct DeviceSlider {
    bool loaded;
    int slider, apply;
    BufferSetting& setting;
    std::wstring& text;
  };
  for (DeviceSlider device :
       {DeviceSlider{asioLoaded_, IDC_ASIO_SLIDER, IDC_ASIO_APPLY, asio_, asioText_},
        DeviceSlider{wdmLoaded_, IDC_WDM_SLIDER, IDC_WDM_APPLY, wdm_, wdmText_}}) {
    if (!device.loaded) continue;
    std::uint32_t& depth = device.setting.words[DeviceBuffer::kDepth];
    const std::uint32_t before = depth;
    depth = SliderPosition(device.slider) * kDeviceBufferUnitUs;
    device.text = app::FromAnsi(
        DeviceBufferText(depth, device.setting.words[DeviceBuffer::kGranularity], rate));
    if (depth != before) EnableItem(device.apply, true);
  }
  if (streamLoaded_) {
    std::uint32_t& depth = stream_.words[StreamBuffer::kDepth];
    const std::uint32_t before = depth;
    depth = SliderPosition(IDC_STREAM_SLIDER) * stream_.words[StreamBuffer::kStep];
    streamText_ = app::FromAnsi(DepthText(depth));
    if (depth != before) EnableItem(IDC_STREAM_APPLY, true);
  }
  UpdateData(false);
}

void CSettingsPage::ApplyStream() {
  ApplyWithNewStream([this] { ReportFailure("Stream buffer", Driver().SetStreamBuffer(stream_)); });
}

void CSettingsPage::ApplyAsio() {
  ReportFailure("ASIO buffer", Driver().SetAsioBuffer(asio_));
  Refresh();
}

void CSettingsPage::ApplyWdm() {
  ApplyWithNewStream([this] { ReportFailure("WDM buffer", Driver().SetWdmBuffer(wdm_)); });
}

void CSettingsPage::ApplyWithNewStream(const std::function<void()>& set) {
  set();
  // The driver takes a new stream or WDM depth only with a new stream.
  Driver().StopStreaming();
  Driver().StartStreaming();
  Refresh();
}

void CSettingsPage::PollDropOuts() {
  AsioStatistics statistics{};
  if (Driver().GetAsioStatistics(&statistics) == 0)
    dropOuts_ = app::Format(L"%u", static_cast<unsigned>(statistics.words[kAsioDropOuts]));
  else
    dropOuts_.clear();
  UpdateData(false);
}

void CSettingsPage::StartPoll() {
  if (timer_ == 0) timer_ = SetTimer(Handle(), kPollTimer, kPollPeriodMs, nullptr);
}

void CSettingsPage::StopPoll() {
  if (timer_ == 0) return;
  KillTimer(Handle(), timer_);
  timer_ = 0;
}

void CSettingsPage::OnShow(bool shown) {
  // The drop-out count matters only while someone looks at it.
  if (shown && !minimised_) StartPoll();
  if (!shown) StopPoll();
  Refresh();
}

void CSettingsPage::SetMinimised(bool minimised) {
  if (minimised == minimised_) return;
  minimised_ = minimised;
  if (minimised) {
    StopPoll();
    return;
  }
  // The page's own visibility: it is the one on display.
  if (Handle() == nullptr || (GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_VISIBLE) == 0) return;
  PollDropOuts();
  StartPoll();
}

bool CSettingsPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_SHOWWINDOW:
      // Only the page's own showing and hiding, not its parent's.
      if (lParam == 0) OnShow(wParam != FALSE);
      return false;
    case WM_TIMER:
      if (wParam != kPollTimer) return false;
      // A tick queued before the poll stopped.
      if (timer_ != 0) PollDropOuts();
      result = 0;
      return true;
    case WM_HSCROLL:
      UpdateTexts();
      return false;
    default:
      return CPanelPage::HandleMessage(message, wParam, lParam, result);
  }
}
