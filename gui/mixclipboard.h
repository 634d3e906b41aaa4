// A mix on the Windows clipboard: the 52-byte mix block in a format of our
// own, registered by name so that every running mixer reads the others', and
// beside it the same mix as text that a person can read.
#pragma once

#include <windows.h>

#include "velmora/mixblock.h"

class MixClipboard {
 public:
  // The registered format's name and id.
  static constexpr const wchar_t* kFormatName = L"Korvane Velmora Mix Block";
  static UINT Format();

  // True while the clipboard holds data of our format, whether or not it
  // will read as a mix.
  static bool HoldsMix();
  // Replaces what the clipboard holds with `block` and its text; false (and
  // logged) when the clipboard cannot be had.
  static bool Put(HWND owner, const MixBlock& block);
  // The block on the clipboard; false when there is none, or it is malformed
  // (logged by the reader).
  static bool Take(HWND owner, MixBlock* block);
};
