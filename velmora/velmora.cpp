#include "velmora/velmora.h"

#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "korvaneobjects/korvanemastercontrol.h"
#include "platform/assert.h"
#include "platform/log.h"
#include "velmora/laws.h"
#include "velmora/mixblock.h"
#include "velmora/mixsteps.h"
#include "velmora/velmoraprefs.h"

bool savedFlag = true;

namespace {

std::int32_t mixerEnableValue = 0;
std::int32_t mixSelectValue = 0;
std::atomic<RefreshControlsHook> refreshHook{nullptr};
ControlChangedHook controlChangedHook = nullptr;

void ControlChanged(std::uint16_t id, std::int32_t value) {
  if (controlChangedHook != nullptr) controlChangedHook(id, value);
}

std::uint16_t Group(std::uint16_t id) { return id & 0xFFF0; }
int Index(std::uint16_t id) { return id & 0xF; }

bool IsFaderGroup(std::uint16_t id) { return Group(id) == IDFADER || Group(id) == IDFADERTEXT; }
bool IsPanGroup(std::uint16_t id) { return Group(id) == IDPAN || Group(id) == IDPANTEXT; }

// Below the range, or not a number, gives the bottom.
double Clamp(double value, double top) {
  if (!(value >= 0.0)) return 0.0;
  return value > top ? top : value;
}

const char* SkipSpaces(const char* text) {
  while (std::isspace(static_cast<unsigned char>(*text))) ++text;
  return text;
}

// "-inf" with nothing but spaces around it, in any case.
bool IsMinusInfinity(const char* text) {
  const char* p = SkipSpaces(text);
  const char word[] = "-inf";
  for (const char* w = word; *w; ++w, ++p)
    if (std::tolower(static_cast<unsigned char>(*p)) != *w) return false;
  return *SkipSpaces(p) == '\0';
}

// A decimal number at the start of `text` as "%lf" reads one, but only in
// plain decimal notation: "-inf", "nan" and hexadecimal text are no number.
bool ReadNumber(const char* text, double* number) {
  const char* p = SkipSpaces(text);
  const char* start = p;
  if (*p == '+' || *p == '-') ++p;
  bool digits = false;
  while (std::isdigit(static_cast<unsigned char>(*p))) ++p, digits = true;
  if (*p == '.') {
    ++p;
    while (std::isdigit(static_cast<unsigned char>(*p))) ++p, digits = true;
  }
  if (!digits) return false;
  if (*p == 'e' || *p == 'E') {
    const char* exponent = p + 1;
    if (*exponent == '+' || *exponent == '-') ++exponent;
    if (std::isdigit(static_cast<unsigned char>(*exponent))) {
      p = exponent;
      while (std::isdigit(static_cast<unsigned char>(*p))) ++p;
    }
  }
  *number = std::strtod(std::string(start, p).c_str(), nullptr);
  return true;
}

// A pan text's number of 64ths as a pan value, within the pan range.
double PanFromSteps(double steps) {
  const double pan = steps / 64.0;
  return pan < -1.0 ? -1.0 : (pan > 1.0 ? 1.0 : pan);
}

// Whole 64ths of a pan value, truncated toward zero.
long long PanSteps(double magnitude) {
  const double steps = magnitude * 64.0;
  return steps >= 1e15 ? static_cast<long long>(1e15) : static_cast<long long>(steps);
}

// Runs `write` on the model and records what it changed of what a settings
// file keeps (an undo step, and savedFlag): choosing an output pair,
// switching the mixer, or a value written again is nothing to save.
template <typename Write>
void WriteModel(std::uint16_t id, Write&& write) {
  KorvaneMasterControl* master = GetMasterControl();
  const SettingsImage before = CurrentImage();
  write(master);
  RecordWrite(before, CurrentImage(), id);
}

}  // namespace

void SetRefreshControlsHook(RefreshControlsHook hook) { refreshHook.store(hook); }

void SetControlChangedHook(ControlChangedHook hook) { controlChangedHook = hook; }

void RefreshControls(std::uint32_t mask, int channel) {
  if (RefreshControlsHook hook = refreshHook.load()) hook(mask, channel);
}

