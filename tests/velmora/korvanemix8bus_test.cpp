#include "velmora/korvanemix8bus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/assert.h"
#include "platform/log.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Serialized(const KorvaneMix8Bus& model) {
  Bytes out(kSerializedSize, 0xEE);
  model.Serialize(out.data());
  return out;
}

// A new model's four mix blocks: no flags, faders 0, pans centred (0x7FFF:
// the truncation drops the half), masters at unity.
Bytes FreshBlocks() {
  Bytes blocks;
  for (int mix = 0; mix < kMixCount; ++mix) {
    blocks.insert(blocks.end(), 32, 0);
    for (int i = 0; i < 8; ++i) blocks.insert(blocks.end(), {0x7F, 0xFF});
    blocks.insert(blocks.end(), {0xFF, 0xFF, 0xFF, 0xFF});
  }
  return blocks;
}

TEST(KorvaneMix8Bus, StartsDisabledWithFixedDefaultsAndKeepsValuesOverDisabling) {
  platform::LogCapture log;
  KorvaneMix8Bus model;
  model.SetFader(2, 1.5);
  model.SetSolo(2, true);
  for (int mix = 0; mix < kMixCount; ++mix) {
    for (int chan = 0; chan < kChannelCount; ++chan) {
      EXPECT_EQ(model.GetFader(mix, chan), 0.0);
      EXPECT_EQ(model.GetPan(mix, chan), 0.0);
      EXPECT_TRUE(model.GetMute(mix, chan));
      EXPECT_FALSE(model.GetSolo(mix, chan));
      EXPECT_TRUE(model.GetEffectiveMute(chan));
    }
    EXPECT_EQ(model.GetMaster(mix, 1), 1.0);
  }
  EXPECT_EQ(log.Lines()[0], "INIT KORVANEMIX8BUS\n");
  EXPECT_EQ(log.Count("MIXER DISABLED!!!!!\n"), 32);
  EXPECT_EQ(model.MixState(0).Fader[2], 0.0) << "writes while disabled are dropped";
  EXPECT_EQ(model.MixState(0).soloCount, 0);

  log.Clear();
  model.SetEnabled(true);
  model.SetFader(2, 1.5);
  model.SetEnabled(false);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{"MIX ENABLE=1", "MIX ENABLE=0"}));
  EXPECT_EQ(model.GetFader(0, 2), 0.0);
  model.SetEnabled(true);
  EXPECT_EQ(model.GetFader(0, 2), 1.5);
  EXPECT_FALSE(model.GetMute(0, 2));
}

TEST(KorvaneMix8Bus, SoloMutesTheOtherChannelsOfItsOwnMixOnly) {
  KorvaneMix8Bus model;
  model.SetEnabled(true);
  model.SetSolo(3, true);
  model.SetSolo(3, true);
  EXPECT_EQ(model.MixState(0).soloCount, 1) << "an unchanged value counts once";
  for (int chan = 0; chan < kChannelCount; ++chan) {
    EXPECT_EQ(model.GetEffectiveMute(chan), chan != 3) << chan;
    EXPECT_FALSE(model.GetMute(0, chan)) << "the mute flags stay clear";
    EXPECT_FALSE(model.EffectiveMute(1, chan)) << "mix 1 has no solo";
  }
  model.SetSolo(6, true);
  model.SetMute(6, true);
  EXPECT_TRUE(model.EffectiveMute(0, 6)) << "soloed and muted stays muted";
  model.SetSolo(3, false);
  model.SetSolo(6, false);
  model.SetSolo(1, false);
  EXPECT_EQ(model.MixState(0).soloCount, 0);
  EXPECT_FALSE(model.EffectiveMute(0, 5));
}

TEST(KorvaneMix8Bus, GainsFoldPanMasterAndMuteIntoTheRecord) {
  KorvaneMix8Bus model;
  model.SetEnabled(true);
  model.SelectMix(2);
  model.SetFader(0, 1.0);
  EXPECT_EQ(model.ChannelGain(2, 0, 0), 0.5);
  EXPECT_EQ(model.ChannelGain(2, 0, 1), 0.5);
  model.SetFader(1, 2.0);  // pan -0.5: left 0.75, right 0.25
  model.SetPan(1, -0.5);
  model.SetFader(7, 2.0);
  model.SetPan(7, 1.0);
  model.SetMaster(0, 0.5);
  model.SetFader(4, 1.0);
  model.SetMute(4, true);

  FullMixRecord record;
  record.gains[10] = record.gains[30] = 99.0;
  model.SetEnabled(false);  // the record reads the stored values regardless
  model.BuildFullMixRecord(2, &record);
  double expected[kFullMixRecordSize] = {};
  expected[0] = 0.25;  // centre, then the left master halves it
  expected[16] = 0.5;
  expected[1] = 0.75;
  expected[17] = 0.5;
  expected[23] = 2.0;  // full right
  expected[32] = 0.5;
  expected[33] = 1.0;
  expected[34] = 2.0;
  for (int slot = 0; slot < kFullMixRecordSize; ++slot) {
    EXPECT_DOUBLE_EQ(record.gains[slot], expected[slot]) << "slot " << slot;
  }
}

