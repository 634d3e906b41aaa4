// The mixer's one window: class "ZWVELMORA", fixed size, menu 125. Its
// creation builds every control; closing asks to save unsaved changes;
// destroying it shuts the engine down and ends the message loop.
#pragma once

#include <windows.h>

class MainWindow {
 public:
  static constexpr const char* kClassName = "ZWVELMORA";
  // The outer size; larger only where the system's caption, menu or frame
  // would leave less client area than the layout needs.
  static constexpr int kWidth = 582;
  static constexpr int kHeight = 694;

  // Registers the class (once) and makes the window; null when that fails.
  static HWND Create(HINSTANCE instance);
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  static bool Register(HINSTANCE instance);
  static LRESULT OnCreate(HWND hwnd);
  static LRESULT OnCommand(HWND hwnd, WPARAM wParam, LPARAM lParam);
  static void OnTab(HWND hwnd);
  static void OnClose(HWND hwnd);
  static void OnDestroy();
  static void ShowAbout(HWND hwnd);
};
