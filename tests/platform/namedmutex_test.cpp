#include "platform/namedmutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "tests/support/eventually.h"

namespace {

using Clock = std::chrono::steady_clock;

TEST(NamedMutex, ObjectsOfOneNameShareOneLock) {
  platform::NamedMutex first("NAMEDMUTEX_TEST_SHARED");
  platform::NamedMutex second("NAMEDMUTEX_TEST_SHARED");
  platform::NamedMutex other("NAMEDMUTEX_TEST_OTHER");
  ASSERT_TRUE(first.Lock());

  std::atomic<int> outcome{-1};
  std::atomic<int> otherOutcome{-1};
  std::thread contender([&] {
    outcome = second.Lock(20) ? 1 : 0;
    otherOutcome = other.Lock(20) ? 1 : 0;
    if (otherOutcome == 1) other.Unlock();
  });
  contender.join();
  EXPECT_EQ(outcome, 0) << "the same name is the same lock";
  EXPECT_EQ(otherOutcome, 1) << "another name is another lock";
  EXPECT_TRUE(first.Unlock());
}

TEST(NamedMutex, IsRecursiveAndOwnedByItsThread) {
  platform::NamedMutex mutex("NAMEDMUTEX_TEST_RECURSIVE");
  ASSERT_TRUE(mutex.Lock());
  ASSERT_TRUE(mutex.Lock(0)) << "the owner takes it again at once";

  std::atomic<bool> strangerReleased{true};
  std::atomic<bool> strangerGot{true};
  std::thread stranger([&] {
    strangerReleased = mutex.Unlock();
    strangerGot = mutex.Lock(10);
  });
  stranger.join();
  EXPECT_FALSE(strangerReleased) << "only the owner releases";
  EXPECT_FALSE(strangerGot);

  EXPECT_TRUE(mutex.Unlock());
  std::atomic<bool> stillHeld{false};
  std::thread probe([&] { stillHeld = !mutex.Lock(10); });
  probe.join();
  EXPECT_TRUE(stillHeld) << "one release of two leaves it held";
  EXPECT_TRUE(mutex.Unlock());
  EXPECT_FALSE(mutex.Unlock());
}

TEST(NamedMutex, TimedWaitGivesUpAndAWaiterGetsItOnRelease) {
  platform::NamedMutex holder("NAMEDMUTEX_TEST_TIMED");
  platform::NamedMutex waiter("NAMEDMUTEX_TEST_TIMED");
  ASSERT_TRUE(holder.Lock());

  std::atomic<bool> timedOut{false};
  std::atomic<bool> timedWaitOver{false};
  std::atomic<bool> gotIt{false};
  std::thread waiting([&] {
    const auto start = Clock::now();
    timedOut = !waiter.Lock(15) && Clock::now() - start >= std::chrono::milliseconds(14);
    timedWaitOver = true;
    gotIt = waiter.Lock();  // without limit: wakes when the holder lets go
    waiter.Unlock();
  });
  EXPECT_TRUE(testsupport::Eventually([&] { return timedWaitOver.load(); }));
  EXPECT_FALSE(gotIt);
  holder.Unlock();
  waiting.join();
  EXPECT_TRUE(timedOut);
  EXPECT_TRUE(gotIt);
}

}  // namespace
