// The Streams page: the connection state of every device's four plugs (audio
// out, audio in, synch out, synch in), and for the selected device the
// stream numbers, rates and the driver's error in words.
#pragma once

#include <string>

#include "panel/pages/listview.h"
#include "panel/pages/panelpage.h"
#include "panel/res/resource.h"

class CStreamsPage : public CPanelPage {
 public:
  CStreamsPage() : CPanelPage(IDD_STREAMS) {}

  void FillList();
  CListView& List() { return list_; }
  const std::wstring& DetailText() const { return detail_; }

 protected:
  void OnInitDialog() override;
  void DoDataExchange(app::DataExchange& exchange) override;
  void OnRefresh() override { FillList(); }
  void OnDpiChanged(UINT dpi) override { list_.SetDpi(dpi); }
  LRESULT OnNotify(const NMHDR& header) override;
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void ShowDetail();

  CListView list_;
  std::wstring detail_;
};
