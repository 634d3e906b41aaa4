// Three threads at once: the GUI writing as fast as it can, the interface loop
// carrying mixes out, the metering thread polling. Afterwards the device must
// hold exactly the model's gains, and shutdown must not wait for the queue.
#include <gtest/gtest.h>

#include <random>

#include "korvaneobjects/korvanedevicecontrol.h"
#include "korvaneobjects/korvanefifo.h"
#include "korvaneobjects/korvanemastercontrol.h"
#include "platform/log.h"
#include "simulator/simulatedmachine.h"
#include "tests/support/enginetest.h"
#include "tests/support/eventually.h"
#include "velmora/korvanemix8bus.h"
#include "velmora/velmora.h"

namespace {

void DiscardLog(const char*, void*) {}

std::atomic<int> meterPasses{0};
void CountMeterPass() { ++meterPasses; }

// One random write through the parameter interface, as a control would make it.
void RandomWrite(std::mt19937& random) {
  std::uniform_int_distribution<int> pick(0, 99);
  const int what = pick(random);
  const auto channel = static_cast<std::uint16_t>(pick(random) % 8);
  std::uniform_real_distribution<double> gain(-0.2, 2.2);
  if (what < 40) {
    KMXSetFloat(IDFADER | channel, gain(random));
  } else if (what < 60) {
    KMXSetFloat(IDPAN | channel, gain(random) - 1.0);  // some out of range
  } else if (what < 70) {
    KMXSetFloat(IDFADER | static_cast<std::uint16_t>(8 + what % 2), gain(random));
  } else if (what < 80) {
    KMXSetInteger(IDSOLO | channel, what % 2);
  } else if (what < 90) {
    KMXSetInteger(IDMUTE | channel, what % 2);
  } else if (what < 97) {
    KMXSetInteger(IDMIXSELECT, what % 4);
  } else {
    KMXSetInteger(IDMIXERACTIVE, what != 97);
  }
}

void ExpectDeviceHoldsTheModel(simulator::SimulatedMachine& sim, KorvaneMasterControl& master) {
  const auto state = sim.State(0);
  for (int mix = 0; mix < 4; ++mix) {
    FullMixRecord record;
    master.Model()->BuildFullMixRecord(mix, &record);
    for (int slot = 0; slot < kMixGainCount; ++slot)
      ASSERT_EQ(state.mixes[mix][slot], GainToDeviceUnits(record.gains[slot]))
          << "mix " << mix << " slot " << slot;
  }
}

// The mix frames a unit received.
int MixFrames(simulator::SimulatedMachine& sim) {
  int count = 0;
  for (const auto& record : sim.Frames(0))
    count += record.frame.size() == 76 && record.frame[6] == kCommandWriteMix;
  return count;
}

class Reliability : public testsupport::EngineTest {
 protected:
  simulator::ScopedMachine sim;
};

TEST_F(Reliability, AHundredThousandWritesWhileMeteringEndWithTheModelOnTheDevice) {
  platform::SetLogSink(&DiscardLog, nullptr);
  KorvaneMasterControl* master = GetMasterControl();
  ASSERT_EQ(master->InitKorvaneMasterControl(&CountMeterPass), 1u);
  master->StartMetering();
  KMXSetInteger(IDMIXERACTIVE, 1);

  std::mt19937 random(1234);
  for (int i = 0; i < 100000; ++i) RandomWrite(random);
  // Whatever the writes left selected and enabled, every mix goes out once more.
  KMXSetInteger(IDMIXERACTIVE, 1);
  master->SendAllMixes();

  ASSERT_TRUE(CarriedOut(sim.machine()));
  EXPECT_EQ(master->Fifo()->Size(), 0u);
  EXPECT_TRUE(testsupport::Eventually([] { return meterPasses > 0; }));
  ExpectDeviceHoldsTheModel(sim.machine(), *master);

  // A stalled device (2 s a transaction): shutdown waits for the transaction
  // in flight, and past its short grace for the queue drops the rest instead
  // of carrying it out.
  sim->SetReplyDelayMs(2000);
  sim->ClearFrames();
  for (std::uint32_t mix = 0; mix < 4; ++mix) {
    master->SelectMix(mix);
    master->SetFader(0, 0.25 * (mix + 1));
  }
  ASSERT_TRUE(testsupport::Eventually([&] { return master->Fifo()->Size() < 4; }))
      << "the first mix is taken out of the queue";
  DestroyMasterControl();
  EXPECT_LT(MixFrames(sim.machine()), 4) << "the queue was carried out before stopping";
}

}  // namespace
