// The mixer's remote control: the network server and the mixer's side of it,
// on while the user's settings say so. Made with the main window and gone
// after the engine stopped (the metering thread feeds it the meters).
#pragma once

#include <windows.h>

#include <string>

struct RemoteSettings;

class RemoteControl {
 public:
  // The message the network thread posts to the window when commands wait,
  // and the window's timer that takes them while more keep coming.
  static constexpr UINT kTakeInbox = WM_APP + 0x21;
  static constexpr UINT_PTR kInboxTimer = 0x5249;

  // Reads the settings and listens when they say so; a port that cannot be
  // had is logged and remote control stays off.
  static void Start(HWND window);
  // After the engine stopped: the server stops, and nothing is left.
  static void End();
  // The window's answer to kTakeInbox (onTimer false) and kInboxTimer (true):
  // what controllers sent, carried out.
  static void TakeInbox(bool onTimer);
  // The metering thread's pass: the meters for the controllers that asked.
  static void MetersRead(const double* values);
  // The context menu's "Remote Control...": the dialog, and on OK the
  // settings taken and stored.
  static void RunDialog(HWND owner);

 private:
  static std::string Listen(const RemoteSettings& settings);
};
