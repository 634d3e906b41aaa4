// Mix blocks as the clipboard carries them: taken from and put into settings
// images, checked when they come from outside, and read out as text.
#include "velmora/mixblock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/log.h"
#include "velmora/korvanemix8bus.h"

namespace {

SettingsImage ImageOf(const KorvaneMix8Bus& model) {
  SettingsImage image{};
  image[0] = kSettingsRevision;
  image[1] = kSettingsDevices;
  model.Serialize(image.data() + 2);
  return image;
}

bool Logged(const platform::LogCapture& log, const std::string& part) {
  const std::vector<std::string> lines = log.Lines();
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& line) { return line.find(part) != std::string::npos; });
}

TEST(MixBlock, ABlockTakenFromOnePairAndPutIntoAnotherLoadsAsTheSameMix) {
  platform::LogCapture log;
  KorvaneMix8Bus model;
  model.SetEnabled(true);
  model.SelectMix(1);
  model.SetFader(0, 0.5);
  model.SetPan(2, -12.0 / 64);
  model.SetSolo(3, true);
  model.SetMute(5, true);
  model.SetMaster(1, 0.25);
  SettingsImage image = ImageOf(model);

  const MixBlock block = MixBlockOf(image, 1);
  EXPECT_EQ(block[5], 1) << "mute of Ch 6";
  EXPECT_EQ(block[8 + 3], 1) << "solo of Ch 4";
  EXPECT_EQ(std::count(block.begin(), block.begin() + 16, 0), 14);
  EXPECT_EQ(block[16], 0x3F) << "0.5 / 2 * 65535 = 16383.75, truncated: 0x3FFF";
  EXPECT_EQ(block[17], 0xFF);
  EXPECT_EQ(block[32 + 4], 0x67) << "(1 - 12/64) / 2 * 65535 = 26623.6: 0x67FF";
  EXPECT_EQ(block[32 + 5], 0xFF);
  EXPECT_EQ(block[50], 0x3F) << "0.25 * 65535 = 16383.75: 0x3FFF";
  EXPECT_EQ(block[51], 0xFF);

  const SettingsImage before = image;
  PutMixBlock(&image, 3, block);
  EXPECT_TRUE(std::equal(image.begin(), image.begin() + 4 + 3 * 52, before.begin()))
      << "the header and the other pairs stay as they were";
  EXPECT_EQ(MixBlockOf(image, 3), block);

  KorvaneMix8Bus loaded;
  loaded.SetEnabled(true);
  loaded.Deserialize(image.data() + 4);
  for (int channel = 0; channel < kChannelCount; ++channel) {
    EXPECT_EQ(loaded.GetFader(3, channel), loaded.GetFader(1, channel)) << channel;
    EXPECT_EQ(loaded.GetPan(3, channel), loaded.GetPan(1, channel)) << channel;
    EXPECT_EQ(loaded.GetSolo(3, channel), channel == 3) << channel;
    EXPECT_EQ(loaded.GetMute(3, channel), channel == 5) << channel;
  }
  EXPECT_EQ(loaded.GetPan(3, 2), -12.0 / 64) << "a whole number of 64ths comes back whole";
  EXPECT_EQ(loaded.GetMaster(3, 1), loaded.GetMaster(1, 1));
  EXPECT_EQ(loaded.MixState(3).soloCount, 1);
  EXPECT_EQ(ImageOf(loaded), image) << "a pasted mix saves as it was copied";
}

TEST(MixBlock, AnOutputPairThatDoesNotExistGivesNothingAndChangesNothing) {
  platform::LogCapture log;
  KorvaneMix8Bus model;
  SettingsImage image = ImageOf(model);
  const SettingsImage before = image;
  MixBlock ones;
  ones.fill(1);

  EXPECT_EQ(MixBlockOf(image, 4), MixBlock{});
  EXPECT_EQ(MixBlockOf(image, -1), MixBlock{});
  PutMixBlock(&image, 4, ones);
  PutMixBlock(&image, -1, ones);
  PutMixBlock(nullptr, 0, ones);
  EXPECT_EQ(image, before);
  EXPECT_TRUE(Logged(log, "no output pair 4"));
}

