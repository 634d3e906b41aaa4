// Speed of the remote control's portable path, against the flood it must
// carry (4 controllers, 20 000 messages a second in all).
//   Receive: one fader datagram decoded, dispatched and put in the inbox, as
//   the network thread does for each; the GUI thread takes every 64th.
//   Bundle: a bundle of the 34 settings of a mix, as a controller's page
//   recall sends it, decoded and dispatched.
//   Feedback: a fader change to its two messages, encoded, once per controller.
//   ServerReceive: over loopback, a fader datagram from a controller's socket
//   to the server's post-due call (the network thread's wake-up included).
//   ServerFeedback: over loopback, a change sent to one registered
//   controller until its socket has read it.
#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

#include "platform/udpsocket.h"
#include "remote/remoteserver.h"

#include "remote/oscpacket.h"
#include "remote/remoteaddress.h"
#include "remote/remoteinbox.h"

namespace {

const RemoteEndpoint kSender = RemoteEndpoint::V4(192, 168, 1, 20, 9000);

void BM_RemoteReceive(benchmark::State& state) {
  const std::vector<std::uint8_t> datagram =
      EncodeOscMessage({"/velmora/mix/2/ch/5/fader", {OscArgument::Float(0.6f)}});
  RemoteInbox inbox;
  int count = 0;
  for (auto _ : state) {
    const OscDecodeResult decoded = DecodeOscPacket(datagram.data(), datagram.size());
    const RemoteDispatch dispatch = DispatchRemoteMessage(decoded.messages[0]);
    benchmark::DoNotOptimize(inbox.Put(dispatch.command, kSender));
    if (++count % 64 == 0) benchmark::DoNotOptimize(inbox.Take());
  }
}
BENCHMARK(BM_RemoteReceive);

void BM_RemoteBundle(benchmark::State& state) {
  std::vector<std::uint8_t> bundle = {'#', 'b', 'u', 'n', 'd', 'l', 'e', 0, 0, 0, 0, 0, 0, 0, 0, 1};
  for (std::uint16_t id : RemoteMixParameterIds()) {
    const std::vector<std::uint8_t> element = EncodeOscMessage(RemoteFeedback(id, 0, 0.5).at(0));
    for (int shift = 24; shift >= 0; shift -= 8) bundle.push_back(static_cast<std::uint8_t>(element.size() >> shift));
    bundle.insert(bundle.end(), element.begin(), element.end());
  }
  for (auto _ : state) {
    const OscDecodeResult decoded = DecodeOscPacket(bundle.data(), bundle.size());
    for (const OscMessage& message : decoded.messages) benchmark::DoNotOptimize(DispatchRemoteMessage(message));
  }
}
BENCHMARK(BM_RemoteBundle);

void BM_RemoteFeedback(benchmark::State& state) {
  int step = 0;
  for (auto _ : state) {
    const double gain = 0.5 + 0.001 * (step++ % 500);
    for (int controller = 0; controller < 4; ++controller)
      for (const OscMessage& message : RemoteFeedback(0x4024, 1, gain))
        benchmark::DoNotOptimize(EncodeOscMessage(message));
  }
}
BENCHMARK(BM_RemoteFeedback);

platform::UdpEndpoint LoopbackPort(std::uint16_t port) {
  platform::UdpEndpoint endpoint;
  endpoint.address = {127, 0, 0, 1};
  endpoint.size = 4;
  endpoint.port = port;
  return endpoint;
}

void BM_RemoteServerReceive(benchmark::State& state) {
  std::atomic<int> posts{0};
  RemoteServer server([&] {
    ++posts;
    return true;
  });
  platform::UdpSocket controller;
  if (!server.Start(0, RemoteScope::kThisComputer, 0).Started() ||
      !controller.Open(0, platform::UdpReach::kLoopback).Ok()) {
    state.SkipWithError("no loopback socket");
    return;
  }
  const std::vector<std::uint8_t> datagram =
      EncodeOscMessage({"/velmora/mix/2/ch/5/fader", {OscArgument::Float(0.6f)}});
  for (auto _ : state) {
    const int before = posts;
    controller.Send(LoopbackPort(server.Port()), datagram.data(), datagram.size());
    while (posts == before) std::this_thread::yield();
    server.Inbox().Take();
  }
}
BENCHMARK(BM_RemoteServerReceive)->UseRealTime();

void BM_RemoteServerFeedback(benchmark::State& state) {
  RemoteServer server([] { return true; });
  platform::UdpSocket controller;
  if (!server.Start(0, RemoteScope::kThisComputer, 0).Started() ||
      !controller.Open(0, platform::UdpReach::kLoopback).Ok()) {
    state.SkipWithError("no loopback socket");
    return;
  }
  const std::vector<std::uint8_t> refresh = EncodeOscMessage({"/velmora/refresh", {}});
  controller.Send(LoopbackPort(server.Port()), refresh.data(), refresh.size());
  while (server.Controllers().Controllers().empty()) std::this_thread::yield();
  const std::vector<OscMessage> change = RemoteFeedback(0x4024, 1, 0.5);
  std::vector<std::uint8_t> buffer(kMaxDatagramSize);
  for (auto _ : state) {
    server.SendToAll(change);
    for (std::size_t read = 0; read < change.size(); ++read)
      controller.Receive(buffer.data(), buffer.size(), 1000);
  }
}
BENCHMARK(BM_RemoteServerFeedback)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
