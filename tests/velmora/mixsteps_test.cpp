// Undo and redo through the parameter interface: what the unit is sent, which
// output pair is shown, and the unsaved flag as the image against the saved one.
#include "velmora/mixsteps.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "korvaneobjects/korvanefifo.h"
#include "korvaneobjects/korvanemastercontrol.h"
#include "tests/support/enginetest.h"
#include "tests/support/tempfolder.h"
#include "velmora/korvanemix8bus.h"
#include "velmora/mixblock.h"
#include "velmora/settingsfile.h"
#include "velmora/velmora.h"

namespace {

std::int64_t fakeNow = 0;
std::int64_t FakeClock() { return fakeNow; }

int mixChanges = 0;
SettingsImage lastAfter{};
void CountMixChange(const SettingsImage&, const SettingsImage& after) {
  ++mixChanges;
  lastAfter = after;
}
std::vector<std::pair<std::uint16_t, std::int32_t>> controlChanges;
void NoteControlChange(std::uint16_t id, std::int32_t value) { controlChanges.emplace_back(id, value); }

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

TEST_F(StepsTest, AMixNotShownIsWrittenWithoutSwitchingTheScreen) {
  const std::size_t queued = Queued();
  KMXSetMixFloat(2, IDFADER + 1, 5.0);
  KMXSetMixFloat(3, IDFADERTEXT + 9, 0.5);
  KMXSetMixInteger(1, IDSOLO + 0, 1);
  KMXSetMixFloat(1, IDPAN + 4, -3.0);  // out of range: refused
  EXPECT_EQ(KMXGetInteger(IDMIXSELECT), 0);
  EXPECT_EQ(Mix(2).Fader[1], 2.0) << "clamped to the top";
  EXPECT_NEAR(Mix(3).Fader[9], 0.5, 1e-4);
  EXPECT_EQ(Mix(1).Solo[0], 1);
  EXPECT_EQ(Mix(1).soloCount, 1);
  EXPECT_EQ(Mix(1).Pan[4], 0.0);
  EXPECT_EQ(Queued(), queued + 3) << "each write sends its own mix";
  EXPECT_EQ(UndoName(), "Ch 1 solo");
  UndoStep();
  EXPECT_EQ(UndoName(), "Output 7 & 8 master");
  EXPECT_EQ(KMXGetInteger(IDMIXSELECT), 1) << "undo shows the pair it changed";
  KMXSetMixFloat(1, IDFADER + 0, 1.0);  // the shown mix, as the screen writes it
  EXPECT_EQ(Mix(1).Fader[0], 1.0);
  EXPECT_FALSE(savedFlag);

  KMXSetInteger(IDMIXERACTIVE, 0);
  KMXSetMixFloat(2, IDFADER + 2, 1.0);
  EXPECT_EQ(Mix(2).Fader[2], 0.0) << "a switched-off mixer takes no writes";
  KMXSetMixFloat(4, IDFADER + 2, 1.0);
  KMXSetMixFloat(0, IDMIXSELECT, 3.0);
  EXPECT_EQ(KMXGetInteger(IDMIXSELECT), 1) << "no mix value";
}

TEST_F(StepsTest, ABatchSendsEachMixItWroteOnceWhenItEnds) {
  const std::size_t queued = Queued();
  {
    const MixSendBatch batch;
    KMXSetMixFloat(2, IDFADER + 1, 0.5);
    {
      const MixSendBatch inner;
      KMXSetMixFloat(2, IDPAN + 1, 0.5);
    }
    KMXSetMixFloat(2, IDFADER + 1, 0.7);
    KMXSetMixInteger(3, IDMUTE + 0, 1);
    KMXSetMixInteger(1, IDMUTE + 0, 0);  // changes nothing
    EXPECT_EQ(Queued(), queued) << "nothing before the outermost batch ends";
    EXPECT_NEAR(Mix(2).Fader[1], 0.7, 1e-4) << "the model has every write at once";
  }
  EXPECT_EQ(Queued(), queued + 2) << "mixes 3 and 4, once each";
  EXPECT_EQ(UndoName(), "Ch 1 mute") << "the history has every write as before";
  KMXSetMixFloat(2, IDFADER + 1, 0.2);
  EXPECT_EQ(Queued(), queued + 3) << "outside a batch each write sends its mix";
}

TEST_F(StepsTest, EveryChangeOfTheMixWhateverMadeItIsAnnounced) {
  mixChanges = 0;
  controlChanges.clear();
  SetMixChangedHook(&CountMixChange);
  SetControlChangedHook(&NoteControlChange);
  KMXSetFloat(IDFADER + 3, 0.5);
  KMXSetFloat(IDFADER + 3, 0.5);  // the same value again: no change
  EXPECT_EQ(mixChanges, 1);
  UndoStep();
  EXPECT_EQ(mixChanges, 2);
  EXPECT_EQ(lastAfter, CurrentImage());
  KMXSetMixInteger(2, IDMUTE + 1, 1);
  EXPECT_EQ(mixChanges, 3);
  ASSERT_TRUE(SaveSettingsFile(temp.Path("m.kmx").c_str()));
  KMXSetMixInteger(2, IDMUTE + 1, 0);
  ASSERT_TRUE(LoadSettingsFile(temp.Path("m.kmx").c_str()));
  EXPECT_EQ(mixChanges, 5);
  SettingsImage pasted = CurrentImage();
  MixBlock block = MixBlockOf(pasted, 2);
  PutMixBlock(&pasted, 0, block);
  ASSERT_TRUE(ApplyImageStep(pasted, "Paste Mix"));
  EXPECT_EQ(mixChanges, 6);
  EXPECT_EQ(Mix(0).Mute[1], 1);
  KMXSetInteger(IDMIXSELECT, 3);
  KMXSetInteger(IDMIXERACTIVE, 0);
  EXPECT_EQ(controlChanges, (std::vector<std::pair<std::uint16_t, std::int32_t>>{
                                {IDMIXSELECT, 3}, {IDMIXERACTIVE, 0}}));
  EXPECT_EQ(mixChanges, 6) << "neither is a change of the mix";
}

}  // namespace
