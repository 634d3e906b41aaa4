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

// The last frame of a clear-overs, and of nothing else: the reset of channel
// 15's over (bit 7 of the high over flags).
bool IsLastOverReset(const simulator::FrameRecord& record) {
  const std::vector<std::uint8_t>& f = record.frame;
  return f.size() == 9 && f[6] == kCommandWriteParameter && f[7] == kParameterOverResetHigh &&
         f[8] == 0x80;
}

std::size_t OverResets(simulator::SimulatedMachine& sim) {
  const std::vector<simulator::FrameRecord> frames = sim.Frames(0);
  return static_cast<std::size_t>(std::count_if(frames.begin(), frames.end(), IsLastOverReset));
}

}  // namespace

EngineTest::EngineTest() {
  ResetEverything();
  platform::SetMessageBoxHook([this](void* owner, const char* text, const char* caption,
                                     unsigned type) {
    boxes.push_back(std::string(caption) + "|" + text + "|" + std::to_string(type) +
                    (owner ? "|owned" : ""));
    return platform::kIdOk;
  });
}

// Also here, for a test whose TearDown never ran (a fatal failure in SetUp).
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

bool EngineTest::CarriedOut(simulator::SimulatedMachine& sim) {
  const std::size_t before = OverResets(sim);
  GetMasterControl()->ClearOvers();
  return Eventually([&] { return OverResets(sim) > before; });
}

}  // namespace testsupport
