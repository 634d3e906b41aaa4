// The state of the device's hardware mixer as the user sets it: four stereo
// mixes of eight input channels each, one per output pair, and the gains the
// device is to apply. No I/O, no threads, no locks: used on the GUI thread only.
#pragma once

#include <cstdint>

#include "velmora/fullmixrecord.h"

constexpr int kMixCount = 4;
constexpr int kChannelCount = 8;
constexpr int kMixBlockSize = 52;
constexpr int kSerializedSize = 2 + kMixCount * kMixBlockSize;  // 210

// One stereo mix.
struct Mixer {
  double Fader[10];  // 0..7 channel faders (0..2); 8, 9 left and right master (0..1)
  double Pan[8];     // -1 full left .. +1 full right
  std::uint8_t Mute[8];
  std::uint8_t Solo[8];
  std::int32_t soloCount;  // channels whose Solo is 1
};

class KorvaneMix8Bus {
 public:
  KorvaneMix8Bus();
  ~KorvaneMix8Bus();
  KorvaneMix8Bus(const KorvaneMix8Bus&) = delete;
  KorvaneMix8Bus& operator=(const KorvaneMix8Bus&) = delete;

  // Setters act on the selected mix, and only while the mixer is enabled.
  void SetFader(int channel, double gain);
  void SetPan(int channel, double pan);
  void SetMaster(int side, double gain);
  void SetMute(int channel, bool on);
  void SetSolo(int channel, bool on);
  void SetEnabled(bool enabled);  // always
  void SelectMix(int mix);        // always

  // Getters give fixed defaults while the mixer is disabled.
  double GetFader(int mix, int channel) const;
  double GetPan(int mix, int channel) const;
  double GetMaster(int mix, int side) const;
  bool GetMute(int mix, int channel) const;
  bool GetSolo(int mix, int channel) const;
  bool GetEffectiveMute(int channel) const;  // in the selected mix

  bool IsEnabled() const { return mixerEnabled; }
  int SelectedMix() const { return selectedMix; }

  // Gain computation: reads the stored values whether enabled or not.
  double PanGain(int mix, int channel, int side) const;
  bool EffectiveMute(int mix, int channel) const;
  double ChannelGain(int mix, int channel, int side) const;
  void BuildFullMixRecord(int mix, FullMixRecord* record) const;

  // The settings image of the four mixes: input and output count (8, 8), then
  // the four 52-byte blocks; kSerializedSize bytes.
  void Serialize(std::uint8_t* out) const;
  // Reads the four blocks (without the two count bytes) whatever the enable
  // state; touches neither the selected mix nor the enable state.
  void Deserialize(const std::uint8_t* in);

  // The raw state of one mix (settings tests and the device checks).
  const Mixer& MixState(int mix) const { return *mixes[mix]; }

 private:
  Mixer* mixes[kMixCount];
  bool mixerEnabled;
  int selectedMix;
};
