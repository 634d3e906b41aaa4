// The Streams page: the connection state of every device's four plugs.
#pragma once

#include "panel/pages/panelpage.h"
#include "panel/res/resource.h"

class CStreamsPage : public CPanelPage {
 public:
  CStreamsPage() : CPanelPage(IDD_STREAMS) {}
};
