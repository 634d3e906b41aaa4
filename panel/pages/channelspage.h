// A Channels page: the input (direction 0) or output channels the driver
// offers, each with its device, its name and the name ASIO hosts see;
// renaming, the driver's ASIO name mode (shared by both pages), and the
// default name of a channel that still carries its hardware name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "panel/defaultnames.h"
#include "panel/driverrecords.h"
#include "panel/pages/listview.h"
#include "panel/pages/panelpage.h"
#include "panel/res/resource.h"

class CChannelsPage : public CPanelPage {
 public:
  explicit CChannelsPage(std::uint32_t direction)
      : CPanelPage(IDD_CHANNELS), direction_(direction) {}
  std::uint32_t Direction() const { return direction_; }

  // The page of the other direction, which follows this one's check box.
  void SetOtherPage(CChannelsPage* other) { other_ = other; }

  void FillList();
  CListView& List() { return list_; }

 protected:
  void OnInitDialog() override;
  void DoDataExchange(app::DataExchange& exchange) override;
  void OnRefresh() override { FillList(); }
  void OnDpiChanged(UINT dpi) override { list_.SetDpi(dpi); }
  LRESULT OnNotify(const NMHDR& header) override;

 private:
  std::vector<std::unique_ptr<ChannelInfo>>& Channels() const;
  const ChannelInfo* ChannelOfRow(int row) const;
  void ComputeAsioNames();
  void UpdateSelection();
  // The driver's mode into the check box's value (kept as it was when the
  // driver does not answer).
  void ReadAsioNameMode();
  void OnAsioNameModeClicked();
  void ShowAsioNameMode(int check);
  void Rename();

  std::uint32_t direction_;
  CChannelsPage* other_ = nullptr;
  int asioNameCheck_ = 0;
  std::wstring hardwareName_;
  CListView list_;
  DefaultNames defaults_;
};
