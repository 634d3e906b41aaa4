// The undo history's arithmetic on images: which writes make one step, what
// undo and redo give back, and how much is kept.
#include "velmora/mixhistory.h"

#include <gtest/gtest.h>

namespace {

// An image that differs from every other by its value `n`.
SettingsImage Image(int n) {
  SettingsImage image{};
  image[10] = static_cast<std::uint8_t>(n & 0xFF);
  image[11] = static_cast<std::uint8_t>(n >> 8);
  return image;
}

constexpr std::uint32_t kFader3 = 0x4022;
constexpr std::uint32_t kPan3 = 0x4042;

TEST(MixHistory, WritesOfOneGestureOrOneQuickRunMakeOneStep) {
  MixHistory history;
  // A drag: three writes of gesture 1, however slow.
  history.Record(Image(0), Image(1), "Ch 3 fader", StepJoin::kNever, kFader3, 1, 0);
  history.Record(Image(1), Image(2), "Ch 3 fader", StepJoin::kNever, kFader3, 1, 5000);
  history.Record(Image(2), Image(3), "Ch 3 fader", StepJoin::kNever, kFader3, 1, 9000);
  EXPECT_EQ(history.Size(), 1u);
  // Keys on one control, each its own gesture, 999 ms apart: one run.
  history.Record(Image(3), Image(4), "Ch 3 pan", StepJoin::kRun, kPan3, 2, 10000);
  history.Record(Image(4), Image(5), "Ch 3 pan", StepJoin::kRun, kPan3, 3, 10999);
  EXPECT_EQ(history.Size(), 2u);
  // A full second later, another control, or a click: new steps.
  history.Record(Image(5), Image(6), "Ch 3 pan", StepJoin::kRun, kPan3, 4, 11999);
  history.Record(Image(6), Image(7), "Ch 3 fader", StepJoin::kRun, kFader3, 5, 12000);
  history.Record(Image(7), Image(8), "Ch 3 fader", StepJoin::kNever, kFader3, 6, 12001);
  history.Record(Image(8), Image(9), "Ch 3 fader", StepJoin::kNever, kFader3, 7, 12002);
  EXPECT_EQ(history.Size(), 6u);

  SettingsImage image{};
  ASSERT_TRUE(history.Undo(&image));
  ASSERT_TRUE(history.Undo(&image));
  ASSERT_TRUE(history.Undo(&image));
  ASSERT_TRUE(history.Undo(&image));
  EXPECT_EQ(image, Image(5));
  EXPECT_EQ(history.UndoName(), "Ch 3 pan");
  ASSERT_TRUE(history.Undo(&image));
  EXPECT_EQ(image, Image(3)) << "the whole run of keys at once";
  ASSERT_TRUE(history.Undo(&image));
  EXPECT_EQ(image, Image(0)) << "the whole drag at once";
  EXPECT_FALSE(history.Undo(&image));
  EXPECT_EQ(history.UndoName(), "");
}

TEST(MixHistory, AGestureThatEndsWhereItBeganIsNoStep) {
  MixHistory history;
  history.Record(Image(0), Image(1), "Ch 3 fader", StepJoin::kNever, kFader3, 1, 0);
  history.Record(Image(1), Image(2), "Ch 3 fader", StepJoin::kNever, kFader3, 2, 0);
  history.Record(Image(2), Image(1), "Ch 3 fader", StepJoin::kNever, kFader3, 2, 0);
  EXPECT_EQ(history.Size(), 1u);
  // The drag goes on past its start: a step again, from where it began.
  history.Record(Image(1), Image(3), "Ch 3 fader", StepJoin::kNever, kFader3, 2, 0);
  EXPECT_EQ(history.Size(), 2u);
  SettingsImage image{};
  ASSERT_TRUE(history.Undo(&image));
  EXPECT_EQ(image, Image(1));
  // A write that changes nothing records nothing.
  MixHistory quiet;
  quiet.Record(Image(4), Image(4), "Ch 3 mute", StepJoin::kNever, 0x4102, 1, 0);
  EXPECT_FALSE(quiet.CanUndo());
}

TEST(MixHistory, RedoGivesBackWhatWasUndoneUntilANewStepDropsIt) {
  MixHistory history;
  history.Record(Image(0), Image(1), "Ch 1 solo", StepJoin::kNever, 0x4080, 1, 0);
  history.Record(Image(1), Image(2), "Ch 1 pan", StepJoin::kRun, 0x4040, 2, 0);
  SettingsImage image{};
  ASSERT_TRUE(history.Undo(&image));
  ASSERT_TRUE(history.Undo(&image));
  EXPECT_EQ(history.RedoName(), "Ch 1 solo");
  ASSERT_TRUE(history.Redo(&image));
  EXPECT_EQ(image, Image(1));
  ASSERT_TRUE(history.Redo(&image));
  EXPECT_EQ(image, Image(2));
  EXPECT_FALSE(history.CanRedo());

  // A key of the same run right after a redo is a step of its own: the redo
  // came between.
  history.Record(Image(2), Image(3), "Ch 1 pan", StepJoin::kRun, 0x4040, 3, 10);
  EXPECT_EQ(history.Size(), 3u);

  ASSERT_TRUE(history.Undo(&image));
  ASSERT_TRUE(history.Undo(&image));
  history.Record(Image(1), Image(7), "Ch 2 mute", StepJoin::kNever, 0x4101, 4, 20);
  EXPECT_FALSE(history.CanRedo()) << "a new step drops the undone ones";
  EXPECT_EQ(history.Size(), 2u);
  ASSERT_TRUE(history.Undo(&image));
  EXPECT_EQ(image, Image(1));
}

TEST(MixHistory, KeepsTheNewestTwoHundredSteps) {
  MixHistory history;
  for (int n = 0; n < 205; ++n)
    history.Record(Image(n), Image(n + 1), "Ch 1 mute", StepJoin::kNever, 0x4100, n + 1, n);
  EXPECT_EQ(history.Size(), MixHistory::kMaxSteps);
  SettingsImage image{};
  int undone = 0;
  while (history.Undo(&image)) ++undone;
  EXPECT_EQ(undone, 200);
  EXPECT_EQ(image, Image(5)) << "the oldest five steps are gone";
}

}  // namespace
