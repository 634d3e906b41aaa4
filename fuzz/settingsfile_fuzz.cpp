// Fuzz target: the mixer settings file loader, with any bytes of any length
// as the file. After a load the user relies on a model that is whole (every
// gain and pan finite and in range, solo counts that match the solo flags),
// on mixes sent to the device that obey those values, on a short file
// changing nothing, and on saving giving back the image that was loaded.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/fuzzcheck.h"
#include "korvaneobjects/enginemessage.h"
#include "korvaneobjects/korvanefifo.h"
#include "korvaneobjects/korvanemastercontrol.h"
#include "velmora/korvanemix8bus.h"
#include "velmora/settingsfile.h"

namespace {

using Image = std::vector<std::uint8_t>;

constexpr int kHeaderSize = 4;
constexpr int kFlagBytes = 16;       // mute then solo bytes at the start of a mix block

struct Files {
  std::filesystem::path loaded, saved;
};

// In memory where the machine has a file system there: saving cuts the file
// to its image, and on a disk file system that flushes the file at every close.
std::filesystem::path WorkDirectory() {
  std::filesystem::path base = std::filesystem::temp_directory_path();
  std::error_code error;
  if (std::getenv("TMPDIR") == nullptr && std::filesystem::is_directory("/dev/shm", error))
    base = "/dev/shm";
  return base / ("kmx-fuzz-" + std::to_string(static_cast<long>(getpid())));
}

// Made once and never freed, so that the exit handler that removes the
// folder still finds its name. A finding stops the process without it: the
// folder then stays behind with the files of the failing input.
const Files& WorkFiles() {
  static const Files* files = [] {
    const std::filesystem::path dir = WorkDirectory();
    std::filesystem::create_directories(dir);
    std::atexit([] { std::filesystem::remove_all(WorkFiles().loaded.parent_path()); });
    return new Files{dir / "loaded.kmx", dir / "saved.kmx"};
  }();
  return *files;
}

void WriteFile(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  FUZZ_CHECK(file != nullptr);
  FUZZ_CHECK(size == 0 || std::fwrite(data, 1, size, file) == size);
  FUZZ_CHECK(std::fclose(file) == 0);
}

Image ReadFile(const std::filesystem::path& path) {
  Image bytes(kSettingsImageSize + 1);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  FUZZ_CHECK(file != nullptr);
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
  std::fclose(file);
  return bytes;
}

Image CurrentImage() {
  Image image(kSettingsImageSize);
  GetMasterControl()->WriteSettings(image.data());
  return image;
}

bool InRange(double value, double low, double high) {
  return std::isfinite(value) && value >= low && value <= high;
}

void CheckModel(const KorvaneMix8Bus& model) {
  for (int mix = 0; mix < kMixCount; ++mix) {
    const Mixer& state = model.MixState(mix);
    int solos = 0;
    for (int channel = 0; channel < kChannelCount; ++channel) {
      FUZZ_CHECK(InRange(state.Fader[channel], 0.0, 2.0));
      FUZZ_CHECK(InRange(state.Pan[channel], -1.0, 1.0));
      FUZZ_CHECK(state.Mute[channel] <= 1);
      FUZZ_CHECK(state.Solo[channel] <= 1);
      solos += state.Solo[channel];
    }
    FUZZ_CHECK(InRange(state.Fader[8], 0.0, 1.0));
    FUZZ_CHECK(InRange(state.Fader[9], 0.0, 1.0));
    FUZZ_CHECK(state.soloCount == solos);
  }
}

// The mixes a load queued for the device: one per mix, in order, with gains
// in the device's range, and silence for every channel that a solo elsewhere
// in its mix leaves out.
void CheckQueuedMixes(KorvaneMasterControl& master) {
  std::uint32_t expectedMix = 0;
  while (EngineMessage* message = master.Fifo()->Pop()) {
    FUZZ_CHECK(message->kind == kMessageFullMix);
    const auto& full = static_cast<const FullMixMessage&>(*message);
    FUZZ_CHECK(full.mixIndex == expectedMix);
    FUZZ_CHECK(full.record.gains[34] == full.mixIndex);
    const Mixer& state = master.Model()->MixState(static_cast<int>(full.mixIndex));
    for (int gain = 0; gain < 34; ++gain) FUZZ_CHECK(InRange(full.record.gains[gain], 0.0, 2.0));
    for (int channel = 0; channel < kChannelCount; ++channel) {
      if (state.soloCount == 0 || state.Solo[channel]) continue;
      FUZZ_CHECK(full.record.gains[channel] == 0.0);
      FUZZ_CHECK(full.record.gains[16 + channel] == 0.0);
    }
    ++expectedMix;
    delete message;
  }
  FUZZ_CHECK(expectedMix == kMixCount);
}

// What saving a loaded file must give: the header this program writes, flag
// bytes reduced to 0 and 1 (only a 1 sets a flag), every word as it was.
Image SavedFormOf(const std::uint8_t* file) {
  Image image(file, file + kSettingsImageSize);
  image[0] = 1;
  image[1] = 1;
  image[2] = kChannelCount;
  image[3] = kChannelCount;
  for (int mix = 0; mix < kMixCount; ++mix)
    for (int flag = 0; flag < kFlagBytes; ++flag) {
      std::uint8_t& byte = image[kHeaderSize + mix * kMixBlockSize + flag];
      byte = byte == 1 ? 1 : 0;
    }
  return image;
}

void CheckSavedImage(const Image& saved, const Image& expected) {
  FUZZ_CHECK(saved.size() == static_cast<std::size_t>(kSettingsImageSize));
  for (int offset = 0; offset < kSettingsImageSize; offset += 2) {
    const int want = expected[offset] << 8 | expected[offset + 1];
    const int got = saved[offset] << 8 | saved[offset + 1];
    FUZZ_CHECK(got == want);  // every word, pans included, comes back as loaded
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QuietLog();
  KorvaneMasterControl& master = *GetMasterControl();
  const Files& files = WorkFiles();
  const Image before = CurrentImage();

  WriteFile(files.loaded, data, size);
  const bool loaded = LoadSettingsFile(files.loaded.c_str());
  if (size < static_cast<std::size_t>(kSettingsImageSize)) {
    // A short file changes nothing and queues nothing.
    FUZZ_CHECK(!loaded);
    FUZZ_CHECK(CurrentImage() == before);
    FUZZ_CHECK(master.Fifo()->Pop() == nullptr);
    return 0;
  }
  FUZZ_CHECK(loaded);
  CheckModel(*master.Model());
  CheckQueuedMixes(master);

  // Saved over an old file of any length: what remains is the image alone.
  WriteFile(files.saved, data, size);
  FUZZ_CHECK(SaveSettingsFile(files.saved.c_str()));
  const Image saved = ReadFile(files.saved);
  CheckSavedImage(saved, SavedFormOf(data));

  // The saved file loads back into the state that was saved.
  FUZZ_CHECK(LoadSettingsFile(files.saved.c_str()));
  CheckSavedImage(CurrentImage(), saved);
  while (EngineMessage* message = master.Fifo()->Pop()) delete message;
  return 0;
}
