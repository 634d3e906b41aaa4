// What every settings page of the panel is: a modeless child dialog of the
// view that reloads itself from the driver on Refresh and never closes
// itself (Enter and Escape do nothing on a page).
#pragma once

#include <string>

#include "panel/app/dialog.h"
#include "panel/app/dialoglayout.h"
#include "panel/driverrecords.h"

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
  // Remembers how the page is laid out, as the dialog manager made it at `dpi`.
  void RecordLayout(UINT dpi);
  // Lays the page out again for `dpi`, its controls with `font`.
  void ChangeDpi(UINT dpi, HFONT font);

 protected:
  virtual void OnRefresh() {}
  // After the page's controls are laid out for `dpi`: what they hold follows.
  virtual void OnDpiChanged(UINT /*dpi*/) {}
  void OnOK() override {}
  void OnCancel() override {}

  // A write the driver refused: its error text stands in the status bar's
  // first pane until the user changes the page (the page itself reloads what
  // the driver kept, which would otherwise look like nothing happened), and
  // the log names `action`. Nothing for a status of 0. The status comes back.
  qdl::DriverStatus ReportFailure(const char* action, qdl::DriverStatus status);
  // Pane `pane` of the main window's status bar.
  void ShowStatusText(int pane, const std::wstring& text);

 private:
  int refreshes_ = 0;
  app::DialogLayout layout_;
};
