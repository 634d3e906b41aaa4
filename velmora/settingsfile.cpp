#include "velmora/settingsfile.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>

#include "korvaneobjects/korvanemastercontrol.h"
#include "platform/fileio.h"
#include "platform/log.h"
#include "velmora/mixsteps.h"
#include "velmora/velmora.h"

namespace {

bool Failed(SettingsFileError* error, const std::string& file, const std::string& reason) {
  platform::Log("Settings file %s: %s\n", file.c_str(), reason.c_str());
  if (error != nullptr) *error = {file, reason};
  return false;
}

}  // namespace

// The old mix is gone from its name: the user must learn where the new one is.
std::string WriteFailureReason(const platform::FileError& failure) {
  if (failure.keptIn.empty()) return failure.reason;
  return failure.reason + "\n\nThe new mix is kept in " + failure.keptIn + ".";
}

bool SaveSettingsFile(const char* path, SettingsFileError* error) {
  std::string target = path ? path : "";
  if (target.find(".kmx") == std::string::npos) target += ".kmx";

  std::uint8_t image[kSettingsImageSize];
  GetMasterControl()->WriteSettings(image);

  platform::FileError failure;
  if (!platform::ReplaceFileContents(target, image, sizeof image, &failure)) {
    platform::Log(failure.atOpen ? "Could not open file for saving.\n"
                                 : "Could not write settings file.\n");
    return Failed(error, target, WriteFailureReason(failure));
  }
  SettingsImage saved{};
  std::copy(std::begin(image), std::end(image), saved.begin());
  MarkSaved(saved);
  return true;
}

bool LoadSettingsFile(const char* path, SettingsFileError* error) {
  const std::string file = path ? path : "";
  // Never more than the image: bytes past it are ignored, and a huge file
  // chosen by mistake is not read whole.
  std::uint8_t image[kSettingsImageSize];
  std::size_t got = 0;
  platform::FileError failure;
  if (!platform::ReadFileStart(file, image, sizeof image, &got, &failure)) {
    platform::Log(failure.atOpen ? "Could not open file for reading.\n"
                                 : "Could not read settings file.\n");
    return Failed(error, file, failure.reason);
  }
  if (got < sizeof image) {
    platform::Log("Settings file too short.\n");
    return Failed(error, file,
                  "The file holds " + std::to_string(got) + " bytes, too few for a mix (" +
                      std::to_string(kSettingsImageSize) + " bytes).");
  }
  KorvaneMasterControl* master = GetMasterControl();
  const SettingsImage before = CurrentImage();
  master->ReadSettings(image);
  master->SendAllMixes();
  // What the file held, as the model keeps it, is the saved state now.
  RecordOpen(before);
  RefreshControls(kRefreshAll, -1);
  return true;
}
