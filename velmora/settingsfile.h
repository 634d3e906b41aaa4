// Mixer settings files (".kmx"): the 212-byte image of the four mixes. Paths
// are UTF-8.
#pragma once

#include <string>

// Why a settings file could not be saved or loaded: the file (as saved, with
// its extension) and the system's reason, for the user.
struct SettingsFileError {
  std::string file;
  std::string reason;
};

namespace platform {
struct FileError;
}

// Why a mix could not be written, for the user: the system's reason, and
// where the new mix is when the old file's name lost it.
std::string WriteFailureReason(const platform::FileError& failure);

// Saves to `path`, adding ".kmx" when the path holds no ".kmx". The file is
// replaced whole or not at all. True when it was written; only then is the
// state marked saved. `error` (may be null) receives why it was not.
bool SaveSettingsFile(const char* path, SettingsFileError* error = nullptr);
// Loads `path` into the model, sends all four mixes and refreshes every
// control. A file that cannot be read, or is shorter than the image, changes
// nothing; `error` (may be null) then receives why.
bool LoadSettingsFile(const char* path, SettingsFileError* error = nullptr);
