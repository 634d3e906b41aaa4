// The main window's part in following units that come and go: it registers
// for the driver's device-interface notices, hands arrivals and removals to
// the master control, and keeps the caption saying when no unit is there.
#pragma once

#include <windows.h>

class UnitWatch {
 public:
  static constexpr const char* kCaption = "Korvane Velmora";
  static constexpr const char* kNoUnitCaption = "Korvane Velmora - no unit connected";

  // At the window's creation, once the engine runs.
  static void Start(HWND window);
  // At the window's destruction, before the engine shuts down.
  static void Stop();
  // True when `msg` was a notice of its own (the result is then `*result`).
  static bool OnMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

 private:
  static void OnDeviceChange(WPARAM event, LPARAM data);
  static void ShowCaption(HWND window);
  static void UnitsChanged();
};
