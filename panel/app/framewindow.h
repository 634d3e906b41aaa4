// The main frame: a top-level window with a menu, a status bar and one form
// view. It routes menu commands to the view, then to itself, then to the
// application, and shows the menu items' prompt strings in status pane 0
// while the user moves through the menu, then the idle text.
#pragma once

#include <windows.h>

#include "panel/app/commandtarget.h"
#include "panel/app/statusbar.h"

namespace app {

class FormView;

// The framework's commands and texts (the prompt string of a command has the
// command's id).
constexpr unsigned kCommandAppAbout = 0xE140;
constexpr unsigned kCommandAppExit = 0xE141;
constexpr unsigned kStringAppName = 0xE000;   // the application's name
constexpr unsigned kStringIdleText = 0xE001;  // "Ready"

class FrameWindow : public CommandTarget {
 public:
  FrameWindow() = default;
  virtual ~FrameWindow();
  FrameWindow(const FrameWindow&) = delete;
  FrameWindow& operator=(const FrameWindow&) = delete;

  // Creates the window hidden, with menu `menuId` and icon `iconId` (0: none).
  bool Create(const std::wstring& title, unsigned menuId, unsigned iconId);
  HWND Handle() const { return hwnd_; }
  StatusBar& GetStatusBar() { return statusBar_; }

  void SetActiveView(FormView* view) { view_ = view; }
  FormView* GetActiveView() const { return view_; }

  // Places the status bar and the view in the client area.
  void RecalcLayout();
  // Shrinks or grows the window so that its client area holds the view's form
  // and the status bar exactly.
  void ResizeParentToFit();
  // Status pane 0.
  void SetMessageText(const std::wstring& text);
  // The window was moved to a monitor of `dpi` (or that monitor's scale was
  // changed): the view and the status bar are laid out again for it (or for
  // the largest DPI at which the window fits that monitor's work area) and
  // the window takes `suggested`, the rectangle the system proposes, with its
  // size made to hold the new layout exactly, inside the work area.
  void OnDpiChanged(UINT dpi, const RECT& suggested);
  // Once the view is laid out, and whenever the work area or the display
  // changes: the contents take the monitor's DPI, or the largest at which the
  // window fits the work area (never below 96), and the window is moved
  // inside the work area.
  void FitToWorkArea();

 protected:
  // Window styles before creation; the default is a resizable window.
  virtual DWORD Style() const { return WS_OVERLAPPEDWINDOW; }
  // After the window exists; false fails its creation.
  virtual bool OnCreate() { return true; }
  // After the view and the status bar are laid out for a new DPI, before the
  // window takes its size: what the frame itself shows at `dpi` (its icons).
  virtual void OnFrameDpiChanged(UINT /*dpi*/) {}
  // Every message; true when handled (`result` is then the answer).
  virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  static void RegisterFrameClass(unsigned iconId);
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void OnMenuSelect(UINT item, UINT flags, HMENU menu);
  void OnCommand(unsigned id);
  // Grows or shrinks the window, keeping its place, until its client area is
  // exactly `wanted`, whatever the frame's caption and borders measure.
  void FitClientTo(SIZE wanted);
  // The view and the status bar laid out for `dpi`, the window sized to hold them.
  void LayOutForDpi(UINT dpi);
  // The DPI the contents take on a monitor of `monitorDpi` with `workArea`.
  UINT FittingDpi(UINT monitorDpi, const RECT& workArea) const;
  void FitTo(UINT monitorDpi, const RECT& workArea);

  HWND hwnd_ = nullptr;
  // The DPI of the window's monitor, as the system last said; 0 before the
  // window is fitted first.
  UINT monitorDpi_ = 0;
  FormView* view_ = nullptr;
  StatusBar statusBar_;
};

}  // namespace app
