#include "remote/remoteinbox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "velmora/velmora.h"

namespace {

const RemoteEndpoint kTablet = RemoteEndpoint::V4(192, 168, 1, 20, 9000);
const RemoteEndpoint kPhone = RemoteEndpoint::V4(192, 168, 1, 21, 9000);

RemoteCommand Fader(int channel, int mix, double gain) {
  return {RemoteCommandKind::kSetFloat, static_cast<std::uint16_t>(IDFADER | channel), mix, gain};
}

TEST(RemoteInbox, KeepsTheLatestValueOfEachParameterInOrderOfFirstArrival) {
  RemoteInbox inbox;
  EXPECT_TRUE(inbox.Put(Fader(0, 0, 0.1), kTablet)) << "empty before: a post is due";
  EXPECT_FALSE(inbox.Put(Fader(1, 0, 0.2), kTablet));
  EXPECT_FALSE(inbox.Put(Fader(0, 1, 0.3), kPhone)) << "the same fader of another mix";
  EXPECT_FALSE(inbox.Put(Fader(0, 0, 0.4), kPhone)) << "any sender's latest value wins";
  const std::vector<RemoteInbox::Entry> taken = inbox.Take();
  ASSERT_EQ(taken.size(), 3u);
  EXPECT_EQ(taken[0].command, Fader(0, 0, 0.4));
  EXPECT_EQ(taken[0].sender, kPhone);
  EXPECT_EQ(taken[1].command, Fader(1, 0, 0.2));
  EXPECT_EQ(taken[2].command, Fader(0, 1, 0.3));
  EXPECT_EQ(inbox.Size(), 0u);
  EXPECT_TRUE(inbox.Put(Fader(0, 0, 0.5), kTablet)) << "empty again after a pass";

  inbox.Put(Fader(1, 0, 0.6), kTablet);
  inbox.Put(Fader(2, 0, 0.7), kTablet);
  RemoteInbox::Entry entry;
  ASSERT_TRUE(inbox.TakeFirstOf(RemoteInbox::kAnyMix, &entry));
  EXPECT_EQ(entry.command, Fader(0, 0, 0.5));
  ASSERT_TRUE(inbox.TakeFirstOf(RemoteInbox::kAnyMix, &entry));
  EXPECT_EQ(entry.command, Fader(1, 0, 0.6));
  EXPECT_FALSE(inbox.Put(Fader(2, 0, 0.8), kTablet)) << "one still waits: no post is due";
  const std::vector<RemoteInbox::Entry> rest = inbox.Take();
  ASSERT_EQ(rest.size(), 1u);
  EXPECT_EQ(rest[0].command, Fader(2, 0, 0.8));

  inbox.Put(Fader(1, 0, 0.1), kTablet);
  inbox.Put(RemoteCommand{RemoteCommandKind::kRefresh}, kTablet);
  inbox.Put(Fader(1, 1, 0.2), kTablet);
  ASSERT_TRUE(inbox.TakeFirstOf(1, &entry));
  EXPECT_EQ(entry.command, Fader(1, 1, 0.2));
  EXPECT_FALSE(inbox.TakeFirstOf(1, &entry));
  ASSERT_TRUE(inbox.TakeFirstOf(-1, &entry)) << "of no mix";
  EXPECT_EQ(entry.command.kind, RemoteCommandKind::kRefresh);
  EXPECT_EQ(inbox.Size(), 1u);
}

TEST(RemoteInbox, RefreshAndMetersStayWithTheirSender) {
  RemoteInbox inbox;
  const RemoteCommand refresh{RemoteCommandKind::kRefresh};
  const RemoteCommand metersOn{RemoteCommandKind::kMeters, 0, -1, 1.0};
  const RemoteCommand metersOff{RemoteCommandKind::kMeters, 0, -1, 0.0};
  inbox.Put(refresh, kTablet);
  inbox.Put(refresh, kPhone);
  inbox.Put(refresh, kTablet);
  inbox.Put(metersOn, kTablet);
  inbox.Put(metersOn, kPhone);
  inbox.Put(metersOff, kTablet);
  const std::vector<RemoteInbox::Entry> taken = inbox.Take();
  ASSERT_EQ(taken.size(), 4u);
  EXPECT_EQ(taken[0].sender, kTablet);
  EXPECT_EQ(taken[1].sender, kPhone);
  EXPECT_EQ(taken[2].command, metersOff);
  EXPECT_EQ(taken[2].sender, kTablet);
  EXPECT_EQ(taken[3].command, metersOn);
  EXPECT_EQ(taken[3].sender, kPhone);
}

TEST(RemoteInbox, AFloodOfSendersIsCappedNotGrown) {
  RemoteInbox inbox;
  for (std::size_t i = 0; i < RemoteInbox::kMaxEntries + 10; ++i)
    inbox.Put(RemoteCommand{RemoteCommandKind::kRefresh},
              RemoteEndpoint::V4(10, static_cast<std::uint8_t>(i >> 8), static_cast<std::uint8_t>(i), 1, 1));
  EXPECT_EQ(inbox.Size(), RemoteInbox::kMaxEntries);
  EXPECT_EQ(inbox.DroppedWhenFull(), 10u);
  EXPECT_FALSE(inbox.Put(Fader(0, 0, 1.0), kTablet)) << "full: dropped, no post";
  EXPECT_EQ(inbox.Take().size(), RemoteInbox::kMaxEntries);
}

// The network thread floods two faders while the GUI thread takes passes: the
// GUI thread is told once per pass at most, sees each fader at most once a
// pass, never more entries than there are faders, and ends on the last value.
TEST(RemoteInbox, ANetworkThreadFloodsWhileTheGuiThreadTakes) {
  RemoteInbox inbox;
  constexpr int kMessages = 200000;
  std::atomic<int> posts{0};
  std::atomic<bool> done{false};
  std::thread network([&] {
    for (int i = 1; i <= kMessages; ++i) {
      if (inbox.Put(Fader(i % 2, 0, i), kTablet)) posts.fetch_add(1);
    }
    done = true;
  });
  int passes = 0;
  double last[2] = {0, 0};
  bool ordered = true;
  auto pass = [&] {
    const std::vector<RemoteInbox::Entry> taken = inbox.Take();
    if (taken.empty()) return;
    ++passes;
    EXPECT_LE(taken.size(), 2u);
    for (const RemoteInbox::Entry& entry : taken) {
      double& seen = last[entry.command.id & 1];
      ordered = ordered && entry.command.value > seen;
      seen = entry.command.value;
    }
  };
  while (!done) pass();
  network.join();
  pass();
  EXPECT_TRUE(ordered) << "a value older than one already taken came back";
  EXPECT_EQ(last[0], kMessages);
  EXPECT_EQ(last[1], kMessages - 1);
  EXPECT_EQ(posts.load(), passes) << "one post per pass: every Take empties what one post announced";
}

}  // namespace
