// The mixer's side of remote control: what a controller sends is carried out
// as the user's own gestures, and every change, whatever made it, goes back.
#include "remote/remotemixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "korvaneobjects/korvanefifo.h"
#include "korvaneobjects/korvanemastercontrol.h"
#include "remote/remoteaddress.h"
#include "tests/support/enginetest.h"
#include "tests/support/tempfolder.h"
#include "velmora/korvanemix8bus.h"
#include "velmora/mixsteps.h"
#include "velmora/settingsfile.h"
#include "velmora/velmora.h"

namespace {

struct Sent {
  std::string to;  // "all", "meters" or the controller's text
  OscMessage message;
};

class FakeLink : public RemoteLink {
 public:
  void SendToAll(const std::vector<OscMessage>& messages) override {
    ++sendsToAll;
    Note("all", messages);
  }
  void SendTo(const RemoteEndpoint& controller, const std::vector<OscMessage>& messages) override {
    Note(controller.Text(), messages);
  }
  void SendToMeterSubscribers(const std::vector<OscMessage>& messages) override {
    Note("meters", messages);
  }
  void SetMeters(const RemoteEndpoint& controller, bool on) override {
    subscriptions.push_back(controller.Text() + (on ? " on" : " off"));
    meters = on;
  }
  bool WantsMeters() const override { return meters; }
  bool HasControllers() const override { return controllers; }
  bool controllers = true;
  bool meters = false;
  // The value last sent to `to` at `address`; NaN when none was.
  double Last(const std::string& to, const std::string& address) const {
    for (auto it = sent.rbegin(); it != sent.rend(); ++it) {
      if (it->to != to || it->message.address != address) continue;
      const OscArgument& argument = it->message.arguments.at(0);
      return argument.tag == 'i' ? static_cast<double>(argument.integer) : argument.number;
    }
    return std::nan("");
  }
  std::size_t CountTo(const std::string& to) const {
    return static_cast<std::size_t>(
        std::count_if(sent.begin(), sent.end(), [&](const Sent& s) { return s.to == to; }));
  }

  std::vector<Sent> sent;
  std::size_t sendsToAll = 0;
  std::vector<std::string> subscriptions;

 private:
  void Note(const std::string& to, const std::vector<OscMessage>& messages) {
    for (const OscMessage& message : messages) sent.push_back({to, message});
  }
};

const RemoteEndpoint kTablet = RemoteEndpoint::V4(127, 0, 0, 1, 9000);

class RemoteMixerTest : public testsupport::EngineTest {
 protected:
  void SetUp() override {
    KMXSetInteger(IDMIXERACTIVE, 1);
    remote.Attach();
    link.sent.clear();
  }
  void Send(RemoteCommandKind kind, std::uint16_t id, int mix, double value) {
    RemoteInbox inbox;
    inbox.Put(RemoteCommand{kind, id, mix, value}, kTablet);
    remote.ApplyWhile(inbox, [] { return true; });
  }
  const Mixer& Mix(int mix) { return GetMasterControl()->Model()->MixState(mix); }

