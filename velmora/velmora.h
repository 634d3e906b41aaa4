// The parameter interface: every control of the mixer window, and the
// preferences dialog, reads and writes the mixer through these six functions,
// keyed by its control identifier. Used on the GUI thread only.
#pragma once

#include <cstdint>
#include <string>

// Parameter groups: id & 0xFFF0 is the group, id & 0xF the channel (0..7) or
// the master side (8, 9).
constexpr std::uint16_t IDMETER = 0x4010;
constexpr std::uint16_t IDFADER = 0x4020;
constexpr std::uint16_t IDPAN = 0x4040;
constexpr std::uint16_t IDSOLO = 0x4080;
constexpr std::uint16_t IDMUTE = 0x4100;
constexpr std::uint16_t IDPANTEXT = 0x4200;
constexpr std::uint16_t IDFADERTEXT = 0x4400;
constexpr std::uint16_t IDCONTROL = 0x4800;
constexpr std::uint16_t IDMIXERACTIVE = 0x4800;
constexpr std::uint16_t IDMIXSELECT = 0x4802;
constexpr std::uint16_t IDOUTPUTLABEL = 0x4808;
constexpr std::uint16_t IDCLEAROVERS = 0x480A;
constexpr std::uint16_t IDDAWLABEL = 0x480B;
constexpr std::uint16_t IDMETERSTATUS = 0x5000;

// Refresh masks: one bit of the low 14 bits per group.
constexpr std::uint32_t kRefreshFader = 0x420;    // fader and its dB text
constexpr std::uint32_t kRefreshPan = 0x240;      // knob and its pan text
constexpr std::uint32_t kRefreshButtons = 0x180;  // every solo and mute
constexpr std::uint32_t kRefreshAll = 0xFFFF;
constexpr std::uint32_t kRefreshMeters = 0x1010;  // meters and their read-outs

// True exactly while what a settings file keeps equals what was last saved or
// loaded (at start-up, what the model held then); see velmora/mixsteps.h.
extern bool savedFlag;

std::int32_t KMXGetInteger(std::uint16_t id);
void KMXSetInteger(std::uint16_t id, std::int32_t value);
double KMXGetFloat(std::uint16_t id);
void KMXSetFloat(std::uint16_t id, double value);
std::string KMXFormatValue(std::uint16_t id, double value);
double KMXParseValue(std::uint16_t id, const char* text);
// The same writes to mix `mix` (0..3) whether it is shown or not: the shown
// one through KMXSetFloat and KMXSetInteger, another without switching the
// screen; either way the unit gets the mix and the write is an undo step.
// Faders, masters, pans, solos and mutes only; ignored while the mixer is off.
void KMXSetMixFloat(int mix, std::uint16_t id, double value);
void KMXSetMixInteger(int mix, std::uint16_t id, std::int32_t value);

// What a value box's text stands for: whatever KMXParseValue reads, and also
// the texts KMXFormatValue writes that hold no leading number: "-inf" (a
// fader's silence) and "<N" (pan N 64ths to the left). False when the text
// holds no value, so nothing is to be written.
bool KMXReadValue(std::uint16_t id, const char* text, double* value);

// The main window's RefreshControls, registered once it has its controls;
// until then a refresh does nothing. Channel -1 means all.
using RefreshControlsHook = void (*)(std::uint32_t mask, int channel);
void SetRefreshControlsHook(RefreshControlsHook hook);
void RefreshControls(std::uint32_t mask, int channel);

// Called after the shown output pair (IDMIXSELECT) or Mixer Active
// (IDMIXERACTIVE) was set, with the value set; null for none.
using ControlChangedHook = void (*)(std::uint16_t id, std::int32_t value);
void SetControlChangedHook(ControlChangedHook hook);

// Back to the state of a fresh start (tests): enable and mix-select values 0,
// savedFlag set, an empty history, and no hooks but the refresh one.
void ResetParameterInterface();
