// The Synchronisation page: the clock master of the bus (the PC driver or a
// device), each device's synchronisation source and the rate mode, sent
// together by one "Apply" inside a stop and restart of streaming; and the
// sampling rate with its own "Apply".
#pragma once

#include "panel/pages/listview.h"
#include "panel/pages/panelpage.h"
#include "panel/res/resource.h"

class CSyncPage : public CPanelPage {
 public:
  CSyncPage() : CPanelPage(IDD_SYNC) {}

  // Reloads the clock-master list alone (after a device change elsewhere).
  void FillList();
  void FillRates();
  CListView& List() { return list_; }

 protected:
  void OnInitDialog() override;
  void DoDataExchange(app::DataExchange& exchange) override;
  void OnRefresh() override;
  void OnDpiChanged(UINT dpi) override { list_.SetDpi(dpi); }
  LRESULT OnNotify(const NMHDR& header) override;
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void OnListChanged(int row);
  void ShowMasterKind();
  void UpdateControls();
  void UpdateRateCombo();
  void OnRateModeClicked();
  void ApplySources();
  void ApplyRate();
  void ChangeMode();
  // The list row of a device; -1: none.
  int RowOfDevice(std::uint32_t deviceId) const;
  void ShowWarning(const std::wstring& text);

  // Posted to the page itself: refresh once the current message is done.
  static constexpr UINT kRefreshLater = WM_APP + 0x31;

  CListView list_;
  int radio_ = 0;        // 0 the rate is set by hand, 1 it follows the clock master
  bool ready_ = false;   // false while the page changes the list itself
  int checkedRow_ = -1;  // the clock master's row
};
