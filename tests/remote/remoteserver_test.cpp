#include "remote/remoteserver.h"

#include <gtest/gtest.h>

#include <limits>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <thread>

#include "platform/log.h"
#include "remote/oscpacket.h"
#include "remote/remoteaddress.h"
#include "tests/support/eventually.h"
#include "tests/support/underwine.h"
#include "velmora/velmora.h"

namespace {

using testsupport::Eventually;

// How long a test listens for a datagram that must not come.
constexpr std::uint32_t kSilenceMs = 200;

OscMessage Fader(int mix, int channel, float fraction) {
  return {"/velmora/mix/" + std::to_string(mix) + "/ch/" + std::to_string(channel) + "/fader",
          {OscArgument::Float(fraction)}};
}

const OscMessage kRefresh{"/velmora/refresh", {}};

// A tablet on this computer: its own UDP port on loopback, IPv4 or IPv6.
class Controller {
 public:
  explicit Controller(bool ipv6 = false) : ipv6_(ipv6) {
    EXPECT_TRUE(socket_.Open(0, platform::UdpReach::kLoopback).Ok());
  }

  RemoteEndpoint Endpoint() const { return At(socket_.Port()); }
  std::uint16_t Port() const { return socket_.Port(); }

  void Send(std::uint16_t port, const OscMessage& message) {
    SendBytes(port, EncodeOscMessage(message));
  }
  void SendBytes(std::uint16_t port, const std::vector<std::uint8_t>& bytes) {
    const RemoteEndpoint to = At(port);
    platform::UdpEndpoint target;
    target.address = to.address;
    target.size = to.size;
    target.port = to.port;
    EXPECT_TRUE(socket_.Send(target, bytes.data(), bytes.size()).Ok());
  }

  // The next message sent to this controller, skipping nothing.
  std::optional<OscMessage> Receive(std::uint32_t timeoutMs = 5000) {
    std::vector<std::uint8_t> buffer(kMaxDatagramSize);
    const platform::UdpResult received = socket_.Receive(buffer.data(), buffer.size(), timeoutMs);
    if (!received.Ok()) return std::nullopt;
    const OscDecodeResult decoded = DecodeOscPacket(buffer.data(), received.size);
    if (decoded.messages.size() != 1) return std::nullopt;
    return decoded.messages[0];
  }

  void Close() { socket_.Close(); }

 private:
  RemoteEndpoint At(std::uint16_t port) const {
    std::array<std::uint8_t, 16> v6{};
    v6[15] = 1;
    return ipv6_ ? RemoteEndpoint::V6(v6, port) : RemoteEndpoint::V4(127, 0, 0, 1, port);
  }

  bool ipv6_;
  platform::UdpSocket socket_;
};

class RemoteServerTest : public ::testing::Test {
 protected:
  void SetUp() override { StartOn(0, RemoteScope::kThisComputer, 0); }

  void StartOn(std::uint16_t port, RemoteScope scope, std::uint16_t replyPort) {
    ASSERT_TRUE(server_.Start(port, scope, replyPort).Started());
    port_ = server_.Port();
    ASSERT_NE(port_, 0);
  }

  bool Registered(const RemoteEndpoint& endpoint) {
    for (const ControllerList::Controller& controller : server_.Controllers().Controllers())
      if (controller.sender == endpoint) return true;
    return false;
  }

  // Sends a refresh and waits until the server knows the controller.
  void Register(Controller& controller) {
    controller.Send(port_, kRefresh);
    ASSERT_TRUE(Eventually([&] { return Registered(controller.Endpoint()); }));
  }

