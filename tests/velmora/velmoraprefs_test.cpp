#include "velmora/velmoraprefs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/log.h"
#include "tests/support/enginetest.h"

namespace {

using Lines = std::vector<std::string>;
using Values = std::vector<std::int32_t>;  // by id, 0x4803..0x4807

constexpr char kKey[] = "SOFTWARE\\Korvane\\KorvaneVelmoraPrefs";
constexpr char kCreating[] = "Creating velmoraPrefs.\n";
constexpr char kNewKey[] =
    "KorvaneVelmora prefs didn't exist yet in registry. Creating and storing defaults.\n";
constexpr char kFound[] = "KorvaneVelmora prefs found in registry. Creating and storing defaults.\n";
constexpr char kNoKey[] = "Failed to open or create registry key.\n";
constexpr char kStoring[] = "storing in registry\n";

class VelmoraPrefsTest : public testsupport::EngineTest {
 protected:
  // What the store holds, read past the object under test.
  static std::optional<std::int32_t> Stored(const char* name) {
    platform::PrefStore store;
    std::uint32_t value = 0;
    if (store.Open(kKey) == platform::PrefStoreOpen::kFailed || !store.ReadDword(name, &value)) {
      return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
  }
  static void Store(const char* name, std::uint32_t value) {
    platform::PrefStore store;
    store.Open(kKey);
    ASSERT_TRUE(store.WriteDword(name, value));
  }
  static Values AllPrefs() {
    Values values;
    for (std::uint16_t id = kPrefPanMotion; id <= kPrefFadeCenter; ++id) {
      values.push_back(velmoraPrefs::Instance()->GetPref(id));
    }
    return values;
  }
};

TEST_F(VelmoraPrefsTest, FirstRunCreatesTheKeyAndStoresTheDefaultsInOrder) {
  platform::LogCapture log;
  EXPECT_EQ(AllPrefs(), (Values{1, 2, 0, 2, 0}));
  EXPECT_EQ(log.Lines(), (Lines{kCreating, kNewKey, kStoring})) << "one object per process";
  EXPECT_EQ(velmoraPrefs::Instance()->GetPref(0x4808), 0);
  EXPECT_EQ(Stored("panMotionModPref"), 1);
  EXPECT_EQ(Stored("fadeFineModPref"), 2);
#ifndef _WIN32
  EXPECT_EQ(prefs.FileText(),
            "panFineModPref=2\npanCenterModPref=0\npanMotionModPref=1\n"
            "fadeFineModPref=2\nfadeCenterModPref=0\n");
#endif
}

TEST_F(VelmoraPrefsTest, AnExistingKeyIsTakenAsStoredWithoutARangeTest) {
  Store("panMotionModPref", 7);
  Store("panCenterModPref", 0xFFFFFFFF);
  Store("fadeCenterModPref", 1);
  prefs.StoreNonDword(kKey, "panFineModPref");
  // fadeFineModPref is missing.
  platform::LogCapture log;
  EXPECT_EQ(AllPrefs(), (Values{7, 2, -1, 2, 1}));
  const Lines lines = log.Lines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + 2), (Lines{kCreating, kFound}));
  // Each value that is not one of its three choices is named in the log.
  for (const char* name : {"panMotionModPref", "panCenterModPref", "panFineModPref",
                           "fadeFineModPref", "fadeCenterModPref"}) {
    const bool named = std::any_of(lines.begin() + 2, lines.end(), [&](const std::string& line) {
      return line.find(name) != std::string::npos;
    });
    EXPECT_EQ(named, std::string(name) != "fadeCenterModPref") << name;
  }
  EXPECT_EQ(Stored("fadeFineModPref"), std::nullopt) << "reading stores nothing";
}

TEST_F(VelmoraPrefsTest, SetPrefChangesMemoryUntilDestructionStores) {
  velmoraPrefs* prefs = velmoraPrefs::Instance();
  platform::LogCapture log;
  EXPECT_FALSE(prefs->SetPref(0x4808, 1));
  EXPECT_TRUE(prefs->SetPref(kPrefFadeFine, 1));
  EXPECT_TRUE(prefs->SetPref(kPrefPanCenter, -1));
  EXPECT_EQ(log.Lines(),
            (Lines{"SetPref:(4808,1)\n", "SetPref:(4806,1)\n", "SetPref:(4805,ffffffff)\n"}));
  EXPECT_EQ(AllPrefs(), (Values{1, 2, -1, 1, 0}));
  EXPECT_EQ(Stored("fadeFineModPref"), 2);

  log.Clear();
  velmoraPrefs::DestroyInstance();
  EXPECT_EQ(log.Lines(), (Lines{"Destroying velmoraPrefs,...first storing in registry.", kStoring}));
  EXPECT_EQ(AllPrefs(), (Values{1, 2, -1, 1, 0})) << "the next object reads them back";
}

TEST_F(VelmoraPrefsTest, WithoutAnyKeyItWorksFromMemory) {
  platform::SetPrefStoreFault(platform::PrefStoreFault::kAllFail);
  platform::LogCapture log;
  velmoraPrefs::Instance()->SetPref(kPrefPanMotion, 2);
  EXPECT_EQ(velmoraPrefs::Instance()->GetPref(kPrefPanMotion), 2);
  velmoraPrefs::DestroyInstance();
  EXPECT_EQ(log.Count(kNoKey), 1);
  EXPECT_EQ(log.Count(kStoring), 1);
  platform::SetPrefStoreFault(platform::PrefStoreFault::kNone);
  EXPECT_EQ(Stored("panMotionModPref"), std::nullopt);
}

TEST_F(VelmoraPrefsTest, WhenTheMachineKeyIsRefusedTheUserKeyServes) {
  platform::SetPrefStoreFault(platform::PrefStoreFault::kMachineFails);
  platform::LogCapture log;
  velmoraPrefs::Instance()->SetPref(kPrefPanMotion, 0);
  velmoraPrefs::DestroyInstance();
#ifdef _WIN32
  EXPECT_EQ(AllPrefs(), (Values{0, 2, 0, 2, 0}));
  EXPECT_EQ(log.Count(kNewKey), 1);
  EXPECT_EQ(log.Count(kFound), 1);
  platform::SetPrefStoreFault(platform::PrefStoreFault::kNone);
  EXPECT_EQ(Stored("panMotionModPref"), std::nullopt) << "nothing went to the machine's key";
#else
  EXPECT_EQ(log.Count(kNoKey), 1) << "the host has no store but the machine's";
#endif
}

}  // namespace
