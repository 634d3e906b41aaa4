// The Devices page's rename dialog (dialog 137), on a copy of one device's
// record; the page sends the copy to the driver on "OK".
#pragma once

#include "panel/pages/namedlg.h"

class CDeviceNameDlg : public CNameDlg {
 public:
  explicit CDeviceNameDlg(const DeviceInfo& device)
      : CNameDlg(IDD_DEVICE_NAME, IDC_DEVICE_NAME), device_(device) {}
  const DeviceInfo& Device() const { return device_; }

 protected:
  NameFieldRef NameField() override { return device_.name; }

 private:
  DeviceInfo device_;
};
