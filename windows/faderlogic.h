// The arithmetic of a vertical fader, with no window in sight: the position
// law, where the thumb sits, what a press, a drag or an arrow key makes of the
// gain, and how a linked pair keeps its distance. A position is the distance
// in pixels of the thumb's reference row from the top of the travel.
#pragma once

struct FaderRows {
  int top;     // first row of the thumb's hit rectangle
  int bottom;  // one past its last row
};

// The gains a linked pair ends up with after one of them was moved.
struct LinkedGains {
  double self;
  double partner;
};

class FaderLogic {
 public:
  // Rows between the top of the thumb image and the thumb's reference row.
  static constexpr int kThumbOffset = 18;
  // The hit rectangle reaches 18 rows above the reference row and 16 below it.
  static constexpr int kHitAbove = 18;
  static constexpr int kHitBelow = 16;
  // A fine drag moves 0.05 dB per pixel of pointer travel.
  static constexpr double kFineDbPerPixel = 0.05;
  // The drag weight of a fine drag (a coarse drag has weight 1).
  static constexpr int kFineWeight = 4;

  // A fader whose top is 2.0 or more follows the channel law, any other the master law.
  explicit FaderLogic(double maxValue);

  double MaxValue() const { return maxValue; }
  bool IsMaster() const { return maxValue < 2; }
  double Travel() const;  // the largest position: 145 or 171

  double Clamp(double value) const;
  double ValueToPos(double value) const;
  double PosToValue(double position) const;

  // The window row of the thumb's reference row for a gain; the thumb image's
  // top row is ThumbPos - kThumbOffset.
  int ThumbPos(double value) const;
  int ThumbTop(double value) const { return ThumbPos(value) - kThumbOffset; }
  FaderRows ThumbRows(double value) const;
  bool OnThumb(double value, int y) const;

  // A press on the track at row y: the gain that puts the thumb's reference row there.
  double JumpValue(int y) const { return PosToValue(y - kThumbOffset); }
  // The gain for the pointer at row y during a drag that started at startY
  // with startValue: weight 1 moves the thumb with the pointer in position
  // space, any other weight moves 0.05 dB per pixel. Every step starts from
  // the press again, so rounding never adds up.
  double DragValue(double startValue, int startY, int y, int weight) const;
  // One arrow key: pixels -1 is one pixel up (louder), +1 one down.
  double StepValue(double value, int pixels) const {
    return PosToValue(ValueToPos(value) + pixels);
  }

  // This fader of a linked pair is set to target (clamped); the partner keeps
  // its distance in travel pixels. When the partner would leave the travel it
  // stops at the end, and this fader at the same distance from it.
  LinkedGains MoveLinked(double target, double selfValue, double partnerValue) const;

 private:
  double maxValue;
};
