// The base of every test of the engine and the parameter interface. Each test
// starts from the state of a fresh process and leaves none of its own behind:
// no master control (so no engine threads, meter target or meter callback), no
// preferences object, no refresh hook, the parameter interface's start values,
// the log on standard output, assertions that abort and a preference store
// without forced faults. Message boxes are answered OK and recorded instead
// of waiting for a person, and the preferences live in a sandbox of the test's
// own.
//
// A derived fixture that overrides TearDown calls EngineTest::TearDown first
// thing: it ends the engine's threads while the fixture's simulated machine is
// still there.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/prefsandbox.h"

namespace platform {
class LogCapture;
}
namespace simulator {
class SimulatedMachine;
}

namespace testsupport {

class EngineTest : public ::testing::Test {
 protected:
  EngineTest();
  ~EngineTest() override;
  void TearDown() override;

  // Waits until the interface loop has carried out every message queued so
  // far: queues a clear-overs behind them and waits for its frames to reach
  // unit 0 of `sim`, which the master control's engine must be running on.
  // The queue keeps its order, so the earlier messages went out before.
  bool CarriedOut(simulator::SimulatedMachine& sim);

  // Waits until the interface loop has announced itself in `log`: it does so
  // from its own thread, possibly after the call that started it returned.
  static bool LoopAnnounced(const platform::LogCapture& log);

  // Every box shown, as "caption|text|type", with "|owned" when it had an owner.
  std::vector<std::string> boxes;
  PrefSandbox prefs;

 private:
  void ResetEverything();
};

}  // namespace testsupport