  std::atomic<int> posts_{0};
  std::atomic<int> postsDone_{0};
  std::atomic<bool> postSucceeds_{true};
  RemoteServer server_{[this] {
    ++posts_;
    const bool done = postSucceeds_;
    postsDone_ += done;
    return done;
  }};
  std::uint16_t port_ = 0;
};

TEST_F(RemoteServerTest, ABurstBecomesTheLatestCommandOfEachAddressWithOnePost) {
  Controller tablet;
  for (int step = 1; step <= 20; ++step) tablet.Send(port_, Fader(2, 3, step / 20.0f));
  tablet.Send(port_, Fader(1, 1, 0.25f));
  ASSERT_TRUE(Eventually(
      [&] { return server_.Inbox().Size() == 2 && server_.Statistics().datagrams == 21; }));
  EXPECT_EQ(posts_, 1) << "one post covers the burst until the GUI takes the inbox";
  const std::vector<RemoteInbox::Entry> taken = server_.Inbox().Take();
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken[0].command.kind, RemoteCommandKind::kSetFloat);
  EXPECT_EQ(taken[0].command.id, IDFADER | 2);
  EXPECT_EQ(taken[0].command.mix, 1);
  EXPECT_DOUBLE_EQ(taken[0].command.value, 2.0) << "the last of the burst: the top of the fader";
  EXPECT_EQ(taken[0].sender, tablet.Endpoint());
  EXPECT_EQ(taken[1].command.id, IDFADER | 0);
  EXPECT_EQ(taken[1].command.mix, 0);
  EXPECT_TRUE(Registered(tablet.Endpoint()));

  tablet.Send(port_, Fader(1, 1, 0.5f));
  ASSERT_TRUE(Eventually([&] { return posts_ == 2; })) << "an emptied inbox asks for a post again";
}

TEST_F(RemoteServerTest, AFailedPostIsAskedAgainWithoutAnotherDatagram) {
  postSucceeds_ = false;
  Controller tablet;
  tablet.Send(port_, Fader(1, 1, 0.5f));
  ASSERT_TRUE(Eventually([&] { return posts_ >= 1; }));
  postSucceeds_ = true;
  ASSERT_TRUE(Eventually([&] { return postsDone_ == 1; }));
  const int settled = posts_;
  std::this_thread::sleep_for(std::chrono::milliseconds(kSilenceMs));
  EXPECT_EQ(posts_, settled) << "a post that succeeded is not asked again";
  EXPECT_EQ(server_.Inbox().Size(), 1u);
}

TEST_F(RemoteServerTest, FeedbackReachesEveryControllerAtItsOwnPortOverEitherFamily) {
  Controller tablet;
  Controller phone(true);
  Register(tablet);
  Register(phone);
  EXPECT_EQ(phone.Endpoint().size, 16) << "an IPv6 sender is kept as IPv6";
  const OscMessage shown = Fader(3, 8, 0.75f);
  server_.SendToAll({shown});
  EXPECT_EQ(tablet.Receive(), shown);
  EXPECT_EQ(phone.Receive(), shown);

  server_.SendTo(phone.Endpoint(), {kRefresh});
  EXPECT_EQ(phone.Receive(), kRefresh);
  EXPECT_FALSE(tablet.Receive(kSilenceMs)) << "an answer to one sender goes to it alone";
}

TEST_F(RemoteServerTest, MeterFeedbackReachesOnlyTheSubscribers) {
  Controller tablet;
  Controller phone;
  Register(tablet);
  Register(phone);
  EXPECT_FALSE(server_.WantsMeters());
  server_.SetMeters(phone.Endpoint(), true);
  EXPECT_TRUE(server_.WantsMeters());
  const OscMessage level = MeterLevelMessage(0, 0.5);
  server_.SendToMeterSubscribers({level});
  EXPECT_EQ(phone.Receive(), level);
  EXPECT_FALSE(tablet.Receive(kSilenceMs));
}

TEST_F(RemoteServerTest, AFixedReplyPortTakesTheFeedbackInsteadOfTheSendersPort) {
  Controller listener;
  server_.Stop();
  StartOn(0, RemoteScope::kThisComputer, listener.Port());
  Controller tablet;
  Register(tablet);
  const OscMessage shown = Fader(1, 2, 0.5f);
  server_.SendToAll({shown});
  EXPECT_EQ(listener.Receive(), shown);
  EXPECT_FALSE(tablet.Receive(kSilenceMs));
}

TEST_F(RemoteServerTest, MalformedInputIsDroppedCountedAndLoggedWithItsSender) {
  platform::LogCapture log;
  Controller tablet;
  tablet.SendBytes(port_, {1, 2, 3});
  tablet.Send(port_, OscMessage{"/velmora/nothing", {}});
  tablet.Send(port_, Fader(5, 1, 0.5f));
  tablet.Send(port_, Fader(1, 1, std::numeric_limits<float>::quiet_NaN()));
  ASSERT_TRUE(Eventually([&] { return server_.Statistics().malformed == 4; }));
  EXPECT_EQ(server_.Inbox().Size(), 0u);
  EXPECT_EQ(posts_, 0);
  EXPECT_TRUE(server_.Controllers().Controllers().empty()) << "only a valid message registers";
  bool named = false;
  for (const std::string& line : log.Lines())
    named = named || line.find(tablet.Endpoint().Text()) != std::string::npos;
  EXPECT_TRUE(named);
}

