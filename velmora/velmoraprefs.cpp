#include "velmora/velmoraprefs.h"

#include "platform/log.h"

namespace {

constexpr char kPrefsKey[] = "SOFTWARE\\Korvane\\KorvaneVelmoraPrefs";

struct PrefValue {
  std::uint16_t id;
  const char* name;
  std::int32_t initial;
};

// In the order the values are read from and written to the store.
constexpr PrefValue kPrefValues[] = {
    {kPrefPanFine, "panFineModPref", 2},       {kPrefPanCenter, "panCenterModPref", 0},
    {kPrefPanMotion, "panMotionModPref", 1},   {kPrefFadeFine, "fadeFineModPref", 2},
    {kPrefFadeCenter, "fadeCenterModPref", 0},
};

// Every preference is the index of one of three choices in its list.
constexpr std::uint32_t kLastChoice = 2;

bool IsPref(std::uint16_t id) { return id >= kPrefPanMotion && id <= kPrefFadeCenter; }

}  // namespace

velmoraPrefs* velmoraPrefs::instance = nullptr;

velmoraPrefs* velmoraPrefs::Instance() {
  if (!instance) instance = new velmoraPrefs;
  return instance;
}

void velmoraPrefs::DestroyInstance() {
  delete instance;
  instance = nullptr;
}

velmoraPrefs::velmoraPrefs() {
  for (const PrefValue& pref : kPrefValues) values[pref.id - kPrefPanMotion] = pref.initial;
  platform::Log("Creating velmoraPrefs.\n");

  switch (key.Open(kPrefsKey)) {
    case platform::PrefStoreOpen::kFailed:
      platform::Log("Failed to open or create registry key.\n");
      break;
    case platform::PrefStoreOpen::kCreated:
      platform::Log(
          "KorvaneVelmora prefs didn't exist yet in registry. Creating and storing defaults.\n");
      StorePrefs();
      break;
    case platform::PrefStoreOpen::kOpened:
      platform::Log("KorvaneVelmora prefs found in registry. Creating and storing defaults.\n");
      // Taken as stored, without a range test: a value no list entry matches
      // selects nothing in the dialog, names no modifier key, and turns the
      // knobs as Rotary. It is logged, so that a support log explains a pan
      // that will not fine-tune.
      for (const PrefValue& pref : kPrefValues) {
        std::uint32_t stored = 0;
        if (!key.ReadDword(pref.name, &stored)) {
          platform::Log("Preference %s is missing or not a DWORD; using %d.\n", pref.name,
                        static_cast<int>(pref.initial));
          continue;
        }
        if (stored > kLastChoice) {
          platform::Log("Preference %s is %u, which no choice matches.\n", pref.name,
                        static_cast<unsigned>(stored));
        }
        values[pref.id - kPrefPanMotion] = static_cast<std::int32_t>(stored);
      }
      break;
  }
}

velmoraPrefs::~velmoraPrefs() {
  platform::Log("Destroying velmoraPrefs,...first storing in registry.");
  StorePrefs();
  key.Close();
}

std::int32_t velmoraPrefs::GetPref(std::uint16_t id) const {
  return IsPref(id) ? values[id - kPrefPanMotion] : 0;
}

bool velmoraPrefs::SetPref(std::uint16_t id, std::int32_t value) {
  platform::Log("SetPref:(%x,%x)\n", static_cast<unsigned>(id), static_cast<unsigned>(value));
  if (!IsPref(id)) return false;
  values[id - kPrefPanMotion] = value;
  return true;
}

// Write failures (and a store that never opened) are silent: the values stay
// in force in memory.
void velmoraPrefs::StorePrefs() {
  platform::Log("storing in registry\n");
  for (const PrefValue& pref : kPrefValues) {
    key.WriteDword(pref.name, static_cast<std::uint32_t>(values[pref.id - kPrefPanMotion]));
  }
}
