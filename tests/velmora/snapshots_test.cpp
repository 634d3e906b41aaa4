// The user's snapshot slots on disk: stored and read back, empty, unreadable
// files left alone, and stores the system refuses.
#include "velmora/snapshots.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <vector>

#include "platform/fileio.h"
#include "platform/log.h"
#include "tests/support/appdatasandbox.h"
#include "tests/support/filebytes.h"

namespace {

namespace fs = std::filesystem;
using testsupport::Bytes;
using testsupport::kDiskFull;
using testsupport::ReadAll;
using testsupport::WriteAll;

// A settings image whose every mix differs: flags on here and there, and
// words that count up.
SettingsImage AnImage(std::uint8_t seed) {
  SettingsImage image{1, 1, 8, 8};
  for (int at = 4; at < kSettingsImageSize; ++at) {
    const int inBlock = (at - 4) % 52;
    image[at] = inBlock < 16 ? (at + seed) % 3 == 0 : static_cast<std::uint8_t>(at * 7 + seed);
  }
  return image;
}

Bytes BytesOf(const SettingsImage& image) { return Bytes(image.begin(), image.end()); }

class SnapshotsTest : public ::testing::Test {
 protected:
  ~SnapshotsTest() override { platform::FailNextReplaceAt(platform::ReplaceStep::kNone, 0); }

  fs::path Folder() const { return sandbox.path() / "Korvane" / "Velmora" / "Snapshots"; }
  fs::path File(int slot) const { return Folder() / ("snapshot-" + std::to_string(slot) + ".kmx"); }

