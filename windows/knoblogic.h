// The arithmetic of the pan knob, with no window in sight: where the
// indicator dot sits for a value, and what a drag makes of the value in each
// of the three motion modes of the preferences.
#pragma once

// The stored values of the pan motion preference.
enum KnobMotion { kKnobHorizontal = 0, kKnobRotary = 1, kKnobVertical = 2 };

struct KnobPoint {
  int x;
  int y;
};

// The indicator travels on a circle of radius 7 round (19, 20), up to 130
// degrees each side of straight up; 64 pixels of linear drag turn it by 1.0,
// an arrow key by 1/64.
constexpr KnobPoint kKnobCentre{19, 20};
constexpr int kKnobRadius = 7;
constexpr double kKnobTravelDegrees = 130.0;
constexpr double kKnobPixelsPerUnit = 64.0;
constexpr double kKnobStep = 0.015625;
constexpr int kKnobFineWeight = 4;

double ClampPan(double value);
// Top-left corner of the 4 x 4 indicator dot for a pan value.
KnobPoint IndicatorPoint(double value);
// The value whose indicator points at the pointer: 0 straight up (and at the
// exact centre), limited to the travel.
double RotaryValue(KnobPoint point);
// The value for the pointer at point during a drag that began at start with
// startValue, clamped to -1..+1. A mode outside 0..2 (a hand-edited
// preference) turns the knob as the rotary mode does, the default.
double KnobDragValue(int mode, double startValue, KnobPoint start, KnobPoint point, int weight);
