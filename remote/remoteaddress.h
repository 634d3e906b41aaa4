// The remote control's addresses, both ways: an OSC message to a command for
// the parameter interface, and a parameter's new value to the messages that
// show it on every controller.
//
//   /velmora/mix/M/ch/C/fader            f 0..1, the position along the travel (0 silence)
//   /velmora/mix/M/ch/C/db               f, clamped to the fader's range; -144 or less is silence
//   /velmora/mix/M/ch/C/pan              f -1..1
//   /velmora/mix/M/ch/C/solo, .../mute   i or f, 0 or 1 (T/F too)
//   /velmora/mix/M/master/left/fader, .../right/fader, and .../db   the pair's master faders
//   /velmora/output                      i 1..4, the output pair on screen
//   /velmora/active                      i 0/1, Mixer Active
//   /velmora/clearovers, /velmora/refresh, no arguments
//   /velmora/meters                      i 0/1, the sender's meter subscription
//
// Indices are 1-based on the wire (mix 1..4, channel 1..8) and 0-based in a
// command. Where a float is asked for, f and d are taken; where an integer, i
// and h; a switch takes any of i, h, f, d, T and F (a float from 0.5 up is on,
// an integer other than 0 is on).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "remote/oscmessage.h"

enum class RemoteCommandKind {
  kSetFloat,    // KMXSetFloat(id, value) on `mix`: a fader's gain or a pan
  kSetInteger,  // KMXSetInteger(id, value) on `mix`: a solo or mute, 0 or 1
  kOutput,      // KMXSetInteger(IDMIXSELECT, value), value 0..3
  kActive,      // KMXSetInteger(IDMIXERACTIVE, value), 0 or 1
  kClearOvers,  // the Clear Overs button (id IDCLEAROVERS)
  kRefresh,     // send the sender every value of all four mixes
  kMeters,      // the sender's meter subscription, 0 or 1
};

struct RemoteCommand {
  RemoteCommandKind kind = RemoteCommandKind::kRefresh;
  std::uint16_t id = 0;  // the parameter id; 0 for refresh and meters
  int mix = -1;          // 0..3 for what belongs to a mix, -1 otherwise
  double value = 0.0;    // in the parameter interface's units: a gain, pan -1..1, 0/1, a mix

  bool operator==(const RemoteCommand&) const = default;
};

struct RemoteDispatch {
  RemoteCommand command;
  std::string refusal;  // empty when the message is a command

  bool Refused() const { return !refusal.empty(); }
};

RemoteDispatch DispatchRemoteMessage(const OscMessage& message);

// The messages that show a parameter's value (in interface units) on a
// controller: a fader gives both .../fader and .../db, a pan .../pan, a solo
// or mute i 0/1, IDMIXSELECT /velmora/output and IDMIXERACTIVE /velmora/active.
// `mix` (0..3) is the mix the value belongs to, whichever is on screen. Any
// other id, a mix or channel out of range, or a value that is no number gives
// no message.
std::vector<OscMessage> RemoteFeedback(std::uint16_t id, int mix, double value);

// The ids /velmora/refresh sends for each mix: every fader (masters
// included), pan, solo and mute, 34 in all. IDMIXSELECT and IDMIXERACTIVE
// belong to no mix and are sent once on top.
std::vector<std::uint16_t> RemoteMixParameterIds();

// The meter feedback: channel 0..7 as /velmora/meter/1 .. /8 (f, the level as
// the meter shows it, 0..1) and .../over (i 0/1); side 0/1 of the pair on
// screen as /velmora/meter/out/left and .../right.
OscMessage MeterLevelMessage(int channel, double level);
OscMessage MeterOverMessage(int channel, bool over);
OscMessage OutputMeterMessage(int side, double level);

// The fader laws as the remote sees them. A fraction is the position along the
// travel, 0 at the bottom (silence) and 1 at the top (gain 2 on a channel
// fader, 1 on a master); dB below kRemoteSilenceDb is silence.
constexpr double kRemoteSilenceDb = -144.0;
double FractionToGain(double fraction, bool isMaster);
double GainToFraction(double gain, bool isMaster);
double RemoteDbToGain(double db, bool isMaster);
double GainToRemoteDb(double gain);
