// The controls of the mixer window: it makes them from the layout table,
// keeps the two window lists, refreshes the controls a parameter change
// concerns and feeds the meters from the metering thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "windows/wscale.h"

class ChannelStrips {
 public:
  // Makes every control of the layout inside `window`, then the lists; only
  // once both lists are complete do the parameter interface and the metering
  // thread see them.
  // The controls are placed and drawn at `scale`.
  static void Create(HWND window, const WScale& scale);
  // Every control to its place at another scale (the window moved to a
  // monitor of another DPI).
  static void Rescale(const WScale& scale);
  // Withdraws the lists from both (the window is being destroyed; its
  // controls still exist).
  static void Release();

  // The parameter interface's refresh hook. The meters and their read-outs
  // are drawn by the metering thread alone: a mask of exactly the meter bits
  // refreshes them, any other mask leaves them out.
  static void RefreshControls(std::uint32_t mask, int channel);
  // The metering thread's callback after each reading of the device's levels:
  // the meters draw what changed into their surfaces, and one message asks
  // the window to show it all (ShowMeterChanges).
  static void MeterUpdate();
  // The window's answer to kShowMeterChanges, on its thread: what the meters
  // drew since the last time goes to the screen.
  static void ShowMeterChanges();
  // Well above the few application messages the window has of its own.
  static constexpr UINT kShowMeterChanges = WM_APP + 0x20;
  // Whether anyone can see the meters: while the window is minimised or
  // hidden the metering thread still steps the meter models but neither
  // draws nor invalidates. Becoming seen again refreshes every meter at once
  // (on the calling thread, the window's).
  static void SetMetersSeen(bool seen);
  // Where the master control publishes the address of its meter values.
  static double** MeterTarget();

  static const std::vector<HWND>& ParameterControls();

 private:
  static void CollectLists();
  static void Publish(bool published);
};
