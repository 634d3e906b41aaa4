// The Channels pages' rename dialog (dialog 138), on a copy of one
// channel's record; the page sends the copy to the driver on "OK".
#pragma once

#include "panel/pages/namedlg.h"

class CChannelNameDlg : public CNameDlg {
 public:
  explicit CChannelNameDlg(const ChannelInfo& channel)
      : CNameDlg(IDD_CHANNEL_NAME, IDC_CHANNEL_NAME), channel_(channel) {}
  const ChannelInfo& Channel() const { return channel_; }

 protected:
  NameFieldRef NameField() override { return channel_.channelName; }

 private:
  ChannelInfo channel_;
};