void ResetParameterInterface() {
  mixerEnableValue = 0;
  mixSelectValue = 0;
  ResetHistory();
  SetMixChangedHook(nullptr);
  controlChangedHook = nullptr;
}

std::int32_t KMXGetInteger(std::uint16_t id) {
  platform::Log("KMXGetInteger %04X\n", Group(id));
  velmoraPrefs* prefs = velmoraPrefs::Instance();
  const int channel = Index(id);
  switch (Group(id)) {
    case IDSOLO:
      if (channel >= 8) return 0;
      return GetMasterControl()->GetSolo(channel) ? 1 : 0;
    case IDMUTE:
      KORVANE_ASSERT(channel < 8, "chan < numberof(Mixer.Mute)");
      if (channel >= 8) return 0;
      return GetMasterControl()->GetMute(channel) ? 1 : 0;
    case IDCONTROL:
      platform::Log("IDCONTROL\n");
      switch (id) {
        case IDMIXERACTIVE:
          return mixerEnableValue;
        case IDMIXSELECT:
          platform::Log("Mix select: %i\n", mixSelectValue);
          return mixSelectValue;
        case 0x4803:
        case 0x4804:
        case 0x4805:
        case 0x4806:
        case 0x4807:
          return prefs->GetPref(id);
        default:
          return 0;
      }
    default:
      return 0;
  }
}

void KMXSetInteger(std::uint16_t id, std::int32_t value) {
  const int channel = Index(id);
  platform::Log("KMXSetInteger: %04X %02X %d\n", id, channel, value);
  switch (Group(id)) {
    case IDSOLO:
      KORVANE_ASSERT(channel < 8, "chan < numberof(Mixer.Solo)");
      if (channel >= 8) return;
      WriteModel(id, [&](KorvaneMasterControl* master) { master->SetSolo(channel, value != 0); });
      RefreshControls(kRefreshButtons, -1);
      return;
    case IDMUTE:
      KORVANE_ASSERT(channel < 8, "chan < numberof(Mixer.Mute)");
      if (channel >= 8) return;
      WriteModel(id, [&](KorvaneMasterControl* master) { master->SetMute(channel, value != 0); });
      RefreshControls(kRefreshButtons, -1);
      return;
    case IDCONTROL:
      if (id == IDMIXERACTIVE) {
        mixerEnableValue = value;
        GetMasterControl()->SetMixerEnable(value != 0);
        RefreshControls(kRefreshAll, -1);
        ControlChanged(id, value);
      } else if (id == IDMIXSELECT) {
        mixSelectValue = value;
        platform::Log("select mixer:%i\n", value);
        GetMasterControl()->SelectMix(static_cast<std::uint32_t>(value));
        RefreshControls(kRefreshAll, -1);
        ControlChanged(id, value);
      }
      return;
    default:
      return;
  }
}

double KMXGetFloat(std::uint16_t id) {
  const int index = Index(id);
  if (IsFaderGroup(id)) {
    KORVANE_ASSERT(index <= 9, "chan < numberof(Mixer.Fader)");
    return index <= 9 ? GetMasterControl()->GetFader(index) : 0.0;
  }
  if (IsPanGroup(id)) {
    KORVANE_ASSERT(index < 8, "chan < numberof(Mixer.Pan)");
    return index < 8 ? GetMasterControl()->GetPan(index) : 0.0;
  }
  return 0.0;
}

void KMXSetFloat(std::uint16_t id, double value) {
  const int index = Index(id);
  if (IsFaderGroup(id)) {
    KORVANE_ASSERT(index <= 9, "chan < numberof(Mixer.Fader)");
    if (index > 9) return;
    WriteModel(id, [&](KorvaneMasterControl* master) {
      if (index < 8)
        master->SetFader(index, Clamp(value, 2.0));
      else
        master->SetMaster(index - 8, Clamp(value, 1.0));
    });
    RefreshControls(kRefreshFader, index);
  } else if (IsPanGroup(id)) {
    KORVANE_ASSERT(index < 8, "chan < numberof(Mixer.Pan)");
    if (index >= 8) return;
    // Out of range is refused there.
    WriteModel(id, [&](KorvaneMasterControl* master) { master->SetPan(index, value); });
    RefreshControls(kRefreshPan, index);
  }
}

