// The keys of the mixer's own commands, taken in the message loop before any
// control sees them: Ctrl+Z undo, Ctrl+Y and Ctrl+Shift+Z redo, Ctrl+C and
// Ctrl+V copy and paste the shown mix, Ctrl+1..8 recall a snapshot and
// Ctrl+Shift+1..8 store one; Shift+F10 and the Menu key open the context
// menu. In a value box, Ctrl+Z, Ctrl+X, Ctrl+C and Ctrl+V stay the box's own
// (text undo, cut, copy, paste).
#pragma once

#include <windows.h>

class MixKeys {
 public:
  // True when `msg`, a message for a window inside `mainWindow`, was one of
  // these keys and has been carried out.
  static bool Take(const MSG& msg, HWND mainWindow);

 private:
  static HACCEL Shortcuts();
  static bool OpensMenu(const MSG& msg);
  static bool IsTextKey(const MSG& msg);
};
