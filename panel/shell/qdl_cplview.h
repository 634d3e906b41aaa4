// The panel's form view: the navigation tree on the left and the six pages
// on the right, one shown at a time. It owns the panel's reaction to the
// outside world: device-interface arrival and removal and the driver's own
// notifications make every page reload from the driver.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <optional>

#include "panel/app/formview.h"
#include "panel/drivernotifier.h"
#include "panel/pagerules.h"
#include "panel/pages/channelspage.h"
#include "panel/pages/devicespage.h"
#include "panel/pages/settingspage.h"
#include "panel/pages/streamspage.h"
#include "panel/pages/syncpage.h"

class CQDL_CPLView : public app::FormView {
 public:
  // `asioOption`: open on the Settings page instead of the Devices page.
  explicit CQDL_CPLView(bool asioOption);
  ~CQDL_CPLView() override;

  void OnInitialUpdate() override;

  // Reloads every page from the driver: Devices, input and output Channels,
  // Streams, Settings, then the Synchronisation list and rates.
  void RefreshAllPages();
  // Selects the page's tree item, as a click on it would; false when the tree
  // has no item for it.
  bool SelectPage(PanelPage page);
  // The page on display, if any.
  std::optional<PanelPage> ShownPage() const;
  // The frame was minimised or came back.
  void SetMinimised(bool minimised) { settings_.SetMinimised(minimised); }

  CPanelPage& Page(PanelPage page);
  CSettingsPage& SettingsPage() { return settings_; }
  CSyncPage& SyncPage() { return sync_; }
  CDriverNotifier& Notifier() { return notifier_; }
  HWND Tree() const { return Item(IDC_TREE); }

 protected:
  LRESULT OnNotify(const NMHDR& header) override;
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void OnLayOutForDpi(UINT dpi, HFONT font) override;

 private:
  void CreatePages();
  void BuildTree();
  // The tree's icons at the size `dpi` asks for.
  void SetTreeIcons(UINT dpi);
  void HideAllPages();
  void OnTreeSelectionChanged();
  void OnDeviceChange(WPARAM event, LPARAM data);
  void StartNotifier();
  void OnDriverNotify();

  bool asioOption_;
  bool firstUpdate_ = true;
  CSettingsPage settings_;
  CDevicesPage devices_;
  CChannelsPage inputs_{0};
  CChannelsPage outputs_{1};
  CStreamsPage streams_;
  CSyncPage sync_;
  CDriverNotifier notifier_;
  HIMAGELIST images_ = nullptr;
  POINT pageOrigin_{};  // where the pages sit, as the view was made
  HTREEITEM items_[kPanelPageCount] = {};
};