TEST(KorvaneMix8Bus, SerializesCountsThenBigEndianTruncatedBlocks) {
  KorvaneMix8Bus model;
  Bytes expected = FreshBlocks();
  expected.insert(expected.begin(), {8, 8});
  EXPECT_EQ(Serialized(model), expected);

  model.SetEnabled(true);
  model.SelectMix(1);
  model.SetMute(0, true);
  model.SetSolo(7, true);
  model.SetFader(0, 2.0);    // 65535
  model.SetFader(1, 1.0);    // 32767.5
  model.SetPan(0, -1.0);     // 0
  model.SetPan(1, 0.5);      // 49151.25
  model.SetMaster(0, 0.25);  // 16383.75
  const Bytes bytes = Serialized(model);
  const std::uint8_t* block = bytes.data() + 2 + kMixBlockSize;
  EXPECT_EQ(Bytes(block, block + 16), (Bytes{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(Bytes(block + 16, block + 20), (Bytes{0xFF, 0xFF, 0x7F, 0xFF}));
  EXPECT_EQ(Bytes(block + 32, block + 36), (Bytes{0x00, 0x00, 0xBF, 0xFF}));
  EXPECT_EQ(Bytes(block + 48, block + 52), (Bytes{0x3F, 0xFF, 0xFF, 0xFF}));
}

TEST(KorvaneMix8Bus, DeserializeTakesFlagsOnlyWhenOneAndLeavesModeAndSelection) {
  KorvaneMix8Bus model;
  model.SelectMix(3);
  Bytes blocks = FreshBlocks();
  std::uint8_t* mix2 = blocks.data() + 2 * kMixBlockSize;
  mix2[0] = 2;     // mute bytes
  mix2[1] = 1;
  mix2[8] = 1;     // solo bytes
  mix2[9] = 0xFF;
  mix2[10] = 1;
  mix2[16] = mix2[17] = 0xFF;  // fader 2.0
  mix2[32] = mix2[33] = 0x00;  // pan full left
  mix2[48] = 0x80;             // left master 0x8000 / 65535
  mix2[49] = 0x00;
  model.Deserialize(blocks.data());

  EXPECT_FALSE(model.IsEnabled());
  EXPECT_EQ(model.SelectedMix(), 3);
  const Mixer& state = model.MixState(2);
  EXPECT_EQ(state.Mute[0], 0);
  EXPECT_EQ(state.Mute[1], 1);
  EXPECT_EQ(state.Solo[1], 0);
  EXPECT_EQ(state.soloCount, 2);
  EXPECT_EQ(state.Fader[0], 2.0);
  EXPECT_EQ(state.Pan[0], -1.0);
  EXPECT_EQ(state.Pan[1], 0.0) << "centre's word is centre";
  EXPECT_NEAR(state.Fader[8], 0.500008, 1e-6);
  EXPECT_EQ(state.Fader[9], 1.0);

  KorvaneMix8Bus copy;
  const Bytes image = Serialized(model);
  copy.Deserialize(image.data() + 2);
  EXPECT_EQ(Serialized(copy), image) << "once quantised, a round trip is stable";
}

// A file loaded and saved again is the same file: no word of a fader, pan or
// master loses a unit to the decoding and the truncation on the way back.
TEST(KorvaneMix8Bus, EveryWordComesBackFromALoadAndASaveAsItWas) {
  KorvaneMix8Bus model;
  Bytes blocks = FreshBlocks();
  int changed = 0;
  unsigned firstChanged = 0;
  for (unsigned word = 0; word <= 0xFFFF; ++word) {
    for (int mix = 0; mix < kMixCount; ++mix) {
      std::uint8_t* words = blocks.data() + mix * kMixBlockSize + 16;
      for (int i = 0; i < 18; ++i) {  // 8 faders, 8 pans, 2 masters
        words[2 * i] = static_cast<std::uint8_t>(word >> 8);
        words[2 * i + 1] = static_cast<std::uint8_t>(word);
      }
    }
    model.Deserialize(blocks.data());
    const Bytes saved = Serialized(model);
    if (!std::equal(blocks.begin(), blocks.end(), saved.begin() + 2) && changed++ == 0)
      firstChanged = word;
  }
  EXPECT_EQ(changed, 0) << "first changed word: " << firstChanged;
}

// What a pan box shows survives a save and a load: every whole 64th of a side,
// centre included.
TEST(KorvaneMix8Bus, PansInWholeStepsComeBackAsTheyWereSet) {
  KorvaneMix8Bus model;
  model.SetEnabled(true);
  for (int step = -64; step <= 64; ++step) {
    model.SetPan(0, step / 64.0);
    KorvaneMix8Bus copy;
    copy.Deserialize(Serialized(model).data() + 2);
    EXPECT_EQ(copy.MixState(0).Pan[0], step / 64.0) << step;
  }
}

TEST(KorvaneMix8Bus, BadIndicesAreReportedAndNeverReachTheTables) {
  platform::SetAssertionsAbort(false);
  platform::LogCapture log;
  KorvaneMix8Bus model;
  model.SetEnabled(true);
  model.SetFader(8, 0.5);  // would be the left master
  model.SetSolo(-1, true);
  model.SelectMix(4);
  EXPECT_EQ(model.GetFader(0, 8), 0.0);
  EXPECT_EQ(model.GetMaster(4, 0), 1.0);
  EXPECT_EQ(model.ChannelGain(0, 0, 2), 0.0);
  platform::SetAssertionsAbort(true);
  EXPECT_EQ(model.MixState(0).Fader[8], 1.0);
  EXPECT_EQ(model.MixState(0).soloCount, 0);
  EXPECT_EQ(model.SelectedMix(), 0);
#ifndef NDEBUG
  EXPECT_EQ(log.Count("Assertion failed: chan >= 0 && chan < kChannelCount\n"), 3);
  EXPECT_EQ(log.Count("Assertion failed: mix >= 0 && mix < kMixCount\n"), 2);
  EXPECT_EQ(log.Count("Assertion failed: side == 0 || side == 1\n"), 1);
#endif
}

}  // namespace
