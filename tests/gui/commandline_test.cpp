#include "gui/commandline.h"

#include <gtest/gtest.h>

TEST(SettingsPathFromCommandLine, TakesOffOnePairOfQuotesAroundTheWholeText) {
  EXPECT_EQ(SettingsPathFromCommandLine("\"C:\\My Mixes\\live set.kmx\""),
            "C:\\My Mixes\\live set.kmx");
  EXPECT_EQ(SettingsPathFromCommandLine("\"\"twice.kmx\"\""), "\"twice.kmx\"");
  EXPECT_EQ(SettingsPathFromCommandLine("\"\""), "");
}

TEST(SettingsPathFromCommandLine, LeavesEverythingElseAsItIs) {
  EXPECT_EQ(SettingsPathFromCommandLine("C:\\mixes\\a.kmx"), "C:\\mixes\\a.kmx");
  EXPECT_EQ(SettingsPathFromCommandLine(" spaced name.kmx "), " spaced name.kmx ");
  EXPECT_EQ(SettingsPathFromCommandLine("\"open.kmx"), "\"open.kmx");
  EXPECT_EQ(SettingsPathFromCommandLine("a \"b\" c"), "a \"b\" c");
  EXPECT_EQ(SettingsPathFromCommandLine("\"a.kmx\" "), "\"a.kmx\" ");
  EXPECT_EQ(SettingsPathFromCommandLine("\""), "\"");
  EXPECT_EQ(SettingsPathFromCommandLine(""), "");
  EXPECT_EQ(SettingsPathFromCommandLine(nullptr), "");
}
