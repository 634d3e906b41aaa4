// The user's mouse and modifier-key preferences for knobs and faders, kept
// machine-wide (the registry on Windows, a small file on the host).
#pragma once

#include <cstdint>

#include "platform/prefstore.h"

constexpr std::uint16_t kPrefPanMotion = 0x4803;  // 0 Horizontal, 1 Rotary, 2 Vertical
constexpr std::uint16_t kPrefPanFine = 0x4804;    // modifier: 0 Alt, 1 Control, 2 Shift
constexpr std::uint16_t kPrefPanCenter = 0x4805;
constexpr std::uint16_t kPrefFadeFine = 0x4806;
constexpr std::uint16_t kPrefFadeCenter = 0x4807;

class velmoraPrefs {
 public:
  // The process's instance, created (and read from the store) on first use.
  static velmoraPrefs* Instance();
  // Destroys the instance, storing the values first; the next Instance() makes a new one.
  static void DestroyInstance();

  std::int32_t GetPref(std::uint16_t id) const;
  bool SetPref(std::uint16_t id, std::int32_t value);
  void StorePrefs();

 private:
  velmoraPrefs();
  ~velmoraPrefs();
  velmoraPrefs(const velmoraPrefs&) = delete;
  velmoraPrefs& operator=(const velmoraPrefs&) = delete;

  static velmoraPrefs* instance;
  platform::PrefStore key;  // closed when no store could be opened
  std::int32_t values[5];   // by id - kPrefPanMotion
};
