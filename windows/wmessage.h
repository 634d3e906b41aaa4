// One window message as a toolkit object's HandleMessage and OnCommand see it.
#pragma once

#include <windows.h>

struct WMessage {
  UINT msg = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  // Returned to the system when the message is handled; a colour message
  // returns a brush handle here, so it is pointer-sized.
  LRESULT result = 0;

  // Client coordinates of a mouse message: the low and high 16 bits of lParam,
  // each signed (a captured pointer left of or above the window is negative).
  POINT Point() const;

  // The modifier codes of the key preferences: 0 Alt (held now), 1 Control and
  // 2 Shift (from the mouse message's wParam); any other code is never down.
  bool IsModifierDown(int code) const;
};
