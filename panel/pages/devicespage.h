// The Devices page: the devices the driver knows with their names and serial
// numbers; renaming, ranking with Up, Down and Apply, the device count in the
// main window's status bar, and the default name of a device still named
// after its serial number.
#pragma once

#include <functional>

#include "panel/defaultnames.h"
#include "panel/pages/listview.h"
#include "panel/pages/panelpage.h"
#include "panel/res/resource.h"

class CDevicesPage : public CPanelPage {
 public:
  CDevicesPage() : CPanelPage(IDD_DEVICES) {}

  // Called after a rename or an Apply of this page: the pages that show the
  // devices' names and ranking reload.
  void SetDevicesChangedHandler(std::function<void()> handler) {
    devicesChanged_ = std::move(handler);
  }

  void FillList();
  CListView& List() { return list_; }

 protected:
  void OnInitDialog() override;
  void OnRefresh() override { FillList(); }
  void OnDpiChanged(UINT dpi) override { list_.SetDpi(dpi); }
  LRESULT OnNotify(const NMHDR& header) override;

 private:
  void UpdateButtons();
  void Move(int step);
  void ApplyRanking();
  void Rename();
  void ShowDeviceCount(std::size_t count);
  void InsertDeviceRow(int row, const DeviceInfo& device);
  // The record of the row's device as the cache holds it now; null for no
  // row, or a unit that is no longer there.
  const DeviceInfo* DeviceOfRow(int row) const;

  CListView list_;
  DefaultNames defaults_;
  std::function<void()> devicesChanged_;
};