TEST_F(RemoteServerTest, ABundleCarriesOutItsValidMessagesAndDropsTheUnknown) {
  Controller tablet;
  const std::vector<std::uint8_t> good = EncodeOscMessage(Fader(1, 4, 0.5f));
  const std::vector<std::uint8_t> unknown = EncodeOscMessage(OscMessage{"/velmora/nothing", {}});
  std::vector<std::uint8_t> bundle = {'#', 'b', 'u', 'n', 'd', 'l', 'e', 0, 0, 0, 0, 0, 0, 0, 0, 1};
  for (const std::vector<std::uint8_t>* element : {&unknown, &good}) {
    const std::uint32_t size = static_cast<std::uint32_t>(element->size());
    bundle.insert(bundle.end(),
                  {static_cast<std::uint8_t>(size >> 24), static_cast<std::uint8_t>(size >> 16),
                   static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)});
    bundle.insert(bundle.end(), element->begin(), element->end());
  }
  tablet.SendBytes(port_, bundle);
  ASSERT_TRUE(Eventually([&] { return server_.Inbox().Size() == 1; }));
  EXPECT_EQ(server_.Statistics().malformed, 1u);
  EXPECT_EQ(server_.Inbox().Take()[0].command.id, IDFADER | 3);
}

TEST_F(RemoteServerTest, TheNinthControllerReplacesTheOneHeardFromLeastRecently) {
  std::vector<std::unique_ptr<Controller>> controllers;
  for (int i = 0; i < 9; ++i) {
    controllers.push_back(std::make_unique<Controller>());
    Register(*controllers.back());
  }
  EXPECT_EQ(server_.Controllers().Controllers().size(), ControllerList::kMaxControllers);
  EXPECT_FALSE(Registered(controllers[0]->Endpoint()));
  const OscMessage shown = Fader(1, 1, 1.0f);
  server_.SendToAll({shown});
  for (int i = 1; i < 9; ++i) EXPECT_EQ(controllers[i]->Receive(), shown) << "controller " << i;
  EXPECT_FALSE(controllers[0]->Receive(kSilenceMs));
}

TEST_F(RemoteServerTest, AControllerThatStoppedListeningIsDropped) {
  if (testsupport::UnderWine()) GTEST_SKIP() << testsupport::kWineHidesUdpRefusals;
  Controller tablet;
  Controller phone;
  Register(tablet);
  Register(phone);
  const RemoteEndpoint gone = tablet.Endpoint();
  tablet.Close();
  server_.SendToAll({Fader(1, 1, 0.5f)});
  ASSERT_TRUE(Eventually([&] { return !Registered(gone); }));
  EXPECT_TRUE(Registered(phone.Endpoint()));
  EXPECT_EQ(server_.Statistics().unreachable, 1u);
}

TEST_F(RemoteServerTest, APortInUseIsReportedAndNothingListens) {
  platform::UdpSocket holder;
  ASSERT_TRUE(holder.Open(0, platform::UdpReach::kLoopback).Ok());
  for (RemoteScope scope : {RemoteScope::kThisComputer, RemoteScope::kLocalNetwork}) {
    const RemoteServer::StartResult result = server_.Start(holder.Port(), scope, 0);
    EXPECT_EQ(result.status, RemoteServer::StartStatus::kPortInUse);
    EXPECT_EQ(result.Text(7420), "Port 7420 is in use by another program.");
    EXPECT_FALSE(server_.Running());
    EXPECT_EQ(server_.Port(), 0);
  }
  server_.SendToAll({Fader(1, 1, 0.5f)});  // stopped: sends nothing, harms nothing
  StartOn(0, RemoteScope::kThisComputer, 0);
  EXPECT_TRUE(server_.Running());
}

