// The fixture of the end-to-end tests against the simulated X-Tamber's
// kernel-mode driver: it opens the driver's test-control device once (the
// driver host starts with the Wine session, so it may take a moment) and
// gives every test a fresh machine with one unit, and the engine's and the
// parameter interface's state of a fresh process.
#pragma once

#include <gtest/gtest.h>

#include "simulator/driversimulator.h"
#include "tests/support/enginetest.h"
#include "tests/support/eventually.h"

namespace tc = simulator::testcontrol;

class KernelDriver : public testsupport::EngineTest {
 protected:
  static void SetUpTestSuite() {
    machine = new simulator::DriverSimulator;
    // The driver host starts with the Wine session; give it time.
    openStatus = machine->Open(static_cast<std::uint32_t>(testsupport::kLivenessLimit.count()));
  }
  static void TearDownTestSuite() {
    delete machine;
    machine = nullptr;
  }
  void SetUp() override {
    ASSERT_EQ(openStatus, 0u) << "the simulated driver does not answer: is it installed?";
    ASSERT_EQ(machine->Reset(1), 0u);
  }

  static simulator::DriverSimulator* machine;
  static std::uint32_t openStatus;
};
inline simulator::DriverSimulator* KernelDriver::machine = nullptr;
inline std::uint32_t KernelDriver::openStatus = 0;

