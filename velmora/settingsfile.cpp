#include "velmora/settingsfile.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "korvaneobjects/korvanemastercontrol.h"
#include "platform/filesize.h"
#include "platform/log.h"
#include "velmora/velmora.h"

namespace {

// Opens an existing file for update, or creates it: an existing file is
// overwritten in place, so a save that fails half way keeps the old bytes it
// did not reach rather than leaving an emptied file.
std::FILE* OpenForSaving(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "r+b");
  if (file == nullptr) file = std::fopen(path.c_str(), "wb");
  return file;
}

bool WriteImage(std::FILE* file, const std::uint8_t* image) {
  if (std::fwrite(image, 1, kSettingsImageSize, file) != kSettingsImageSize) return false;
  // A longer old file would keep its tail after the image.
  return platform::TruncateFile(file, kSettingsImageSize);
}

}  // namespace

bool SaveSettingsFile(const char* path) {
  std::string target = path ? path : "";
  if (target.find(".kmx") == std::string::npos) target += ".kmx";

  std::uint8_t image[kSettingsImageSize];
  GetMasterControl()->WriteSettings(image);

  std::FILE* file = OpenForSaving(target);
  if (file == nullptr) {
    platform::Log("Could not open file for saving.\n");
    return false;
  }
  bool written = WriteImage(file, image);
  written = std::fclose(file) == 0 && written;
  if (!written) {
    platform::Log("Could not write settings file.\n");
    return false;
  }
  savedFlag = true;
  return true;
}

bool LoadSettingsFile(const char* path) {
  std::FILE* file = path ? std::fopen(path, "rb") : nullptr;
  if (file == nullptr) {
    platform::Log("Could not open file for reading.\n");
    return false;
  }
  // Never more than the image: bytes past it are ignored, and a huge file
  // chosen by mistake is not read whole.
  std::uint8_t image[kSettingsImageSize];
  const std::size_t got = std::fread(image, 1, sizeof image, file);
  std::fclose(file);
  if (got < sizeof image) {
    platform::Log("Settings file too short.\n");
    return false;
  }
  KorvaneMasterControl* master = GetMasterControl();
  master->ReadSettings(image);
  master->SendAllMixes();
  RefreshControls(kRefreshAll, -1);
  return true;
}
