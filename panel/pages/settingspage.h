// The Settings page: the driver's stream, ASIO and WDM buffer depths on three
// sliders, each with its text in milliseconds (and samples at the current
// rate) and its own "Apply"; while shown, the ASIO drop-out count is polled
// every second.
#pragma once

#include <functional>
#include <string>

#include "panel/driverrecords.h"
#include "panel/pages/panelpage.h"
#include "panel/res/resource.h"

class CSettingsPage : public CPanelPage {
 public:
  CSettingsPage() : CPanelPage(IDD_SETTINGS) {}

  static constexpr UINT_PTR kPollTimer = 27;
  static constexpr UINT kPollPeriodMs = 1000;
  // Whether the drop-out poll runs.
  bool Polling() const { return timer_ != 0; }
  // The panel went to the task bar or came back: nobody sees the count
  // meanwhile, so the poll rests, and the count is read once on return.
  void SetMinimised(bool minimised);

 protected:
  void OnInitDialog() override;
  void DoDataExchange(app::DataExchange& exchange) override;
  void OnRefresh() override;
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  // Reads one buffer and sets its slider up; false when the read failed or
  // its numbers make no slider.
  bool LoadBuffer(int slider, BufferSetting& setting, bool stream);
  void UpdateTexts();
  void PollDropOuts();
  void OnShow(bool shown);
  void StartPoll();
  void StopPoll();
  std::uint32_t SliderPosition(int slider) const;
  void ApplyStream();
  void ApplyAsio();
  void ApplyWdm();
  void ApplyWithNewStream(const std::function<void()>& set);

  std::wstring dropOuts_, streamText_, asioText_, wdmText_;
  BufferSetting stream_{}, asio_{}, wdm_{};
  bool streamLoaded_ = false, asioLoaded_ = false, wdmLoaded_ = false;
  UINT_PTR timer_ = 0;
  bool minimised_ = false;
};
