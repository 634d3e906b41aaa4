// What every settings page of the panel is: a modeless child dialog of the
// view that reloads itself from the driver on Refresh and never closes
// itself (Enter and Escape do nothing on a page).
#pragma once

#include "panel/app/dialog.h"

class CPanelPage : public app::Dialog {
 public:
  using app::Dialog::Dialog;

  // Reloads the page from the driver.
  void Refresh() {
    ++refreshes_;
    OnRefresh();
  }
  // How many refreshes the page has had (tests).
  int RefreshCount() const { return refreshes_; }

 protected:
  virtual void OnRefresh() {}
  void OnOK() override {}
  void OnCancel() override {}

 private:
  int refreshes_ = 0;
};
