// A Channels page: the input (direction 0) or output channels the driver
// offers, with their names and ASIO display names.
#pragma once

#include <cstdint>

#include "panel/pages/panelpage.h"
#include "panel/res/resource.h"

class CChannelsPage : public CPanelPage {
 public:
  explicit CChannelsPage(std::uint32_t direction)
      : CPanelPage(IDD_CHANNELS), direction_(direction) {}
  std::uint32_t Direction() const { return direction_; }

 private:
  std::uint32_t direction_;
};
