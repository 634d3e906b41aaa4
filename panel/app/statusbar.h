// The frame's status bar: a row of panes, each fixed in width or stretching
// to take the room the fixed ones leave.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "panel/app/fonthandle.h"

namespace app {

// The id the frame gives its status bar.
constexpr int kStatusBarId = 0xE801;

class StatusBar {
 public:
  enum class Pane { kNormal, kStretch };

  // Along the bottom of `parent`; false when the window cannot be made.
  bool Create(HWND parent, int id = kStatusBarId);
  // Panes and their widths in pixels at 96 dpi (a stretching pane's is its
  // least); they are scaled to the bar's DPI.
  bool SetPanes(const std::vector<std::pair<Pane, int>>& panes);
  // The monitor's DPI became `dpi`: the panes scale and the text takes the
  // system's status font at that DPI.
  void SetDpi(UINT dpi);
  void SetPaneText(int pane, const std::wstring& text);
  std::wstring PaneText(int pane) const;
  // Follows the parent's new size.
  void Layout();
  int Height() const;
  HWND Handle() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
  std::vector<std::pair<Pane, int>> panes_;
  UINT dpi_ = 96;
  FontHandle font_;  // none while the bar has the system's own
};

}  // namespace app
