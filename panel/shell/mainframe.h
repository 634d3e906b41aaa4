// The panel's main window: fixed in size, with the menu, the status bar of
// two panes (the page's title, the device count) and the form view.
#pragma once

#include "panel/app/framewindow.h"

// Posted by a second start of the program to the running one's main frame:
// show the Settings page.
constexpr UINT WM_SHOW_SETTINGS = WM_USER + 15;

class CMainFrame : public app::FrameWindow {
 public:
  ~CMainFrame() override;

 protected:
  DWORD Style() const override;
  bool OnCreate() override;
  void OnFrameDpiChanged(UINT dpi) override;
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  // The caption's and the task bar's icons, of the sizes `dpi` asks for.
  void SetIcons(UINT dpi);

  HICON bigIcon_ = nullptr, smallIcon_ = nullptr;
};