// Every address of this computer but loopback reaches a server listening on
// the local network and none listening on this computer only; of those, a
// sender outside the local-network ranges is dropped and counted.
TEST_F(RemoteServerTest, WhoMayConnectDecidesWhatIsHeardFromThisComputersOtherAddresses) {
  const platform::LocalAddresses addresses = platform::ThisComputersAddresses();
  std::vector<RemoteEndpoint> senders;
  for (const platform::UdpEndpoint& address : addresses.endpoints) {
    RemoteEndpoint sender;
    sender.address = address.address;
    sender.size = address.size;
    const bool linkLocal =
        sender.size == 16 && sender.address[0] == 0xfe && (sender.address[1] & 0xc0) == 0x80;
    if (!linkLocal) senders.push_back(sender);  // a link-local address needs its zone to be sent to
  }
  if (senders.empty()) GTEST_SKIP() << "this computer has no address but loopback";
  platform::UdpSocket tablet;
  ASSERT_TRUE(tablet.Open(0, platform::UdpReach::kEveryInterface).Ok());
  const auto sendFrom = [&](std::size_t index) {
    platform::UdpEndpoint to;
    to.address = senders[index].address;
    to.size = senders[index].size;
    to.port = port_;
    const std::vector<std::uint8_t> message = EncodeOscMessage(
        Fader(1 + static_cast<int>(index / 8 % 4), 1 + static_cast<int>(index % 8), 0.5f));
    tablet.Send(to, message.data(), message.size());
  };

  for (std::size_t i = 0; i < senders.size(); ++i) sendFrom(i);
  Controller loopback;
  loopback.Send(port_, kRefresh);
  ASSERT_TRUE(Eventually([&] { return server_.Inbox().Size() == 1; }));
  EXPECT_EQ(server_.Inbox().Take()[0].command.kind, RemoteCommandKind::kRefresh)
      << "this computer only: nothing from another address";

  server_.Stop();
  StartOn(0, RemoteScope::kLocalNetwork, 0);
  std::size_t admitted = 0;
  for (std::size_t i = 0; i < senders.size(); ++i) {
    sendFrom(i);
    admitted += IsLocalNetworkAddress(senders[i].address.data(), senders[i].size);
  }
  // A datagram is counted as it is read, and reaches the inbox after its
  // decoding: wait for both.
  ASSERT_TRUE(Eventually([&] {
    return server_.Statistics().datagrams + server_.Statistics().outOfScope == senders.size() &&
           server_.Inbox().Size() >= admitted;
  }));
  EXPECT_EQ(server_.Statistics().datagrams, admitted);
  EXPECT_EQ(server_.Statistics().outOfScope, senders.size() - admitted);
  EXPECT_EQ(server_.Inbox().Size(), admitted);
}

// Stop's bound: Stop wakes the thread, which otherwise looks at its stop flag
// at least every kPollMs.
constexpr auto kStopBound = std::chrono::milliseconds(RemoteServer::kPollMs / 2);

std::chrono::steady_clock::duration TimeToStop(RemoteServer& server) {
  const auto start = std::chrono::steady_clock::now();
  server.Stop();
  return std::chrono::steady_clock::now() - start;
}

TEST_F(RemoteServerTest, StopsPromptlyWhenIdle) {
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_LT(TimeToStop(server_), kStopBound);
  EXPECT_FALSE(server_.Running());
  Controller late;
  late.Send(port_, Fader(1, 1, 0.5f));
  std::this_thread::sleep_for(std::chrono::milliseconds(kSilenceMs));
  EXPECT_EQ(server_.Inbox().Size(), 0u) << "nothing listens after Stop";
}

TEST_F(RemoteServerTest, StopsPromptlyUnderAFloodThatKeepsTheInboxSmall) {
  std::atomic<bool> flooding{true};
  std::vector<std::thread> flooders;
  for (int i = 0; i < 2; ++i) {
    flooders.emplace_back([&, i] {
      Controller flooder(i == 1);
      for (int n = 0; flooding; ++n) flooder.Send(port_, Fader(1, 1 + i, (n % 100) / 100.0f));
    });
  }
  ASSERT_TRUE(Eventually([&] { return server_.Statistics().datagrams > 2000; }));
  EXPECT_LE(server_.Inbox().Size(), 2u) << "one entry per address, however many datagrams";
  const auto stopping = TimeToStop(server_);
  flooding = false;
  for (std::thread& flooder : flooders) flooder.join();
  EXPECT_LT(stopping, kStopBound);
}

}  // namespace
