#include "windows/accessibletext.h"

#include <gtest/gtest.h>

#include <set>

#include "velmora/velmora.h"

TEST(AccessibleText, TheBoxTextsAreSpokenWithTheirUnitOrInWords) {
  EXPECT_EQ(SpokenFaderText(" 6.0"), "6.0 dB");
  EXPECT_EQ(SpokenFaderText("-inf"), "-inf dB");
  EXPECT_EQ(SpokenPanText("<0>"), "centre");
  EXPECT_EQ(SpokenPanText("<64"), "64 left");
  EXPECT_EQ(SpokenPanText("1>"), "1 right");
  // Nothing to turn into words: as it is, never cut short.
  EXPECT_EQ(SpokenPanText("<"), "<");
  EXPECT_EQ(SpokenPanText(""), "");
  EXPECT_EQ(SpokenLevelText("-12"), "-12 dB");
}

TEST(AccessibleText, TheOutputSideIsNamedForTheSelectedPairAndStrangeIdsForNothing) {
  EXPECT_EQ(AccessibleControlName(IDFADER + 7, 2), "Ch 8 fader");
  EXPECT_EQ(AccessibleControlName(IDFADER + 9, 1), "Output 3 & 4 master right");
  EXPECT_EQ(AccessibleControlName(IDFADERTEXT + 8, 0), "Output 1 & 2 master left level");
  EXPECT_EQ(AccessibleControlName(IDMETER + 8, 2), "Output 5 level");
  EXPECT_EQ(AccessibleControlName(IDMETERSTATUS + 9, 3), "Output 8 level read-out");
  // A mix the window never selects names the first pair.
  EXPECT_EQ(AccessibleControlName(IDFADER + 8, 9), "Output 1 & 2 master left");
  // Channels 10 to 15 and the masters' missing pans, solos and mutes exist nowhere.
  EXPECT_EQ(AccessibleControlName(IDFADER + 10, 0), "");
  EXPECT_EQ(AccessibleControlName(IDPAN + 8, 0), "");
  EXPECT_EQ(AccessibleControlName(IDMUTE + 9, 0), "");
  EXPECT_EQ(AccessibleControlName(IDCLEAROVERS, 0), "");
}

// Voice control and a reader's search find one control for each name: the
// pan box is not named as its knob.
TEST(AccessibleText, EveryStripControlHasANameOfItsOwn) {
  EXPECT_EQ(AccessibleControlName(IDPAN + 2, 0), "Ch 3 pan");
  EXPECT_EQ(AccessibleControlName(IDPANTEXT + 2, 0), "Ch 3 pan value");
  for (int mix = 0; mix < 4; ++mix) {
    std::set<std::string> names;
    int named = 0;
    for (std::uint16_t family : {IDFADER, IDFADERTEXT, IDPAN, IDPANTEXT, IDSOLO, IDMUTE, IDMETER,
                                 IDMETERSTATUS})
      for (int index = 0; index < 16; ++index) {
        const std::string name =
            AccessibleControlName(static_cast<std::uint16_t>(family + index), mix);
        if (name.empty()) continue;
        ++named;
        EXPECT_TRUE(names.insert(name).second) << name << " in mix " << mix;
      }
    EXPECT_EQ(named, 8 * 8 + 2 * 4);
  }
}
