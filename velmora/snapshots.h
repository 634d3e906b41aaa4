// The user's eight snapshot slots: settings files named snapshot-1.kmx ..
// snapshot-8.kmx in a folder of the user's own (Windows:
// %APPDATA%\Korvane\Velmora\Snapshots). A slot is a plain settings file, so
// it can be opened with File > Open, and a saved mix copied in fills it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "velmora/mixhistory.h"
#include "velmora/settingsfile.h"

constexpr int kSnapshotSlots = 8;

enum class SnapshotState { kEmpty, kUnreadable, kStored };

struct SnapshotSlot {
  SnapshotState state = SnapshotState::kEmpty;
  // When the file was last written, seconds since 1970-01-01 UTC (kStored).
  std::int64_t storedAt = 0;
};

// The folder of the slots (UTF-8); empty when the system names no folder for
// the user's application data.
std::string SnapshotFolder();
// The file of slot `slot` (1..8), UTF-8.
std::string SnapshotPath(int slot);

// What slot `slot` holds. A file that is not a settings file (shorter than an
// image, with another header, or with a mute or solo byte other than 0 or 1)
// is kUnreadable and logged. A slot outside 1..8 is kEmpty.
SnapshotSlot ReadSnapshotSlot(int slot);
// Writes `image` as slot `slot`, creating the folders as needed; the file is
// replaced whole or not at all. False, with `error` filled, when it was not.
bool StoreSnapshot(int slot, const SettingsImage& image, SettingsFileError* error);
// Reads slot `slot`'s image. False, with `error` filled (the file and the
// system's reason, or what is wrong with its contents), when it cannot be read
// or is no settings file.
bool ReadSnapshot(int slot, SettingsImage* image, SettingsFileError* error);
