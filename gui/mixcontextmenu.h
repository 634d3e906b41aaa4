// The mixer window's context menu: a standard popup menu of the mixer's own
// commands (undo and redo, copying mixes, the snapshots, the remote control's
// settings), opened with the right button anywhere in the window but a value
// box, and with Shift+F10 or the Menu key from any control. Menu 125 stays as it is.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "velmora/snapshots.h"

class MixContextMenu {
 public:
  // The menu as it stands now; the caller destroys it.
  static HMENU Build();
  // WM_CONTEXTMENU of the window or one of its controls: `where` is the
  // pointer's screen position, or -1 from the keyboard (the menu then opens
  // at the focused control). False when the point lies outside the client
  // area (the caption's own menu is the system's).
  static bool Open(HWND window, LPARAM where);

  // A slot's item: "1  <date and time stored>\tCtrl+1", "2  (empty)\tCtrl+2",
  // "3  (unreadable)\tCtrl+3"; for storing, "\tCtrl+Shift+1".
  static std::wstring SlotText(int slot, const SnapshotSlot& content, bool store);
  // `secondsUtc` in the user's short date and time, local time.
  static std::wstring LocalDateTime(std::int64_t secondsUtc);

 private:
  static void AddHistory(HMENU menu);
  static void AddClipboard(HMENU menu);
  static void AddSnapshots(HMENU menu);
  static POINT FocusPoint(HWND window);
};
