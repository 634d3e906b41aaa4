#include "tests/support/enginetest.h"

#include <algorithm>

#include "korvaneobjects/korvanedevicecontrol.h"
#include "korvaneobjects/korvanemastercontrol.h"
#include "platform/assert.h"
#include "platform/log.h"
#include "platform/messagebox.h"
#include "platform/prefstore.h"
#include "simulator/simulatedmachine.h"
#include "tests/support/eventually.h"
#include "velmora/velmora.h"
#include "velmora/velmoraprefs.h"

namespace testsupport {

namespace {

// One of the last frames of a clear-overs, and of nothing else: the reset of
// channel 15's over (bit 7 of the high over flags).
bool IsLastOverReset(const simulator::FrameRecord& record) {
  const std::vector<std::uint8_t>& f = record.frame;
  return f.size() == 9 && f[6] == kCommandWriteParameter && f[7] == kParameterOverResetHigh &&
         f[8] == 0x80;
}

}  // namespace

EngineTest::EngineTest() {
  ResetEverything();
  platform::SetMessageBoxHook(
      [this](void* owner, const char* text, const char* caption, unsigned type) {
        boxes.push_back(std::string(caption) + "|" + text + "|" + std::to_string(type) +
                        (owner ? "|owned" : ""));
        return platform::kIdOk;
      });
}

// Also here, for a derived fixture whose TearDown does not call this one's.
EngineTest::~EngineTest() { ResetEverything(); }

void EngineTest::TearDown() { ResetEverything(); }

void EngineTest::ResetEverything() {
  // First the engine: its threads end before anything they use goes. Its
  // shutdown also stores and frees the preferences object.
  DestroyMasterControl();
  velmoraPrefs::DestroyInstance();
  SetRefreshControlsHook(nullptr);
  ResetParameterInterface();
  platform::SetAssertionsAbort(true);
  platform::SetPrefStoreFault(platform::PrefStoreFault::kNone);
  platform::SetMessageBoxHook(nullptr);
  platform::SetLogSink(nullptr, nullptr);
}

bool EngineTest::LoopAnnounced(const platform::LogCapture& log) {
  return Eventually(
      [&] { return log.Count("Running Thread: KorvaneFWInterface::interfaceLoopGo()\n") == 1; });
}

bool EngineTest::CarriedOut(simulator::SimulatedMachine& sim) {
  // Only the frames that come after the fence is queued are looked at: a
  // long log copied at every poll would hold the machine's lock against the
  // loop that is to reach the fence.
  std::size_t seen = sim.FrameCount(0);
  GetMasterControl()->ClearOvers();
  return Eventually([&] {
    const std::vector<simulator::FrameRecord> fresh = sim.Frames(0, seen);
    seen += fresh.size();
    return std::any_of(fresh.begin(), fresh.end(), IsLastOverReset);
  });
}

}  // namespace testsupport
