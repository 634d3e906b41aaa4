// The base of the controls that draw themselves from bitmaps and register
// their own window class (image button, fader, knob). It keeps what they share
// for the keyboard and for screen readers: the focus mark, shown only while
// the control has the focus from the keyboard (a press with the mouse hides
// it, so the mouse-driven window looks as it always did), and the reset key
// of the preferences, a modifier key pressed and released on its own.
#pragma once

#include "windows/accessiblesource.h"
#include "windows/wcontrol.h"

// The screen reader's name of the mixer control with parameter id `id`, for
// the output pair selected now.
std::string MixerControlName(std::uint16_t id);

class WDrawnControl : public WControl, public AccessibleSource {
 public:
  // Every key that goes down in the program passes here first (the message
  // loop calls it too, for keys it takes as shortcuts): any key but the
  // modifiers makes the next modifier release no reset.
  static void NoteKeyDown(WPARAM key);

  // The name from the parameter id and the selected output pair.
  std::optional<std::string> AccName() override;

 protected:
  // Bookkeeping for focus, pointer presses and keys; the message still goes
  // on to the control's own handling.
  void NoteMessage(const WMessage& msg);
  // True for the release of the reset key whose modifier code (0 Alt,
  // 1 Control, 2 Shift) the preference `pref` holds, pressed alone.
  bool IsResetRelease(const WMessage& msg, std::uint16_t pref) const;
  // After the control's picture, the focus mark when it is due.
  void DrawFocusMarkIfDue(HDC dc);
  // The pointer's capture for a drag, kept track of here: asking the system
  // (GetCapture) on every pointer move is a round trip under Wine.
  void TakeCapture();
  bool HoldsCapture() const { return holdsCapture; }

 private:
  bool pointerFocus = false;
  bool holdsCapture = false;
};