// Whatever another program left on the clipboard under our format.
TEST(MixBlock, ABlockOfTheWrongSizeOrWithFlagsBeyondOneIsRefusedAndNamed) {
  platform::LogCapture log;
  std::vector<std::uint8_t> bytes(60, 0);
  MixBlock block;
  block.fill(0xAB);
  const MixBlock untouched = block;

  EXPECT_FALSE(ReadMixBlock(bytes.data(), 51, &block));
  EXPECT_TRUE(Logged(log, "51 bytes"));
  EXPECT_FALSE(ReadMixBlock(bytes.data(), 53, &block));
  EXPECT_FALSE(ReadMixBlock(bytes.data(), 0, &block));
  EXPECT_FALSE(ReadMixBlock(nullptr, 52, &block));

  bytes[8 + 2] = 2;
  EXPECT_FALSE(ReadMixBlock(bytes.data(), 52, &block));
  EXPECT_TRUE(Logged(log, "the solo byte of Ch 3 is 2"));
  bytes[8 + 2] = 1;
  bytes[7] = 0xFF;
  EXPECT_FALSE(ReadMixBlock(bytes.data(), 52, &block));
  EXPECT_TRUE(Logged(log, "the mute byte of Ch 8 is 255"));
  EXPECT_EQ(block, untouched) << "a refused block changes nothing";

  bytes[7] = 1;
  std::fill(bytes.begin() + 16, bytes.begin() + 52, 0xFF);  // every word at its top
  ASSERT_TRUE(ReadMixBlock(bytes.data(), 52, &block));
  EXPECT_TRUE(std::equal(block.begin(), block.end(), bytes.begin()));
}

void PutWord(MixBlock* block, int at, unsigned word) {
  (*block)[at] = static_cast<std::uint8_t>(word >> 8);
  (*block)[at + 1] = static_cast<std::uint8_t>(word & 0xFF);
}

TEST(MixBlock, TheTextReadsEachChannelAndBothMastersAsTheBoxesShowThem) {
  MixBlock block{};
  const unsigned faders[8] = {16422,  // 10^(-6/20) / 2 * 65535, truncated: -6.0003 dB
                              0,      // silence
                              32767,  // 0 dB, a hair below unity once stored
                              65535,  // +6.02 dB, the top
                              32,     // gain 0.000977: below what the box shows
                              33,     // gain 0.001007: -59.9 dB
                              8191,  8191};
  const unsigned pans[8] = {0x7FFF,  // centre
                            26623,   // 12/64 left
                            65535,   // full right
                            0,       // full left
                            32766,   // a hair left of centre: no whole 64th
                            34303,   // 3/64 right
                            0x7FFF, 0x7FFF};
  for (int channel = 0; channel < 8; ++channel) {
    PutWord(&block, 16 + 2 * channel, faders[channel]);
    PutWord(&block, 32 + 2 * channel, pans[channel]);
  }
  block[8 + 1] = 1;  // solo Ch 2
  block[2] = 1;      // mute Ch 3
  block[8 + 7] = 1;  // Ch 8 soloed and muted
  block[7] = 1;
  PutWord(&block, 48, 65535);
  PutWord(&block, 50, 0);

  EXPECT_EQ(MixBlockText(block),
            "Ch 1\t-6.0 dB\tcentre\tsolo off\tmute off\r\n"
            "Ch 2\t-inf dB\t12 left\tsolo on\tmute off\r\n"
            "Ch 3\t0.0 dB\t64 right\tsolo off\tmute on\r\n"
            "Ch 4\t6.0 dB\t64 left\tsolo off\tmute off\r\n"
            "Ch 5\t-inf dB\tcentre\tsolo off\tmute off\r\n"
            "Ch 6\t-59.9 dB\t3 right\tsolo off\tmute off\r\n"
            "Ch 7\t-12.0 dB\tcentre\tsolo off\tmute off\r\n"
            "Ch 8\t-12.0 dB\tcentre\tsolo on\tmute on\r\n"
            "Master left\t0.0 dB\r\n"
            "Master right\t-inf dB\r\n");
}

}  // namespace
