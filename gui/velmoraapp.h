// The mixer program from start to exit: the engine, the window, the settings
// file named on the command line and the message loop. The steps are apart
// so that tests can run them one by one.
#pragma once

#include <windows.h>

class VelmoraApp {
 public:
  // The whole program; its exit code. 0 as well when there is no X-Tamber
  // (after the "No Korvane detected" box), when a mixer already running took
  // the command line, or when it does not answer (after a box that says so);
  // 1 when the window cannot be made. The command line is UTF-8.
  static int Run(HINSTANCE instance, const char* commandLine, int show);

  // Starts the device engine with the metering thread; false (and the error
  // box shown) when no X-Tamber can be used.
  static bool StartEngine();
  // Makes, shows and paints the main window; null when it cannot be made.
  static HWND OpenWindow(HINSTANCE instance, int show);
  // One message of the loop: Tab and F6 go to the main window whichever
  // control they were meant for, so the window moves the focus itself; Ctrl+O,
  // Ctrl+S and Ctrl+Shift+S are the file commands, MixKeys the mixer's own;
  // the wheel goes to the fader or knob under the pointer.
  static void Dispatch(MSG& msg, HWND mainWindow);
  static int MessageLoop(HWND mainWindow);
};
