// Whole notches of the mouse wheel. A fine-grained wheel reports fractions of
// a notch; they add up until they make a whole one, so a slow turn still moves
// the control, by no more than the same turn of a notched wheel would.
#pragma once

class WheelNotches {
 public:
  static constexpr int kNotch = 120;  // WHEEL_DELTA

  // delta: the wheel message's distance, positive away from the user. The
  // whole notches it completes, positive away from the user.
  int Take(int delta) {
    rest += delta;
    const int notches = rest / kNotch;
    rest -= notches * kNotch;
    return notches;
  }

 private:
  int rest = 0;
};
