// Undo and redo through the parameter interface: what the unit is sent, which
// output pair is shown, and the unsaved flag as the image against the saved one.
#include "velmora/mixsteps.h"

#include <gtest/gtest.h>

#include "korvaneobjects/korvanefifo.h"
#include "korvaneobjects/korvanemastercontrol.h"
#include "tests/support/enginetest.h"
#include "tests/support/tempfolder.h"
#include "velmora/korvanemix8bus.h"
#include "velmora/settingsfile.h"
#include "velmora/velmora.h"

namespace {

std::int64_t fakeNow = 0;
std::int64_t FakeClock() { return fakeNow; }

class StepsTest : public testsupport::EngineTest {
 protected:
  void SetUp() override {
    SetStepClockForTests(&FakeClock);
    KMXSetInteger(IDMIXERACTIVE, 1);
  }
  void TearDown() override {
    EngineTest::TearDown();
    SetStepClockForTests(nullptr);
  }
  const Mixer& Mix(int mix) { return GetMasterControl()->Model()->MixState(mix); }
  std::size_t Queued() { return GetMasterControl()->Fifo()->Size(); }

  testsupport::TempFolder temp{"steps"};
};

TEST_F(StepsTest, TheMixIsUnsavedExactlyWhileItDiffersFromTheSavedOne) {
  KMXSetFloat(0x4020, 0.5);
  EXPECT_FALSE(savedFlag);
  UndoStep();
  EXPECT_TRUE(savedFlag) << "undone back to the start-up mix";
  RedoStep();
  ASSERT_TRUE(SaveSettingsFile(temp.Path("a.kmx").c_str()));
  KMXSetFloat(0x4020, 1.0);
  EXPECT_FALSE(savedFlag);
  KMXSetFloat(0x4020, 0.5);
  EXPECT_TRUE(savedFlag) << "changed back by hand";
  UndoStep();
  EXPECT_FALSE(savedFlag);
  UndoStep();
  EXPECT_TRUE(savedFlag);
  UndoStep();
  EXPECT_FALSE(savedFlag) << "undone past the save";
}

TEST_F(StepsTest, UndoSendsOnlyTheChangedMixAndShowsItsPair) {
  KMXSetInteger(IDMIXSELECT, 2);
  KMXSetInteger(0x4083, 1);
  KMXSetInteger(IDMIXSELECT, 0);
  EXPECT_EQ(UndoName(), "Ch 4 solo");
  const std::size_t queued = Queued();
  ASSERT_TRUE(UndoStep());
  EXPECT_EQ(Mix(2).Solo[3], 0);
  EXPECT_EQ(Queued(), queued + 1) << "mix 3 alone goes to the unit";
  EXPECT_EQ(KMXGetInteger(IDMIXSELECT), 2) << "the pair the step changed is shown";
  EXPECT_EQ(RedoName(), "Ch 4 solo");
  ASSERT_TRUE(RedoStep());
  EXPECT_EQ(Mix(2).Solo[3], 1);
  EXPECT_FALSE(RedoStep());
}

TEST_F(StepsTest, ScopesAndDragsMakeOneStepEach) {
  KMXSetInteger(IDMIXSELECT, 2);
  {
    const StepScope key(StepJoin::kRun, 0x4028);
    KMXSetFloat(0x4028, 0.5);
    KMXSetFloat(0x4029, 0.5);  // the linked partner, in the same key press
  }
  fakeNow += 900;
  {
    const StepScope key(StepJoin::kRun, 0x4028);
    KMXSetFloat(0x4028, 0.25);
  }
  EXPECT_EQ(UndoName(), "Output 5 & 6 master");
  BeginDrag();
  KMXSetFloat(0x4041, 0.5);
  fakeNow += 5000;
  KMXSetFloat(0x4041, -0.5);
  EndDrag();
  KMXSetFloat(0x4041, 0.0);
  EXPECT_EQ(UndoName(), "Ch 2 pan");

  UndoStep();
  EXPECT_EQ(Mix(2).Pan[1], -0.5);
  UndoStep();
  EXPECT_EQ(Mix(2).Pan[1], 0.0) << "the whole drag";
  UndoStep();
  EXPECT_EQ(Mix(2).Fader[8], 1.0) << "the whole run, both sides";
  EXPECT_EQ(Mix(2).Fader[9], 1.0);
  EXPECT_FALSE(CanUndo());

  KMXSetInteger(IDMIXERACTIVE, 0);
  KMXSetFloat(0x4020, 0.5);
  EXPECT_FALSE(CanUndo()) << "a switched-off mixer takes no writes";
}

TEST_F(StepsTest, OpenIsAStepAndLeavesTheLoadedMixSaved) {
  KMXSetInteger(0x4101, 1);
  ASSERT_TRUE(SaveSettingsFile(temp.Path("muted.kmx").c_str()));
  KMXSetInteger(0x4101, 0);
  KMXSetFloat(0x4025, 2.0);
  ASSERT_TRUE(LoadSettingsFile(temp.Path("muted.kmx").c_str()));
  EXPECT_TRUE(savedFlag);
  EXPECT_EQ(UndoName(), "Open");
  UndoStep();
  EXPECT_FALSE(savedFlag);
  EXPECT_EQ(Mix(0).Fader[5], 2.0);
  EXPECT_EQ(Mix(0).Mute[1], 0);

  EXPECT_FALSE(ApplyImageStep(CurrentImage(), "Paste Mix")) << "a step that changes nothing";
  EXPECT_EQ(UndoName(), "Ch 6 fader");
}

}  // namespace