  FakeLink link;
  RemoteMixer remote{link};
};

TEST_F(RemoteMixerTest, AControllersWritesAreGesturesOfTheMixTheyName) {
  // A burst on one fader of a mix that is not shown: one undo step.
  for (double gain : {0.5, 0.7, 1.0})
    Send(RemoteCommandKind::kSetFloat, IDFADER + 1, 2, gain);
  EXPECT_EQ(KMXGetInteger(IDMIXSELECT), 0) << "the screen stays";
  EXPECT_NEAR(Mix(2).Fader[1], 1.0, 1e-4);
  EXPECT_NEAR(link.Last("all", "/velmora/mix/3/ch/2/fader"), GainToFraction(Mix(2).Fader[1], false),
              1e-6);
  EXPECT_NEAR(link.Last("all", "/velmora/mix/3/ch/2/db"), 0.0, 0.01);
  EXPECT_FALSE(savedFlag);
  ASSERT_TRUE(UndoStep());
  EXPECT_EQ(Mix(2).Fader[1], 0.0) << "the whole burst at once";
  EXPECT_EQ(link.Last("all", "/velmora/mix/3/ch/2/fader"), 0.0) << "undo is shown too";

  Send(RemoteCommandKind::kSetInteger, IDSOLO + 4, 0, 1);
  EXPECT_EQ(Mix(0).Solo[4], 1);
  EXPECT_EQ(link.Last("all", "/velmora/mix/1/ch/5/solo"), 1);
  Send(RemoteCommandKind::kOutput, IDMIXSELECT, -1, 3);
  EXPECT_EQ(KMXGetInteger(IDMIXSELECT), 3);
  EXPECT_EQ(link.Last("all", "/velmora/output"), 4);

  // A value the mixer holds already goes back to its sender alone.
  link.sent.clear();
  Send(RemoteCommandKind::kSetInteger, IDSOLO + 4, 0, 1);
  EXPECT_EQ(link.CountTo("all"), 0u);
  EXPECT_EQ(link.Last(kTablet.Text(), "/velmora/mix/1/ch/5/solo"), 1);
  KMXSetInteger(IDMIXERACTIVE, 0);
  Send(RemoteCommandKind::kSetFloat, IDPAN + 0, 1, -1.0);
  EXPECT_EQ(Mix(1).Pan[0], 0.0) << "a switched-off mixer takes no writes";
  EXPECT_EQ(link.Last(kTablet.Text(), "/velmora/mix/2/ch/1/pan"), 0.0);
  EXPECT_EQ(link.Last("all", "/velmora/active"), 0) << "the screen's switch is shown";
}

// A pass carries out one mix's commands, the first to come, and the unit gets
// that mix once; the rest wait for later passes, where newer values replace
// theirs.
TEST_F(RemoteMixerTest, APassCarriesOutOneMixAndYieldsWhenTold) {
  RemoteInbox inbox;
  auto pan = [&](int mix, int channel, double value) {
    inbox.Put({RemoteCommandKind::kSetFloat, static_cast<std::uint16_t>(IDPAN | channel), mix, value},
              kTablet);
  };
  pan(1, 0, 0.5);
  pan(2, 0, 0.5);
  pan(1, 1, 0.5);
  pan(1, 2, 0.5);
  const std::size_t queued = GetMasterControl()->Fifo()->Size();
  EXPECT_EQ(remote.ApplyWhile(inbox, [] { return true; }), 3u);
  EXPECT_EQ(Mix(1).Pan[2], 0.5);
  EXPECT_EQ(Mix(2).Pan[0], 0.0) << "another mix waits for the next pass";
  EXPECT_EQ(GetMasterControl()->Fifo()->Size(), queued + 1) << "the unit gets mix 2 once";
  EXPECT_EQ(link.sendsToAll, 1u) << "the pass's feedback goes out together";

  pan(2, 1, 0.5);
  pan(2, 0, -0.5);
  int asked = 0;
  EXPECT_EQ(remote.ApplyWhile(inbox, [&] { return ++asked < 2; }), 2u);
  EXPECT_EQ(Mix(2).Pan[0], -0.5) << "a value that came while waiting replaced the older";
  EXPECT_EQ(Mix(2).Pan[1], 0.5);
  pan(3, 0, 0.5);
  pan(3, 1, 0.5);
  EXPECT_EQ(remote.ApplyWhile(inbox, [] { return false; }), 1u) << "one at least";
  EXPECT_EQ(remote.ApplyWhile(inbox, [] { return true; }), 1u);
  EXPECT_EQ(remote.ApplyWhile(inbox, [] { return true; }), 0u);
  EXPECT_EQ(link.sendsToAll, 4u) << "an empty pass sends nothing";
}

TEST_F(RemoteMixerTest, EveryChangeWhateverMadeItIsSentToAll) {
  testsupport::TempFolder temp{"remote"};
  link.controllers = false;
  KMXSetFloat(IDPAN + 2, 0.5);
  EXPECT_TRUE(link.sent.empty()) << "no one to show it to";
  link.controllers = true;
  KMXSetFloat(IDPAN + 3, 0.5);  // the screen
  EXPECT_DOUBLE_EQ(link.Last("all", "/velmora/mix/1/ch/4/pan"), 0.5);
  ASSERT_TRUE(SaveSettingsFile(temp.Path("a.kmx").c_str()));
  KMXSetFloat(IDFADER + 8, 0.25);
  EXPECT_NEAR(link.Last("all", "/velmora/mix/1/master/left/fader"), GainToFraction(0.25, true), 1e-4);
  link.sent.clear();
  ASSERT_TRUE(LoadSettingsFile(temp.Path("a.kmx").c_str()));
  EXPECT_NEAR(link.Last("all", "/velmora/mix/1/master/left/db"), 0.0, 0.01);
  EXPECT_EQ(link.sent.size(), 2u) << "only what the file changed";
  ASSERT_TRUE(UndoStep());
  EXPECT_NEAR(link.Last("all", "/velmora/mix/1/master/left/fader"), GainToFraction(0.25, true), 1e-4);
}

TEST_F(RemoteMixerTest, RefreshAndMetersGoToWhoAskedForThem) {
  Send(RemoteCommandKind::kRefresh, 0, -1, 0);
  // Four mixes of 10 faders (two messages each), 8 pans, solos and mutes, then
  // the shown pair and Mixer Active.
  EXPECT_EQ(link.CountTo(kTablet.Text()), 4u * (20 + 24) + 2);
  EXPECT_EQ(link.Last(kTablet.Text(), "/velmora/mix/4/ch/8/pan"), 0.0);
  EXPECT_EQ(link.Last(kTablet.Text(), "/velmora/active"), 1);

  double values[kMeterValueCount] = {};
  values[2] = 0.5;
  remote.MetersRead(values);
  EXPECT_EQ(link.CountTo("meters"), 0u) << "no one asked";
  Send(RemoteCommandKind::kMeters, 0, -1, 1);
  EXPECT_EQ(link.subscriptions, std::vector<std::string>{kTablet.Text() + " on"});
  remote.MetersRead(values);
  EXPECT_EQ(link.CountTo("meters"), 18u) << "8 levels, 2 outputs, 8 overs at first";
  values[2] = 0.25;
  values[kInputOvers + 2] = 1;
  remote.MetersRead(values);
  remote.MetersRead(values);
  EXPECT_EQ(link.CountTo("meters"), 20u) << "then only what changed";
  EXPECT_EQ(link.Last("meters", "/velmora/meter/3"), 0.25);
  EXPECT_EQ(link.Last("meters", "/velmora/meter/3/over"), 1);
}

}  // namespace
