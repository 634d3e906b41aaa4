#include "remote/controllerlist.h"

#include <gtest/gtest.h>

#include <chrono>

#include "remote/malformedlimiter.h"

namespace {

RemoteEndpoint Tablet(std::uint8_t host, std::uint16_t port = 9000) {
  return RemoteEndpoint::V4(192, 168, 1, host, port);
}

std::vector<RemoteEndpoint> Senders(const ControllerList& list) {
  std::vector<RemoteEndpoint> senders;
  for (const ControllerList::Controller& controller : list.Controllers()) senders.push_back(controller.sender);
  return senders;
}

TEST(ControllerList, ANinthReplacesTheOneHeardFromLeastRecently) {
  ControllerList list;
  for (std::uint8_t host = 1; host <= 8; ++host) EXPECT_TRUE(list.Heard(Tablet(host)));
  EXPECT_FALSE(list.Heard(Tablet(1))) << "heard again: now the most recent";
  EXPECT_TRUE(list.Heard(Tablet(9)));
  const std::vector<RemoteEndpoint> senders = Senders(list);
  ASSERT_EQ(senders.size(), 8u);
  EXPECT_EQ(std::count(senders.begin(), senders.end(), Tablet(2)), 0) << "2 was the quietest";
  EXPECT_EQ(std::count(senders.begin(), senders.end(), Tablet(1)), 1);
  EXPECT_EQ(senders.back(), Tablet(9));
}

// Each port of a host is a controller of its own, but a fixed reply port
// makes them one target.
TEST(ControllerList, RepliesGoToTheSendersPortOrTheFixedOneOnce) {
  ControllerList list;
  list.Heard(Tablet(5, 50001));
  list.Heard(Tablet(5, 50002));
  list.Heard(Tablet(6, 50003));
  EXPECT_EQ(list.Targets(0), (std::vector<RemoteEndpoint>{Tablet(5, 50001), Tablet(5, 50002),
                                                         Tablet(6, 50003)}));
  EXPECT_EQ(list.Targets(9000), (std::vector<RemoteEndpoint>{Tablet(5, 9000), Tablet(6, 9000)}));
}

TEST(ControllerList, MetersGoOnlyToSubscribersAndSurviveBeingHeardAgain) {
  ControllerList list;
  list.Heard(Tablet(1));
  list.Heard(Tablet(2));
  list.SetMeters(Tablet(2), true);
  list.SetMeters(Tablet(3), true);  // never heard: nothing to subscribe
  list.Heard(Tablet(2));
  EXPECT_EQ(list.Targets(0, true), std::vector<RemoteEndpoint>{Tablet(2)});
  list.SetMeters(Tablet(2), false);
  EXPECT_TRUE(list.Targets(0, true).empty());
}

TEST(ControllerList, AnUnreachableTargetIsDropped) {
  ControllerList list;
  list.Heard(Tablet(1, 50001));
  list.Heard(Tablet(1, 50002));
  list.Heard(Tablet(2, 50003));
  list.Drop(Tablet(1, 50002), 0);
  EXPECT_EQ(Senders(list), (std::vector<RemoteEndpoint>{Tablet(1, 50001), Tablet(2, 50003)}));
  // With a fixed reply port both senders of one host share the unreachable target.
  list.Heard(Tablet(1, 50002));
  list.Drop(Tablet(1, 9000), 9000);
  EXPECT_EQ(Senders(list), std::vector<RemoteEndpoint>{Tablet(2, 50003)});
  list.Drop(Tablet(2, 50003), 9000);  // not where its replies go
  EXPECT_EQ(list.Controllers().size(), 1u);
}

TEST(MalformedLimiter, OneLineASecondPerSenderAndEveryDropCounted) {
  using std::chrono::milliseconds;
  MalformedLimiter limiter;
  const MalformedLimiter::Clock::time_point start{};
  EXPECT_TRUE(limiter.Dropped(Tablet(1), start).logNow);
  for (int i = 1; i <= 5; ++i) EXPECT_FALSE(limiter.Dropped(Tablet(1), start + milliseconds(100 * i)).logNow);
  EXPECT_TRUE(limiter.Dropped(Tablet(2), start + milliseconds(500)).logNow) << "another sender has its own second";
  EXPECT_FALSE(limiter.Dropped(Tablet(1), start + milliseconds(999)).logNow);
  const MalformedLimiter::Verdict next = limiter.Dropped(Tablet(1), start + milliseconds(1000));
  EXPECT_TRUE(next.logNow);
  EXPECT_EQ(next.droppedSilently, 6u);
  EXPECT_EQ(limiter.Dropped(Tablet(1), start + milliseconds(5000)).droppedSilently, 0u);
  EXPECT_EQ(limiter.TotalDropped(), 10u);
  EXPECT_EQ(Tablet(1, 53000).Text(), "192.168.1.1:53000");
  EXPECT_EQ(RemoteEndpoint::V6({0xFE, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xAB, 0xCD}, 9000).Text(),
            "[fe80:0:0:0:0:0:0:abcd]:9000");
}

TEST(MalformedLimiter, ManySendersKeepItsMemoryBounded) {
  MalformedLimiter limiter;
  const MalformedLimiter::Clock::time_point start{};
  // Twice as many senders as it remembers, each twice within the second: the
  // first round's senders are forgotten by the time they come back, so each
  // gets a line again, and nothing breaks.
  int lines = 0;
  for (int round = 0; round < 2; ++round)
    for (int host = 0; host < 2 * static_cast<int>(MalformedLimiter::kMaxSenders); ++host)
      lines += limiter.Dropped(RemoteEndpoint::V4(10, 0, 0, static_cast<std::uint8_t>(host), 1), start).logNow;
  EXPECT_EQ(lines, 4 * static_cast<int>(MalformedLimiter::kMaxSenders));
  // A remembered one still is limited.
  EXPECT_FALSE(limiter.Dropped(RemoteEndpoint::V4(10, 0, 0, 127, 1), start).logNow);
}

}  // namespace
