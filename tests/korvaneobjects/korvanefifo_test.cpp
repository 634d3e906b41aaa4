// The engine's queue: superseded messages go, the order of the rest stays.
#include "korvaneobjects/korvanefifo.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/log.h"

namespace {

FullMixMessage* Mix(std::uint32_t mixIndex, double firstGain = 0.0) {
  FullMixRecord record{};
  record.gains[0] = firstGain;
  record.gains[34] = mixIndex;
  return new FullMixMessage(record, mixIndex);
}

// "M<mix>:<first gain>" for full mixes, "E<value>" for enables, "C" for clear overs.
// Formatted into a buffer: GCC 12 at -O3 takes "M" + std::to_string(..) for an
// overlapping copy (a false -Wrestrict).
std::string Describe(const EngineMessage& message) {
  char text[48];
  switch (message.kind) {
    case kMessageFullMix: {
      const auto& mix = static_cast<const FullMixMessage&>(message);
      std::snprintf(text, sizeof text, "M%u:%d", static_cast<unsigned>(mix.mixIndex),
                    static_cast<int>(mix.record.gains[0]));
      return text;
    }
    case kMessageMixerEnable:
      std::snprintf(text, sizeof text, "E%d",
                    static_cast<const MixerEnableMessage&>(message).value);
      return text;
    default:
      return "C";
  }
}

// Coalesces fully, then pops everything.
std::vector<std::string> Drain(KorvaneFIFO& fifo) {
  while (fifo.Coalesce()) {
  }
  std::vector<std::string> order;
  while (EngineMessage* message = fifo.Pop()) {
    order.push_back(Describe(*message));
    delete message;
  }
  return order;
}

TEST(KorvaneFIFO, ANewerMixOfTheSameOutputPairReplacesTheOlder) {
  KorvaneFIFO fifo;
  fifo.Push(Mix(0, 1));
  fifo.Push(Mix(1, 2));
  fifo.Push(Mix(0, 3));
  fifo.Push(Mix(0, 4));
  EXPECT_EQ(Drain(fifo), (std::vector<std::string>{"M1:2", "M0:4"}));
}

TEST(KorvaneFIFO, OneCoalesceRemovesOneMessageTheFirstSuperseded) {
  KorvaneFIFO fifo;
  fifo.Push(Mix(2, 1));
  fifo.Push(Mix(3, 2));
  fifo.Push(new MixerEnableMessage(1));
  fifo.Push(Mix(3, 3));
  fifo.Push(new MixerEnableMessage(0));
  fifo.Push(Mix(2, 4));
  ASSERT_TRUE(fifo.Coalesce());
  EXPECT_EQ(fifo.Size(), 5u);
  EXPECT_EQ(Describe(*std::unique_ptr<EngineMessage>(fifo.Pop())), "M3:2")
      << "the older mix 2 went first: it stood first in the queue";
  EXPECT_EQ(Drain(fifo), (std::vector<std::string>{"M3:3", "E0", "M2:4"}));
}

TEST(KorvaneFIFO, DifferentMixesAndKindsDoNotSupersedeEachOther) {
  KorvaneFIFO fifo;
  fifo.Push(Mix(2));
  fifo.Push(Mix(3));
  fifo.Push(new ClearOversMessage);
  fifo.Push(new MixerEnableMessage(1));
  EXPECT_FALSE(fifo.Coalesce());
  fifo.Push(new ClearOversMessage);
  EXPECT_TRUE(fifo.Coalesce());
  EXPECT_FALSE(fifo.Coalesce());
  EXPECT_EQ(Drain(fifo), (std::vector<std::string>{"M2:0", "M3:0", "E1", "C"}));
}

TEST(KorvaneFIFO, SupersedingFollowsTheMessagesOwnRule) {
  std::unique_ptr<FullMixMessage> mix2(Mix(2)), mix3(Mix(3)), mix2b(Mix(2));
  MixerEnableMessage on(1), off(0);
  ClearOversMessage clear;
  EXPECT_TRUE(mix2->IsSupersededBy(*mix2b));
  EXPECT_FALSE(mix2->IsSupersededBy(*mix3));
  EXPECT_FALSE(mix2->IsSupersededBy(on));
  EXPECT_TRUE(on.IsSupersededBy(off));
  EXPECT_FALSE(on.IsSupersededBy(clear));
  EXPECT_TRUE(clear.IsSupersededBy(ClearOversMessage()));
}

TEST(KorvaneFIFO, LogsEachNewLargestSize) {
  platform::LogCapture log;
  KorvaneFIFO fifo;
  fifo.Push(Mix(0));
  fifo.Push(Mix(1));
  delete fifo.Pop();
  fifo.Push(Mix(2));  // back to 2: no new largest size
  fifo.Push(Mix(3));
  EXPECT_EQ(log.Lines(),
            (std::vector<std::string>{"Max stacksize: 1", "Max stacksize: 2", "Max stacksize: 3"}));
  EXPECT_EQ(fifo.MaxSize(), 3u);
}

TEST(KorvaneFIFO, PopAndCoalesceOnAnEmptyOrSingleQueue) {
  KorvaneFIFO fifo;
  EXPECT_EQ(fifo.Pop(), nullptr);
  EXPECT_FALSE(fifo.Coalesce());
  fifo.Push(Mix(1));
  EXPECT_FALSE(fifo.Coalesce());
  EXPECT_EQ(Drain(fifo), std::vector<std::string>{"M1:0"});
  EXPECT_EQ(fifo.Size(), 0u);
}

// The gate is the creating thread's: a push from another thread leaves it shut.
TEST(KorvaneFIFO, TheStartGateOpensWithTheCreatingThreadsFirstPush) {
  KorvaneFIFO fifo;
  auto gateOpens = [&] {
    bool opened = false;
    std::thread waiter([&] { opened = fifo.WaitForFirstPush(10); });
    waiter.join();
    return opened;
  };
  EXPECT_FALSE(gateOpens());
  std::thread other([&] { fifo.Push(Mix(1)); });
  other.join();
  EXPECT_FALSE(gateOpens());
  fifo.Push(Mix(0));
  EXPECT_TRUE(gateOpens());
  fifo.Push(Mix(2));
  EXPECT_TRUE(gateOpens());
  EXPECT_EQ(fifo.Size(), 3u);
}

TEST(KorvaneFIFO, DestroyingAQueueFreesWhatItHolds) {
  // Runs under AddressSanitizer's leak check.
  auto fifo = std::make_unique<KorvaneFIFO>();
  for (int i = 0; i < 10; ++i) fifo->Push(Mix(i % 4));
  fifo->Push(new ClearOversMessage);
  fifo.reset();
}

}  // namespace