  testsupport::AppDataSandbox sandbox;
  platform::LogCapture log;
};

TEST_F(SnapshotsTest, AStoredSlotReadsBackWithItsTimeWhileTheOthersStayEmpty) {
  for (int slot = 1; slot <= kSnapshotSlots; ++slot)
    EXPECT_EQ(ReadSnapshotSlot(slot).state, SnapshotState::kEmpty) << slot;
  EXPECT_EQ(fs::path(SnapshotFolder()), Folder());
  EXPECT_EQ(fs::path(SnapshotPath(8)), File(8));

  const std::int64_t before = std::time(nullptr);
  SettingsFileError error;
  ASSERT_TRUE(StoreSnapshot(3, AnImage(0), &error)) << error.reason;
  const std::int64_t after = std::time(nullptr);
  EXPECT_EQ(ReadAll(File(3)), BytesOf(AnImage(0)));

  const SnapshotSlot slot = ReadSnapshotSlot(3);
  EXPECT_EQ(slot.state, SnapshotState::kStored);
  EXPECT_GE(slot.storedAt, before - 2);
  EXPECT_LE(slot.storedAt, after + 2);
  SettingsImage image{};
  ASSERT_TRUE(ReadSnapshot(3, &image, &error)) << error.reason;
  EXPECT_EQ(image, AnImage(0));

  ASSERT_TRUE(StoreSnapshot(3, AnImage(1), &error)) << error.reason;
  ASSERT_TRUE(ReadSnapshot(3, &image, &error));
  EXPECT_EQ(image, AnImage(1)) << "a store replaces the slot";

  for (int other : {1, 2, 4, 5, 6, 7, 8})
    EXPECT_EQ(ReadSnapshotSlot(other).state, SnapshotState::kEmpty) << other;
  EXPECT_FALSE(ReadSnapshot(5, &image, &error));
  EXPECT_EQ(fs::path(error.file), File(5));
  EXPECT_FALSE(error.reason.empty());
  EXPECT_EQ(image, AnImage(1)) << "a failed read leaves the image alone";
}

// Whatever lies in the folder: a file cut short, another program's file, a
// file with flags no mix can hold, a folder where a file should be.
TEST_F(SnapshotsTest, AFileThatIsNoMixIsUnreadableNamedAndLeftAsItIs) {
  fs::create_directories(Folder());
  Bytes wrongHeader = BytesOf(AnImage(0));
  wrongHeader[0] = 2;
  Bytes badSolo = BytesOf(AnImage(0));
  badSolo[4 + 52 * 2 + 8 + 5] = 2;  // solo of Ch 6 in the third pair
  Bytes longer = BytesOf(AnImage(2));
  longer.resize(300, 0xEE);
  WriteAll(File(1), Bytes(100, 1));
  WriteAll(File(2), wrongHeader);
  WriteAll(File(4), badSolo);
  fs::create_directory(File(6));
  WriteAll(File(7), longer);

  struct Case {
    int slot;
    const char* why;
  };
  for (const Case& bad : {Case{1, "holds 100 bytes"}, Case{2, "begins with 02 01 08 08"},
                          Case{4, "output pair 3: the solo byte of Ch 6 is 2"}, Case{6, ""}}) {
    SCOPED_TRACE(bad.slot);
    EXPECT_EQ(ReadSnapshotSlot(bad.slot).state, SnapshotState::kUnreadable);
    SettingsImage image = AnImage(5);
    SettingsFileError error;
    EXPECT_FALSE(ReadSnapshot(bad.slot, &image, &error));
    EXPECT_EQ(fs::path(error.file), File(bad.slot));
    EXPECT_NE(error.reason.find(bad.why), std::string::npos) << error.reason;
    EXPECT_EQ(image, AnImage(5));
  }
  EXPECT_EQ(ReadAll(File(1)), Bytes(100, 1));
  EXPECT_EQ(ReadAll(File(2)), wrongHeader);
  EXPECT_EQ(ReadAll(File(4)), badSolo);
  EXPECT_TRUE(fs::is_directory(File(6)));
  EXPECT_EQ(
      log.Count("Snapshot " + SnapshotPath(2) +
                ": The file begins with 02 01 08 08, not as a mix file does (01 01 08 08).\n"),
      2);

  EXPECT_EQ(ReadSnapshotSlot(7).state, SnapshotState::kStored) << "bytes past a mix are ignored";
  SettingsImage image{};
  EXPECT_TRUE(ReadSnapshot(7, &image, nullptr));
  EXPECT_EQ(image, AnImage(2));
}

TEST_F(SnapshotsTest, AStoreTheSystemRefusesSaysWhichFileAndWhyAndKeepsTheOldSlot) {
  WriteAll(sandbox.path() / "Korvane", Bytes{'x'});  // a file where the folder must go
  SettingsFileError error;
  EXPECT_FALSE(StoreSnapshot(2, AnImage(0), &error));
  EXPECT_EQ(fs::path(error.file), File(2));
  EXPECT_FALSE(error.reason.empty());
  EXPECT_EQ(log.Count("Snapshot " + error.file + ": " + error.reason + "\n"), 1);
  EXPECT_EQ(ReadAll(sandbox.path() / "Korvane"), Bytes{'x'});

  fs::remove(sandbox.path() / "Korvane");
  ASSERT_TRUE(StoreSnapshot(2, AnImage(0), &error));
  platform::FailNextReplaceAt(platform::ReplaceStep::kWrite, kDiskFull);
  EXPECT_FALSE(StoreSnapshot(2, AnImage(1), &error));
  EXPECT_EQ(fs::path(error.file), File(2));
  EXPECT_EQ(error.reason, platform::SystemErrorText(kDiskFull));
  EXPECT_EQ(ReadAll(File(2)), BytesOf(AnImage(0))) << "written whole or not at all";
  EXPECT_EQ(std::distance(fs::directory_iterator(Folder()), fs::directory_iterator()), 1)
      << "no temporary file is left";
}

TEST_F(SnapshotsTest, ASlotOutsideOneToEightIsNoneAndNothingIsWritten) {
  SettingsFileError error;
  for (int slot : {0, 9, -1}) {
    EXPECT_EQ(SnapshotPath(slot), "");
    EXPECT_EQ(ReadSnapshotSlot(slot).state, SnapshotState::kEmpty);
    EXPECT_FALSE(StoreSnapshot(slot, AnImage(0), &error));
    EXPECT_EQ(error.reason, "There is no snapshot slot " + std::to_string(slot) + ".");
    SettingsImage image{};
    EXPECT_FALSE(ReadSnapshot(slot, &image, &error));
  }
  EXPECT_FALSE(fs::exists(sandbox.path() / "Korvane"));
}

}  // namespace
