// The parameter interface: identifiers to engine calls, clamping, texts, the
// unsaved flag and the refresh requests.
#include "velmora/velmora.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "korvaneobjects/korvanemastercontrol.h"
#include "platform/assert.h"
#include "platform/log.h"
#include "tests/support/enginetest.h"
#include "velmora/korvanemix8bus.h"

namespace {

std::vector<std::pair<std::uint32_t, int>> refreshes;
void RecordRefresh(std::uint32_t mask, int channel) { refreshes.emplace_back(mask, channel); }

class ParameterTest : public testsupport::EngineTest {
 protected:
  void SetUp() override {
    refreshes.clear();
    SetRefreshControlsHook(&RecordRefresh);
  }
  void Enable() {
    KMXSetInteger(IDMIXERACTIVE, 1);
    refreshes.clear();
  }
  const Mixer& Mix(int mix) { return GetMasterControl()->Model()->MixState(mix); }
};

using Refreshes = std::vector<std::pair<std::uint32_t, int>>;

TEST_F(ParameterTest, FaderAndMasterWritesAreClampedToTheirRanges) {
  Enable();
  KMXSetFloat(0x4021, 3.5);
  KMXSetFloat(0x4022, -0.5);
  KMXSetFloat(0x4023, std::nan(""));
  KMXSetFloat(0x4029, 1.5);
  KMXSetFloat(0x4408, -1);
  EXPECT_EQ(Mix(0).Fader[1], 2.0);
  EXPECT_EQ(Mix(0).Fader[2], 0.0);
  EXPECT_EQ(Mix(0).Fader[3], 0.0);
  EXPECT_EQ(Mix(0).Fader[9], 1.0);
  EXPECT_EQ(Mix(0).Fader[8], 0.0);
  EXPECT_EQ(refreshes, (Refreshes{{0x420, 1}, {0x420, 2}, {0x420, 3}, {0x420, 9}, {0x420, 8}}));
  EXPECT_EQ(KMXGetFloat(0x4021), 2.0);
  EXPECT_EQ(KMXGetFloat(0x4401), 2.0) << "the text field reads the same gain";
}

TEST_F(ParameterTest, PanWritesGoUnclampedAndAreRefusedOutOfRange) {
  Enable();
  platform::LogCapture log;
  KMXSetFloat(0x4043, -0.25);
  KMXSetFloat(0x4203, 1.5);
  EXPECT_EQ(Mix(0).Pan[3], -0.25);
  EXPECT_EQ(KMXGetFloat(0x4203), -0.25);
  EXPECT_EQ(log.Count("korERROR: 4 \r\n"), 1);
  EXPECT_EQ(refreshes, (Refreshes{{0x240, 3}, {0x240, 3}}));
}

TEST_F(ParameterTest, SoloAndMuteReadTheEffectiveMute) {
  Enable();
  KMXSetInteger(0x4083, 1);
  EXPECT_EQ(KMXGetInteger(0x4083), 1);
  EXPECT_EQ(KMXGetInteger(0x4102), 1) << "silenced by the solo on channel 3";
  EXPECT_EQ(KMXGetInteger(0x4103), 0);
  KMXSetInteger(0x4103, 1);
  EXPECT_EQ(KMXGetInteger(0x4103), 1) << "a soloed channel that is muted stays muted";
  EXPECT_EQ(refreshes, (Refreshes{{0x180, -1}, {0x180, -1}}));
}

TEST_F(ParameterTest, ADisabledMixerReadsItsDefaultsAndIgnoresWrites) {
  EXPECT_EQ(KMXGetInteger(0x4102), 1) << "muted while disabled";
  EXPECT_EQ(KMXGetFloat(0x4028), 1.0);
  KMXSetFloat(0x4020, 1.0);
  EXPECT_TRUE(savedFlag) << "nothing a file keeps has changed";
  EXPECT_EQ(refreshes, (Refreshes{{0x420, 0}}));
  EXPECT_EQ(KMXGetFloat(0x4020), 0.0) << "the model ignored the write";
}

TEST_F(ParameterTest, ControlGroupValues) {
  platform::LogCapture log;
  EXPECT_EQ(KMXGetInteger(IDMIXERACTIVE), 0);
  KMXSetInteger(IDMIXERACTIVE, 1);
  EXPECT_EQ(KMXGetInteger(IDMIXERACTIVE), 1);
  EXPECT_TRUE(GetMasterControl()->Model()->IsEnabled());
  KMXSetInteger(IDMIXSELECT, 2);
  EXPECT_EQ(KMXGetInteger(IDMIXSELECT), 2);
  EXPECT_EQ(GetMasterControl()->SelectedMix(), 2u);
  KMXSetInteger(0x4801, 5);
  EXPECT_EQ(KMXGetInteger(0x4801), 0);
  EXPECT_EQ(KMXGetInteger(0x4803), 1);
  EXPECT_EQ(KMXGetInteger(0x4806), 2);
  KMXSetInteger(0x4804, 1);
  EXPECT_EQ(KMXGetInteger(0x4804), 2) << "preferences change only through SetPref";
  EXPECT_EQ(KMXGetInteger(0x4808), 0);
  EXPECT_EQ(KMXGetInteger(0x4020), 0) << "not an integer group";
  EXPECT_EQ(refreshes, (Refreshes{{0xFFFF, -1}, {0xFFFF, -1}}));

  EXPECT_EQ(log.Count("KMXSetInteger: 4800 00 1\n"), 1);
  EXPECT_EQ(log.Count("KMXSetInteger: 4802 02 2\n"), 1);
  EXPECT_EQ(log.Count("select mixer:2\n"), 1);
  EXPECT_EQ(log.Count("Mix select: 2\n"), 1);
  EXPECT_EQ(log.Count("KMXGetInteger 4800\n"), 8);
  EXPECT_EQ(log.Count("IDCONTROL\n"), 8);
}

TEST_F(ParameterTest, OnlyAChangeToWhatAFileKeepsIsSomethingToSave) {
  // Switching the mixer, choosing an output pair, and writes that change no
  // stored value leave nothing to save.
  KMXSetInteger(IDMIXERACTIVE, 1);
  KMXSetInteger(IDMIXSELECT, 1);
  KMXSetInteger(0x4804, 1);
  KMXSetFloat(0x1234, 1.0);
  KMXSetFloat(0x4021, 0.0);  // channel 2's fader is down already
  KMXSetFloat(0x4042, 0.0);  // its pan centred already
  KMXSetFloat(0x4028, 1.0);  // the master at unity already
  KMXSetInteger(0x4101, 0);  // not muted already
  EXPECT_TRUE(savedFlag);

  struct Write {
    const char* what;
    std::uint16_t id;
    double value;
    bool integer;
  };
  for (const Write& write : {Write{"fader", 0x4021, 0.5, false}, Write{"pan", 0x4042, -0.5, false},
                             Write{"master", 0x4029, 0.5, false}, Write{"solo", 0x4083, 1, true},
                             Write{"mute", 0x4104, 1, true}}) {
    savedFlag = true;
    if (write.integer)
      KMXSetInteger(write.id, static_cast<std::int32_t>(write.value));
    else
      KMXSetFloat(write.id, write.value);
    EXPECT_FALSE(savedFlag) << write.what;
  }
  // Back on the first output pair, the mix there is still unchanged.
  savedFlag = true;
  KMXSetInteger(IDMIXSELECT, 0);
  KMXSetFloat(0x4021, 0.0);
  EXPECT_TRUE(savedFlag);
}

TEST_F(ParameterTest, BrokenIndicesAreCaughtNotFollowed) {
  // Release builds check nothing but still must not reach past the tables;
  // debug builds log the assertion (its abort switched off here).
  platform::SetAssertionsAbort(false);
  platform::LogCapture log;
  Enable();
  KMXSetFloat(0x402A, 1.0);
  KMXSetFloat(0x4048, 0.5);
  KMXSetInteger(0x4089, 1);
  KMXSetInteger(0x410F, 1);
  EXPECT_EQ(KMXGetFloat(0x402F), 0.0);
  EXPECT_EQ(KMXGetInteger(0x4109), 0);
  EXPECT_EQ(KMXGetInteger(0x408C), 0);
#ifndef NDEBUG
  EXPECT_EQ(log.Count("Assertion failed: chan < numberof(Mixer.Fader)\n"), 2);
  EXPECT_EQ(log.Count("Assertion failed: chan < numberof(Mixer.Mute)\n"), 2);
#endif
  EXPECT_TRUE(refreshes.empty());
}

TEST(KMXFormatValue, PanTextsInSixtyFourths) {
  EXPECT_EQ(KMXFormatValue(0x4203, -0.5), "<32");
  EXPECT_EQ(KMXFormatValue(0x4203, 0.5), "32>");
  EXPECT_EQ(KMXFormatValue(0x4203, 0.0), "<0>");
  EXPECT_EQ(KMXFormatValue(0x4200, -1.0), "<64");
  EXPECT_EQ(KMXFormatValue(0x4200, 1.0), "64>");
  EXPECT_EQ(KMXFormatValue(0x4200, 0.01), "0>");
  EXPECT_EQ(KMXFormatValue(0x4200, -0.0000153), "<0");
  EXPECT_EQ(KMXFormatValue(0x4040, 0.5), "") << "the knob itself has no text";
}

TEST(KMXFormatValue, GainTextsInDecibels) {
  EXPECT_EQ(KMXFormatValue(0x4400, 1.0), " 0.0");
  EXPECT_EQ(KMXFormatValue(0x4400, 2.0), " 6.0");
  EXPECT_EQ(KMXFormatValue(0x4409, 0.5), "-6.0");
  EXPECT_EQ(KMXFormatValue(0x4400, 0.001), "-inf");
  EXPECT_EQ(KMXFormatValue(0x4400, 0.0011), "-59.2");
  EXPECT_EQ(KMXFormatValue(0x4400, 0.0), "-inf");
  EXPECT_EQ(KMXFormatValue(0x5000, 0.123456789), "0.123457");
  EXPECT_EQ(KMXFormatValue(0x4800, 1.0), "");
}

TEST(KMXParseValue, ReadsTheLeadingNumberOnly) {
  EXPECT_EQ(KMXParseValue(0x4203, "100"), 1.0);
  EXPECT_EQ(KMXParseValue(0x4203, "-32"), -0.5);
  EXPECT_EQ(KMXParseValue(0x4203, "  16 right"), 0.25);
  EXPECT_EQ(KMXParseValue(0x4203, "<32"), 0.0) << "no number at the start";
  EXPECT_NEAR(KMXParseValue(0x4403, "-6"), 0.501, 1e-3);
  EXPECT_EQ(KMXParseValue(0x4403, "abc"), 1.0);
  EXPECT_EQ(KMXParseValue(0x4403, "-inf"), 1.0) << "infinity is no number here";
  EXPECT_EQ(KMXParseValue(0x4203, "nan"), 0.0);
  EXPECT_EQ(KMXParseValue(0x4403, ""), 1.0);
  EXPECT_EQ(KMXParseValue(0x4403, nullptr), 1.0);
  EXPECT_DOUBLE_EQ(KMXParseValue(0x4403, "6e0"), 1.9952623149688795);
  EXPECT_EQ(KMXParseValue(0x4020, "6"), 0.0) << "not a text group";
}

// A value box reads back every text it shows, and takes nothing from text
// that holds no value.
TEST(KMXReadValue, ReadsEveryTextTheBoxesShow) {
  double value = -9.0;
  for (double pan : {-1.0, -0.5, -1.0 / 64, 0.0, 0.25, 1.0}) {
    ASSERT_TRUE(KMXReadValue(0x4203, KMXFormatValue(0x4203, pan).c_str(), &value)) << pan;
    EXPECT_EQ(value, pan) << KMXFormatValue(0x4203, pan);
  }
  ASSERT_TRUE(KMXReadValue(0x4203, "<0>", &value));
  EXPECT_FALSE(std::signbit(value)) << "the centre is +0.0";
  ASSERT_TRUE(KMXReadValue(0x4203, " <100", &value));
  EXPECT_EQ(value, -1.0) << "clamped to full left";
  ASSERT_TRUE(KMXReadValue(0x4403, " -INF ", &value));
  EXPECT_EQ(value, 0.0) << "silence";
  ASSERT_TRUE(KMXReadValue(0x4403, KMXFormatValue(0x4403, 2.0).c_str(), &value));
  EXPECT_NEAR(value, 2.0, 0.01);

  value = -9.0;
  EXPECT_FALSE(KMXReadValue(0x4403, "loud", &value));
  EXPECT_FALSE(KMXReadValue(0x4403, "", &value));
  EXPECT_FALSE(KMXReadValue(0x4403, "-infinity", &value));
  EXPECT_FALSE(KMXReadValue(0x4203, "<", &value));
  EXPECT_FALSE(KMXReadValue(0x4203, "-inf", &value)) << "silence is a fader's text only";
  EXPECT_FALSE(KMXReadValue(0x4203, nullptr, &value));
  EXPECT_EQ(value, -9.0);
}

TEST(KMXReadValue, AgreesWithKMXParseValueWhereThatReadsANumber) {
  for (const char* text : {"100", "-32", "  16 right", "32>", "-6", "6e0", "+3.5 dB"}) {
    for (std::uint16_t id : {std::uint16_t{0x4203}, std::uint16_t{0x4403}}) {
      double value = 0.0;
      ASSERT_TRUE(KMXReadValue(id, text, &value)) << text;
      EXPECT_EQ(value, KMXParseValue(id, text)) << text;
    }
  }
}

}  // namespace
