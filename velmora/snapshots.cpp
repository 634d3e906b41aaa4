#include "velmora/snapshots.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/appdatafolder.h"
#include "platform/fileio.h"
#include "platform/log.h"
#include "velmora/korvanemix8bus.h"
#include "velmora/mixblock.h"

namespace fs = std::filesystem;

namespace {

bool IsSlot(int slot) { return slot >= 1 && slot <= kSnapshotSlots; }

std::string FileName(int slot) { return "snapshot-" + std::to_string(slot) + ".kmx"; }

// Windows paths are UTF-16 and may hold what UTF-8 cannot express (a lone
// surrogate); such a folder is as good as none.
std::string Utf8Of(const fs::path& path) {
  try {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
  } catch (...) {
    platform::Log("Snapshot folder: the name is no Unicode text.\n");
    return "";
  }
}

fs::path PathOf(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

bool Failed(SettingsFileError* error, const std::string& file, const std::string& reason) {
  if (file.empty()) {
    platform::Log("Snapshot: %s\n", reason.c_str());
  } else {
    platform::Log("Snapshot %s: %s\n", file.c_str(), reason.c_str());
  }
  if (error != nullptr) *error = {file, reason};
  return false;
}

std::string ReasonOf(const std::error_code& code) {
  return code.category() == std::system_category()
             ? platform::SystemErrorText(static_cast<std::uint32_t>(code.value()))
             : code.message();
}

std::string HeaderFault(const SettingsImage& image) {
  if (image[0] == kSettingsRevision && image[1] == kSettingsDevices && image[2] == kChannelCount &&
      image[3] == kChannelCount) {
    return "";
  }
  char text[16];
  std::snprintf(text, sizeof text, "%02X %02X %02X %02X", image[0], image[1], image[2], image[3]);
  return std::string("The file begins with ") + text + ", not as a mix file does (01 01 08 08).";
}

// What keeps the first `got` bytes of a file from being a settings file; empty
// when nothing does. Bytes past the image are ignored, as Open ignores them.
std::string ImageFault(const SettingsImage& image, std::size_t got) {
  if (got < image.size()) {
    return "The file holds " + std::to_string(got) + " bytes, too few for a mix (" +
           std::to_string(image.size()) + " bytes).";
  }
  std::string fault = HeaderFault(image);
  for (int mix = 0; mix < kMixCount && fault.empty(); ++mix) {
    const std::string block = MixBlockFault(MixBlockOf(image, mix).data());
    if (!block.empty())
      fault = "The mix of output pair " + std::to_string(mix + 1) + ": " + block + ".";
  }
  return fault;
}

// Reads the slot's file and checks it; false, with `error` filled, when it
// cannot be read or is no settings file.
bool ReadChecked(const std::string& path, SettingsImage* image, SettingsFileError* error) {
  SettingsImage bytes{};
  std::size_t got = 0;
  platform::FileError failure;
  if (!platform::ReadFileStart(path, bytes.data(), bytes.size(), &got, &failure))
    return Failed(error, path, failure.reason);
  const std::string fault = ImageFault(bytes, got);
  if (!fault.empty()) return Failed(error, path, fault);
  if (image != nullptr) *image = bytes;
  return true;
}

// The file of a slot, or why there is none.
bool SlotPath(int slot, std::string* path, SettingsFileError* error) {
  if (!IsSlot(slot))
    return Failed(error, "", "There is no snapshot slot " + std::to_string(slot) + ".");
  *path = SnapshotPath(slot);
  if (path->empty()) {
    return Failed(error, FileName(slot),
                  "The system names no folder for the user's application data.");
  }
  return true;
}

std::int64_t WrittenAt(const std::string& path) {
  std::error_code code;
  const fs::file_time_type written = fs::last_write_time(PathOf(path), code);
  if (code) return 0;
  const auto since = std::chrono::file_clock::to_sys(written).time_since_epoch();
  return std::chrono::duration_cast<std::chrono::seconds>(since).count();
}

}  // namespace

std::string SnapshotFolder() {
  const fs::path roaming = platform::RoamingAppDataFolder();
  if (roaming.empty()) return "";
  return Utf8Of(roaming / "Korvane" / "Velmora" / "Snapshots");
}

std::string SnapshotPath(int slot) {
  const std::string folder = SnapshotFolder();
  if (folder.empty() || !IsSlot(slot)) return "";
  return Utf8Of(PathOf(folder) / FileName(slot));
}

SnapshotSlot ReadSnapshotSlot(int slot) {
  std::string path;
  std::error_code code;
  if (!SlotPath(slot, &path, nullptr) || !fs::exists(PathOf(path), code)) return {};
  if (!ReadChecked(path, nullptr, nullptr)) return {SnapshotState::kUnreadable, 0};
  return {SnapshotState::kStored, WrittenAt(path)};
}

bool StoreSnapshot(int slot, const SettingsImage& image, SettingsFileError* error) {
  std::string path;
  if (!SlotPath(slot, &path, error)) return false;
  std::error_code code;
  fs::create_directories(PathOf(SnapshotFolder()), code);
  if (code) return Failed(error, path, ReasonOf(code));
  platform::FileError failure;
  if (!platform::ReplaceFileContents(path, image.data(), image.size(), &failure))
    return Failed(error, path, WriteFailureReason(failure));
  return true;
}

bool ReadSnapshot(int slot, SettingsImage* image, SettingsFileError* error) {
  std::string path;
  return SlotPath(slot, &path, error) && ReadChecked(path, image, error);
}
