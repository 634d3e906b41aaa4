// The frame's status bar: a row of panes, each fixed in width or stretching
// to take the room the fixed ones leave.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace app {

// The id the frame gives its status bar.
constexpr int kStatusBarId = 0xE801;

class StatusBar {
 public:
  enum class Pane { kNormal, kStretch };

  // Along the bottom of `parent`; false when the window cannot be made.
  bool Create(HWND parent, int id = kStatusBarId);
  // Panes and their widths in pixels (a stretching pane's is its least).
  bool SetPanes(const std::vector<std::pair<Pane, int>>& panes);
  void SetPaneText(int pane, const std::wstring& text);
  std::wstring PaneText(int pane) const;
  // Follows the parent's new size.
  void Layout();
  int Height() const;
  HWND Handle() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
  std::vector<std::pair<Pane, int>> panes_;
};

}  // namespace app
