// The one conversion between the 96-dpi logical pixels every layout figure,
// fader position and knob point is given in, and the device pixels of a
// window on a monitor of some DPI. It scales edges, not sizes: a rectangle's
// right edge is the scaled logical right edge, so controls that touch at 96
// dpi still touch, with no gap and no overlap, at any scale. Every rounding
// of the programs' geometry happens in Edge.
#pragma once

struct WScaledRect {
  int left, top, right, bottom;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

class WScale {
 public:
  static constexpr int kBaseDpi = 96;

  // A DPI of 0 or less (an unanswered query) is taken as 96.
  constexpr explicit WScale(int dpi = kBaseDpi) : dpi_(dpi > 0 ? dpi : kBaseDpi) {}

  constexpr int Dpi() const { return dpi_; }
  constexpr bool IsIdentity() const { return dpi_ == kBaseDpi; }
  // The scale as a factor: 1.5 at 144 dpi.
  double Factor() const { return static_cast<double>(dpi_) / kBaseDpi; }

  // The device position of a logical edge: to the nearest pixel, halves
  // away from zero, so the scaling is symmetric round the origin.
  int Edge(int logical) const;
  // The device extent of a logical length that starts at the origin.
  int Length(int logical) const { return Edge(logical); }
  // The device rectangle of a logical one given by its corner and size.
  WScaledRect Rect(int x, int y, int cx, int cy) const;
  // The logical position of a device pixel: the nearest logical pixel, so a
  // pointer that moved a given physical distance moved the same logical
  // distance at every scale. From a scale of 1 up, ToLogical(Edge(v)) == v.
  int ToLogical(int device) const;

  bool operator==(const WScale& other) const { return dpi_ == other.dpi_; }

  // `value` pixels at `from` dpi as pixels at `to` dpi, rounded as Edge
  // rounds; `from` must not be 0.
  static int Rescale(int value, int from, int to);

 private:
  int dpi_;
};
