#include "gui/mixerlayout.h"

#include "resources/velmora_bitmaps.h"
#include "velmora/velmora.h"

namespace {

constexpr int kChannels = 8;

int StripX(int channel) { return kStripWidth * channel; }
std::uint16_t Id(std::uint16_t group, int index) {
  return static_cast<std::uint16_t>(group + index);
}

void AddBackgrounds(std::vector<ControlPlacement>& out) {
  for (int i = 0; i < kChannels; ++i)
    out.push_back({ControlKind::Background, 0, StripX(i), 0, 45, 650, "", IDB_STRIP});
  out.push_back({ControlKind::Background, 0, 352, 0, 88, 650, "", IDB_METER_PANEL});
}

// The eight channel meters, then the two of the selected output pair, each
// followed by its read-out.
void AddMeters(std::vector<ControlPlacement>& out) {
  for (int i = 0; i < 10; ++i) {
    const int meterX = i < kChannels ? StripX(i) + 13 : (i == 8 ? 365 : 409);
    const int statusX = i < kChannels ? StripX(i) + 5 : (i == 8 ? 357 : 401);
    out.push_back({ControlKind::Meter, Id(IDMETER, i), meterX, 12, 18, 200, "", IDB_METER});
    out.push_back({ControlKind::MeterStatus, Id(IDMETERSTATUS, i), statusX, 223, 34, 15, ""});
  }
  out.push_back({ControlKind::Label, IDDAWLABEL, 357, 612, 78, 13, "DAW In 1 && 2"});
}

void AddStrips(std::vector<ControlPlacement>& out) {
  for (int i = 0; i < kChannels; ++i) {
    out.push_back({ControlKind::Knob, Id(IDPAN, i), StripX(i) + 1, 262, 42, 42, ""});
    out.push_back({ControlKind::ValueBox, Id(IDPANTEXT, i), StripX(i) + 5, 310, 34, 15, "0"});
  }
  for (int i = 0; i < kChannels; ++i) {
    out.push_back({ControlKind::ChannelFader, Id(IDFADER, i), StripX(i) + 12, 338, 20, 181, ""});
    out.push_back({ControlKind::ValueBox, Id(IDFADERTEXT, i), StripX(i) + 5, 523, 34, 15, "0"});
  }
  for (int i = 0; i < kChannels; ++i) {
    out.push_back({ControlKind::SoloButton, Id(IDSOLO, i), StripX(i) + 5, 553, 34, 17, ""});
    out.push_back({ControlKind::MuteButton, Id(IDMUTE, i), StripX(i) + 5, 573, 34, 17, ""});
    out.push_back(
        {ControlKind::Label, 0, StripX(i) + 3, 612, 36, 13, "Ch " + std::to_string(i + 1)});
  }
}

void AddMaster(std::vector<ControlPlacement>& out) {
  out.push_back({ControlKind::Background, 0, 440, 323, 88, 327, "", IDB_MASTER_PANEL});
  out.push_back({ControlKind::ValueBox, Id(IDFADERTEXT, 8), 446, 564, 32, 15, "0"});
  out.push_back({ControlKind::ValueBox, Id(IDFADERTEXT, 9), 490, 564, 32, 15, "0"});
  out.push_back({ControlKind::MasterFader, Id(IDFADER, 8), 455, 338, 28, 213, "",
                 IDB_MASTER_TRACK_LEFT, IDB_MASTER_THUMB_LEFT, 9});
  out.push_back({ControlKind::MasterFader, Id(IDFADER, 9), 483, 338, 28, 213, "",
                 IDB_MASTER_TRACK_RIGHT, IDB_MASTER_THUMB_RIGHT, 2});
  out.push_back({ControlKind::Label, IDOUTPUTLABEL, 445, 612, 78, 13, "Output 1 && 2"});
  out.push_back({ControlKind::GroupBox, 0, 447, 10, 120, 80, "Controls"});
  out.push_back({ControlKind::PushButton, IDCLEAROVERS, 457, 30, 100, 25, "Clear Overs"});
  out.push_back({ControlKind::CheckBox, IDMIXERACTIVE, 457, 65, 100, 20, "Mixer Active"});
  out.push_back({ControlKind::GroupBox, 0, 447, 100, 120, 50, "Output Selection"});
  out.push_back({ControlKind::ComboBox, IDMIXSELECT, 457, 122, 100, 200, ""});
  out.push_back({ControlKind::Picture, IDB_PICTURE, 447, 230, 118, 67, "", IDB_PICTURE});
}

std::vector<ControlPlacement> BuildLayout() {
  std::vector<ControlPlacement> out;
  AddBackgrounds(out);
  AddMeters(out);
  AddStrips(out);
  AddMaster(out);
  return out;
}

}  // namespace

const std::vector<ControlPlacement>& MixerLayout() {
  static const std::vector<ControlPlacement> layout = BuildLayout();
  return layout;
}

bool IsParameterControl(std::uint16_t id) { return (static_cast<std::int16_t>(id) >> 14) == 1; }

bool IsMeterControl(std::uint16_t id) {
  return IsParameterControl(id) && (id & kRefreshMeters) != 0;
}

bool IsTabStopField(std::uint16_t id) {
  const std::uint16_t group = id & 0xFFF0;
  return group == IDPANTEXT || group == IDFADERTEXT;
}

namespace {

// The ring of `id`, with where `id` stands in it; a pan box stands just
// before its knob.
std::vector<std::uint16_t> StripRing(std::uint16_t id, std::size_t* at) {
  const int index = id & 0xF;
  const std::uint16_t group = id & 0xFFF0;
  std::vector<std::uint16_t> ring;
  if (group == IDCONTROL || ((group == IDFADER || group == IDFADERTEXT) && index >= kChannels)) {
    ring = {Id(IDFADERTEXT, 8), Id(IDFADER, 8), Id(IDFADERTEXT, 9), Id(IDFADER, 9),
            IDCLEAROVERS,       IDMIXERACTIVE,  IDMIXSELECT};
  } else if (index < kChannels) {
    ring = {Id(IDFADERTEXT, index), Id(IDFADER, index), Id(IDPAN, index), Id(IDSOLO, index),
            Id(IDMUTE, index)};
  }
  const std::uint16_t stand = group == IDPANTEXT ? Id(IDFADER, index) : id;
  for (*at = 0; *at < ring.size(); ++*at)
    if (ring[*at] == stand) return ring;
  return {};
}

}  // namespace

std::uint16_t NextInStrip(std::uint16_t id, bool backwards) {
  std::size_t at = 0;
  const std::vector<std::uint16_t> ring = StripRing(id, &at);
  if (ring.empty()) return 0;
  // From the pan box, backwards is to the fader it stands after.
  if (backwards && (id & 0xFFF0) == IDPANTEXT) return ring[at];
  const std::size_t n = ring.size();
  return ring[backwards ? (at + n - 1) % n : (at + 1) % n];
}

bool RefreshConcerns(std::uint16_t id, std::uint32_t mask, int channel) {
  if ((id & 0xC000) != 0x4000 || (id & mask) == 0) return false;
  return channel == -1 || channel == (id & 0xF);
}
