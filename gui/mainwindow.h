// The mixer's one window: class "ZWVELMORA", fixed size, menu 125, scaled
// with its monitor or, where it would not fit the monitor's work area there,
// as large as fits. Its
// creation builds every control; closing, and the end of the user's session,
// ask to save unsaved changes; destroying it shuts the engine down and ends
// the message loop. A second start of the program hands it its command line.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "windows/wscale.h"

class MainWindow {
 public:
  static constexpr const char* kClassName = "ZWVELMORA";
  // The outer size at 96 dpi; larger only where the system's caption, menu or
  // frame would leave less client area than the layout needs. At other DPIs
  // both figures are scaled.
  static constexpr int kWidth = 582;
  static constexpr int kHeight = 694;
  // WM_COPYDATA's tag for a command line that a second start hands over: the
  // UTF-16 text, ended by a zero.
  static constexpr ULONG_PTR kHandOverTag = 0x4B4D5801;
  // The window's answers to a hand-over. Taken: it opens the file, once any
  // question or dialog open now has been answered. Refused: it is closing,
  // and the later start waits for it to end and runs in its place. 0: not a
  // hand-over it can read.
  static constexpr LRESULT kHandOverTaken = 1;
  static constexpr LRESULT kHandOverRefused = 2;

  // Registers the class (once) and makes the window; null when that fails.
  static HWND Create(HINSTANCE instance);
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // The handed command lines that were still waiting when the window was
  // destroyed (the answer to a question ended the mixer), oldest first; the
  // caller hands them on. Empty afterwards.
  static std::vector<std::string> TakeWaitingCommandLines();

 private:
  static bool Register(HINSTANCE instance);
  static LRESULT OnCreate(HWND hwnd);
  static void OnDpiChanged(HWND hwnd, int dpi, const RECT* suggested);
  static void OnScreenChanged(HWND hwnd);
  static void RescaleControls(const WScale& scale);
  static LRESULT OnCommand(HWND hwnd, WPARAM wParam, LPARAM lParam);
  static void OnTab(HWND hwnd);
  static void OnStripKey(HWND hwnd);
  static void OnClose(HWND hwnd);
  static BOOL OnQueryEndSession(HWND hwnd);
  static void OnEndSession(HWND hwnd, bool ending);
  static LRESULT OnCopyData(HWND hwnd, const COPYDATASTRUCT* data);
  static void OpenHandedFiles(HWND hwnd);
  static void OnDestroy();
  static void ShowAbout(HWND hwnd);
};
