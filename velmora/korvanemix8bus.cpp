#include "velmora/korvanemix8bus.h"

#include "platform/assert.h"
#include "platform/log.h"
#include "velmora/mixwords.h"

namespace {

// A broken precondition is reported with the expression's text (debug builds);
// the caller then falls back to the disabled default or drops the write, so a
// bad index never reaches the tables, in release builds either.
bool Checked(bool holds, const char* text) {
  KORVANE_ASSERT(holds, text);
  (void)text;
  return holds;
}

#define REQUIRE(expression) Checked(static_cast<bool>(expression), #expression)

void InitMixer(Mixer* mixer) {
  *mixer = Mixer{};  // channel faders and pans 0.0, no flags, no solo
  mixer->Fader[8] = 1.0;
  mixer->Fader[9] = 1.0;
}

}  // namespace

KorvaneMix8Bus::KorvaneMix8Bus() : mixerEnabled(false), selectedMix(0) {
  platform::Log("INIT KORVANEMIX8BUS\n");
  for (Mixer*& mixer : mixes) {
    mixer = new Mixer;
    InitMixer(mixer);
  }
}

KorvaneMix8Bus::~KorvaneMix8Bus() {
  for (Mixer* mixer : mixes) delete mixer;
}

void KorvaneMix8Bus::SetFader(int chan, double gain) {
  if (!REQUIRE(chan >= 0 && chan < kChannelCount)) return;
  if (mixerEnabled) mixes[selectedMix]->Fader[chan] = gain;
}

void KorvaneMix8Bus::SetPan(int chan, double pan) {
  if (!REQUIRE(chan >= 0 && chan < kChannelCount)) return;
  if (mixerEnabled) mixes[selectedMix]->Pan[chan] = pan;
}

void KorvaneMix8Bus::SetMaster(int side, double gain) {
  if (!REQUIRE(side == 0 || side == 1)) return;
  if (mixerEnabled) mixes[selectedMix]->Fader[8 + side] = gain;
}

void KorvaneMix8Bus::SetMute(int chan, bool on) {
  if (!REQUIRE(chan >= 0 && chan < kChannelCount)) return;
  if (mixerEnabled) mixes[selectedMix]->Mute[chan] = on ? 1 : 0;
}

void KorvaneMix8Bus::SetSolo(int chan, bool on) {
  if (!REQUIRE(chan >= 0 && chan < kChannelCount)) return;
  if (!mixerEnabled) return;
  Mixer& mixer = *mixes[selectedMix];
  const std::uint8_t value = on ? 1 : 0;
  if (mixer.Solo[chan] == value) return;
  mixer.Solo[chan] = value;
  mixer.soloCount += on ? 1 : -1;
}

void KorvaneMix8Bus::SetEnabled(bool enabled) {
  platform::Log("MIX ENABLE=%i", enabled ? 1 : 0);
  mixerEnabled = enabled;
}

void KorvaneMix8Bus::SelectMix(int mix) {
  if (!REQUIRE(mix >= 0 && mix < kMixCount)) return;
  selectedMix = mix;
}

double KorvaneMix8Bus::GetFader(int mix, int chan) const {
  if (!REQUIRE(mix >= 0 && mix < kMixCount) || !REQUIRE(chan >= 0 && chan < kChannelCount)) {
    return 0.0;
  }
  return mixerEnabled ? mixes[mix]->Fader[chan] : 0.0;
}

double KorvaneMix8Bus::GetPan(int mix, int chan) const {
  if (!REQUIRE(mix >= 0 && mix < kMixCount) || !REQUIRE(chan >= 0 && chan < kChannelCount)) {
    return 0.0;
  }
  return mixerEnabled ? mixes[mix]->Pan[chan] : 0.0;
}

double KorvaneMix8Bus::GetMaster(int mix, int side) const {
  if (!REQUIRE(mix >= 0 && mix < kMixCount) || !REQUIRE(side == 0 || side == 1)) return 1.0;
  return mixerEnabled ? mixes[mix]->Fader[8 + side] : 1.0;
}

bool KorvaneMix8Bus::GetMute(int mix, int chan) const {
  if (!REQUIRE(mix >= 0 && mix < kMixCount) || !REQUIRE(chan >= 0 && chan < kChannelCount)) {
    return true;
  }
  return mixerEnabled ? mixes[mix]->Mute[chan] != 0 : true;
}

bool KorvaneMix8Bus::GetSolo(int mix, int chan) const {
  if (!REQUIRE(mix >= 0 && mix < kMixCount) || !REQUIRE(chan >= 0 && chan < kChannelCount)) {
    return false;
  }
  return mixerEnabled ? mixes[mix]->Solo[chan] != 0 : false;
}

