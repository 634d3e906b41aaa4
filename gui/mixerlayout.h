// Where every control of the mixer window sits, what it is and which
// parameter it carries, as plain data: the window makes its controls from
// this table, in its order, which is also the tab and enumeration order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class ControlKind {
  Background,    // system static showing a bitmap, id 0
  Meter,         // WMeter
  MeterStatus,   // WMeterStatus, the level read-out under a meter
  Knob,          // WKnob, pan
  ValueBox,      // WEdit under a knob or fader
  ChannelFader,  // WChannelFader
  MasterFader,   // WLinkedFader; the left and the right one are partners
  SoloButton,
  MuteButton,
  Label,  // WStatic
  GroupBox,
  PushButton,  // "Clear Overs"
  CheckBox,    // "Mixer Active"
  ComboBox,    // the output pair
  Picture,     // WImage with a key colour
};

struct ControlPlacement {
  ControlKind kind;
  std::uint16_t id;  // also the parameter id; 0 for decoration
  int x, y, cx, cy;  // client pixels
  std::string text;
  int bitmap = 0;  // background, picture, meter image, master fader track
  int thumbBitmap = 0;
  int thumbX = 0;
};

inline constexpr int kStripWidth = 44;
inline constexpr int kMeterSegments = 22;
inline constexpr std::uint32_t kPictureKeyColour = 0xCCCCCC;  // RGB(204, 204, 204)
// The output pairs the combo box offers, in list order (the list index is the mix).
inline constexpr const char* kOutputChoices[] = {"Out 1-2", "Out 3-4", "Out 5-6", "Out 7-8"};
// The pixels the controls cover: everything lies inside this client area.
inline constexpr int kLayoutWidth = 567;
inline constexpr int kLayoutHeight = 650;

// Every control in creation order.
const std::vector<ControlPlacement>& MixerLayout();

// The window's two lists. Parameter controls: ids 0x4000-0x7FFF. Meter
// controls: those of them with a bit of 0x1010 set (meters and read-outs).
bool IsParameterControl(std::uint16_t id);
bool IsMeterControl(std::uint16_t id);
// The value boxes are the window's tab stops.
bool IsTabStopField(std::uint16_t id);
// F6 (forwards) and Shift+F6 move the focus round the controls of one strip:
// a channel's fader box, fader, pan knob, solo and mute (its pan box leads
// on to the knob); on the master side the left box and fader, the right box
// and fader, Clear Overs, Mixer Active and the output selector. The id that
// gets the focus from `id`, or 0 when `id` is in no strip.
std::uint16_t NextInStrip(std::uint16_t id, bool backwards);
// Whether a refresh of `mask` and `channel` (-1: all) concerns control `id`.
bool RefreshConcerns(std::uint16_t id, std::uint32_t mask, int channel);