namespace {

bool IsMixValue(std::uint16_t id) {
  double ignored = 0;
  return BlockValue(MixBlock{}, id, &ignored);
}

// A write to a mix that is not shown goes into its block of the image: the
// model takes the image, the unit gets that mix, the history gets the step.
void WriteHiddenMix(int mix, std::uint16_t id, double value) {
  if (!GetMasterControl()->Model()->IsEnabled()) return;  // as the setters
  SettingsImage image = CurrentImage();
  MixBlock block = MixBlockOf(image, mix);
  PutBlockValue(&block, id, value);
  PutMixBlock(&image, mix, block);
  WriteImage(image, id, mix);
}

// Which mix a write is for, or false (logged) for none.
bool IsWritableMix(int mix, std::uint16_t id) {
  if (mix >= 0 && mix < kMixCount && IsMixValue(id)) return true;
  platform::Log("No mix %d value %04X to write.\n", mix, id);
  return false;
}

}  // namespace

void KMXSetMixFloat(int mix, std::uint16_t id, double value) {
  if (!IsWritableMix(mix, id)) return;
  if (static_cast<std::uint32_t>(mix) == GetMasterControl()->SelectedMix()) {
    KMXSetFloat(id, value);
    return;
  }
  const int index = Index(id);
  if (IsFaderGroup(id)) {
    WriteHiddenMix(mix, id, Clamp(value, index < 8 ? 2.0 : 1.0));
  } else if (IsPanGroup(id)) {
    // Out of range is refused, as for the shown mix.
    if (value >= -1.0 && value <= 1.0) WriteHiddenMix(mix, id, value);
  }
}

void KMXSetMixInteger(int mix, std::uint16_t id, std::int32_t value) {
  if (!IsWritableMix(mix, id)) return;
  if (static_cast<std::uint32_t>(mix) == GetMasterControl()->SelectedMix()) {
    KMXSetInteger(id, value);
    return;
  }
  const std::uint16_t group = Group(id);
  if (group == IDSOLO || group == IDMUTE) WriteHiddenMix(mix, id, value != 0 ? 1.0 : 0.0);
}

std::string KMXFormatValue(std::uint16_t id, double value) {
  char text[32];
  switch (Group(id)) {
    case IDPANTEXT:
      // Formatted into the buffer: GCC 12 takes "<" + std::to_string(..) at -O3
      // for an overlapping copy (a false -Wrestrict) and -Werror stops the build.
      if (value < 0.0) {
        std::snprintf(text, sizeof text, "<%lld", PanSteps(-value));
      } else if (value > 0.0) {
        std::snprintf(text, sizeof text, "%lld>", PanSteps(value));
      } else {
        return "<0>";  // centre, and a value that is no number
      }
      return text;
    case IDFADERTEXT:
      if (!(value > 0.001)) return "-inf";
      std::snprintf(text, sizeof text, "%4.1f", GainToDb(value));
      return text;
    case IDMETERSTATUS: {
      std::ostringstream stream;
      stream << value;
      return stream.str();
    }
    default:
      return "";
  }
}

double KMXParseValue(std::uint16_t id, const char* text) {
  double number = 0.0;
  if (text == nullptr || !ReadNumber(text, &number)) number = 0.0;
  switch (Group(id)) {
    case IDPANTEXT:
      return PanFromSteps(number);
    case IDFADERTEXT:
      return DbToGain(number);
    default:
      return 0.0;
  }
}

bool KMXReadValue(std::uint16_t id, const char* text, double* value) {
  if (text == nullptr) return false;
  double number = 0.0;
  if (Group(id) == IDFADERTEXT && IsMinusInfinity(text)) {
    *value = 0.0;
    return true;
  }
  const char* start = SkipSpaces(text);
  if (Group(id) == IDPANTEXT && *start == '<') {
    if (!ReadNumber(start + 1, &number)) return false;
    // "<0>" is the centre: 0.0, not -0.0.
    *value = PanFromSteps(-number) + 0.0;
    return true;
  }
  if (!ReadNumber(text, &number)) return false;
  *value = KMXParseValue(id, text);
  return true;
}
