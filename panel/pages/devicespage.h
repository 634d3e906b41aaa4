// The Devices page: the devices the driver knows, their names and ranking.
#pragma once

#include "panel/pages/panelpage.h"
#include "panel/res/resource.h"

class CDevicesPage : public CPanelPage {
 public:
  CDevicesPage() : CPanelPage(IDD_DEVICES) {}
};