bool KorvaneMix8Bus::GetEffectiveMute(int chan) const {
  if (!mixerEnabled) {
    platform::Log("MIXER DISABLED!!!!!\n");
    return true;
  }
  return EffectiveMute(selectedMix, chan);
}

double KorvaneMix8Bus::PanGain(int mix, int chan, int side) const {
  if (!REQUIRE(mix >= 0 && mix < kMixCount) || !REQUIRE(chan >= 0 && chan < kChannelCount) ||
      !REQUIRE(side == 0 || side == 1)) {
    return 0.0;
  }
  const double right = (mixes[mix]->Pan[chan] + 1.0) / 2.0;
  return side == 1 ? right : 1.0 - right;
}

bool KorvaneMix8Bus::EffectiveMute(int mix, int chan) const {
  if (!REQUIRE(mix >= 0 && mix < kMixCount) || !REQUIRE(chan >= 0 && chan < kChannelCount)) {
    return true;
  }
  const Mixer& mixer = *mixes[mix];
  if (mixer.soloCount != 0 && mixer.Solo[chan] != 1) return true;
  return mixer.Mute[chan] != 0;
}

double KorvaneMix8Bus::ChannelGain(int mix, int chan, int side) const {
  if (!REQUIRE(mix >= 0 && mix < kMixCount) || !REQUIRE(chan >= 0 && chan < kChannelCount) ||
      !REQUIRE(side == 0 || side == 1)) {
    return 0.0;
  }
  const Mixer& mixer = *mixes[mix];
  const double mute = EffectiveMute(mix, chan) ? 0.0 : 1.0;
  return mixer.Fader[chan] * PanGain(mix, chan, side) * mixer.Fader[8 + side] * mute;
}

void KorvaneMix8Bus::BuildFullMixRecord(int mix, FullMixRecord* record) const {
  if (!REQUIRE(record != nullptr)) return;
  // Sources 8..15 of each side have no channel in this mixer: they get silence.
  *record = FullMixRecord{};
  record->gains[34] = mix;
  if (!REQUIRE(mix >= 0 && mix < kMixCount)) return;
  for (int chan = 0; chan < kChannelCount; ++chan) {
    record->gains[chan] = ChannelGain(mix, chan, 0);
    record->gains[16 + chan] = ChannelGain(mix, chan, 1);
  }
  record->gains[32] = mixes[mix]->Fader[8];
  record->gains[33] = mixes[mix]->Fader[9];
}

// A mix block: 8 mute bytes, 8 solo bytes, then 16-bit words for the eight
// faders (0..2 over the word's range), the eight pans (-1..+1) and the two
// masters (0..1).
void KorvaneMix8Bus::Serialize(std::uint8_t* out) const {
  if (!REQUIRE(out != nullptr)) return;
  *out++ = 8;  // inputs
  *out++ = 8;  // outputs
  for (const Mixer* mixer : mixes) {
    for (int i = 0; i < kChannelCount; ++i) *out++ = mixer->Mute[i] == 1 ? 1 : 0;
    for (int i = 0; i < kChannelCount; ++i) *out++ = mixer->Solo[i] == 1 ? 1 : 0;
    for (int i = 0; i < kChannelCount; ++i, out += 2) PutFader(out, mixer->Fader[i]);
    for (int i = 0; i < kChannelCount; ++i, out += 2) PutPan(out, mixer->Pan[i]);
    for (int side = 0; side < 2; ++side, out += 2) PutMaster(out, mixer->Fader[8 + side]);
  }
}

void KorvaneMix8Bus::Deserialize(const std::uint8_t* in) {
  if (!REQUIRE(in != nullptr)) return;
  for (Mixer* mixer : mixes) {
    mixer->soloCount = 0;
    for (int i = 0; i < kChannelCount; ++i) mixer->Mute[i] = *in++ == 1 ? 1 : 0;
    for (int i = 0; i < kChannelCount; ++i) {
      mixer->Solo[i] = *in++ == 1 ? 1 : 0;
      mixer->soloCount += mixer->Solo[i];
    }
    for (int i = 0; i < kChannelCount; ++i, in += 2) mixer->Fader[i] = ReadFader(in);
    for (int i = 0; i < kChannelCount; ++i, in += 2) mixer->Pan[i] = ReadPan(in);
    for (int side = 0; side < 2; ++side, in += 2) mixer->Fader[8 + side] = ReadMaster(in);
  }
}
