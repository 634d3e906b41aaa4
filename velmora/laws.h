// Fader and pan laws: gains to decibels and to fader positions. A position is
// the distance of a fader's knob from the top of its travel, in pixels.
#pragma once

double GainToDb(double gain);  // 0 gives -infinity
double DbToGain(double db);
double GainToPosition(double gain, bool isMaster);
double PositionToGain(double position, bool isMaster);

constexpr double kChannelTravel = 145;
constexpr double kMasterTravel = 171;
