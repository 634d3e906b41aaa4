// Fuzz target: the value boxes' text parser. The first byte picks the box (its
// parameter group and channel), the next four the mix selector's value, the
// fifth a solo or mute button pressed, the rest is the text typed (up to its
// first zero byte). A user relies on any text giving a value the mixer can
// hold, on a typed value in range being stored as typed, on the box's own
// display text reading back as the value shown, and on the solo count of
// every mix matching its solo flags.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "fuzz/fuzzcheck.h"
#include "fuzz/fuzzinput.h"
#include "korvaneobjects/enginemessage.h"
#include "korvaneobjects/korvanefifo.h"
#include "korvaneobjects/korvanemastercontrol.h"
#include "velmora/korvanemix8bus.h"
#include "velmora/laws.h"
#include "velmora/velmora.h"

namespace {

// The groups a box can carry; the plain fader and pan ids take the same values.
constexpr std::uint16_t kGroups[] = {IDPANTEXT, IDFADERTEXT, IDPAN, IDFADER, IDMETERSTATUS, IDMUTE};

bool IsPan(std::uint16_t id) { return (id & 0xFFF0) == IDPANTEXT || (id & 0xFFF0) == IDPAN; }
bool IsFader(std::uint16_t id) { return (id & 0xFFF0) == IDFADERTEXT || (id & 0xFFF0) == IDFADER; }

std::uint16_t PickId(std::uint8_t byte) {
  const std::uint16_t group = kGroups[byte % std::size(kGroups)];
  // Only channels the group has: other indices break a documented precondition.
  const int channels = group == IDFADERTEXT || group == IDFADER ? 10 : 8;
  return static_cast<std::uint16_t>(group | (byte / std::size(kGroups)) % channels);
}

double TopOf(std::uint16_t id) { return (id & 0xF) >= 8 ? 1.0 : 2.0; }

void CheckParsed(std::uint16_t id, double parsed) {
  FUZZ_CHECK(!std::isnan(parsed));
  if ((id & 0xFFF0) == IDPANTEXT) {
    FUZZ_CHECK(parsed >= -1.0 && parsed <= 1.0);
  } else if ((id & 0xFFF0) == IDFADERTEXT) {
    FUZZ_CHECK(parsed >= 0.0);  // not clamped here: storing it clamps
  } else {
    FUZZ_CHECK(parsed == 0.0);
  }
}

// The stored value after the box wrote `parsed`.
void CheckStored(std::uint16_t id, double parsed, double stored) {
  if (IsPan(id)) {
    FUZZ_CHECK(stored == parsed);
    return;
  }
  FUZZ_CHECK(std::isfinite(stored));
  FUZZ_CHECK(stored == std::clamp(parsed, 0.0, TopOf(id)));
}

// The text a box shows, typed back in (a left pan typed with a minus, as the
// "<" of the display is no number), gives the value shown to display precision.
void CheckDisplayReadsBack(std::uint16_t id, double stored) {
  if (IsPan(id)) {
    const std::uint16_t textId = static_cast<std::uint16_t>(IDPANTEXT | (id & 0xF));
    std::string shown = KMXFormatValue(textId, stored);
    FUZZ_CHECK(!shown.empty() && shown.size() <= 4);
    if (shown[0] == '<') shown[0] = '-';
    const double typed = KMXParseValue(textId, shown.c_str());
    FUZZ_CHECK(std::fabs(typed - stored) < 1.0 / 64);
    FUZZ_CHECK(std::fabs(typed) <= std::fabs(stored));  // truncated, never further out
  } else if (IsFader(id)) {
    const std::uint16_t textId = static_cast<std::uint16_t>(IDFADERTEXT | (id & 0xF));
    const std::string shown = KMXFormatValue(textId, stored);
    if (!(stored > 0.001)) {
      FUZZ_CHECK(shown == "-inf");
      return;
    }
    const double typed = KMXParseValue(textId, shown.c_str());
    FUZZ_CHECK(std::fabs(GainToDb(typed) - GainToDb(stored)) <= 0.05 + 1e-9);
  }
}

// Bits 0-2: the channel; bit 3: solo rather than mute; bit 4: on; bit 5: the
// mixer switched off for the press (the model then ignores it).
void PressButton(std::uint8_t press) {
  const std::uint16_t group = press & 8 ? IDSOLO : IDMUTE;
  if (press & 0x20) KMXSetInteger(IDMIXERACTIVE, 0);
  KMXSetInteger(static_cast<std::uint16_t>(group | (press & 7)), (press >> 4) & 1);
  if (press & 0x20) KMXSetInteger(IDMIXERACTIVE, 1);
  const KorvaneMix8Bus& model = *GetMasterControl()->Model();
  for (int mix = 0; mix < kMixCount; ++mix) {
    const Mixer& state = model.MixState(mix);
    int solos = 0;
    for (int channel = 0; channel < kChannelCount; ++channel) solos += state.Solo[channel];
    FUZZ_CHECK(state.soloCount == solos);
  }
}

void CheckQueuedMixes(KorvaneMasterControl& master) {
  while (EngineMessage* message = master.Fifo()->Pop()) {
    if (message->kind == kMessageFullMix) {
      const auto& full = static_cast<const FullMixMessage&>(*message);
      for (int gain = 0; gain < 34; ++gain) {
        const double value = full.record.gains[gain];
        FUZZ_CHECK(std::isfinite(value) && value >= 0.0 && value <= 2.0);
      }
    }
    delete message;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QuietLog();
  KorvaneMasterControl& master = *GetMasterControl();
  static const bool enabled = (KMXSetInteger(IDMIXERACTIVE, 1), true);
  (void)enabled;

  FuzzInput input(data, size);
  const std::uint16_t id = PickId(input.Byte());
  // Only mixes 0 to 3 exist; another number selects nothing.
  KMXSetInteger(IDMIXSELECT, static_cast<std::int32_t>(input.Word()));
  FUZZ_CHECK(master.SelectedMix() < kMixCount);
  PressButton(input.Byte());
  std::string text(input.Remaining(), '\0');
  input.Bytes(text.data(), text.size());
  text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));

  const double parsed = KMXParseValue(id, text.c_str());
  CheckParsed(id, parsed);
  if (IsPan(id) || IsFader(id)) {
    KMXSetFloat(id, parsed);
    const double stored = KMXGetFloat(id);
    CheckStored(id, parsed, stored);
    CheckDisplayReadsBack(id, stored);
  }
  CheckQueuedMixes(master);
  return 0;
}
