#include "remote/remoteserver.h"

#include <chrono>
#include <mutex>

#include "platform/log.h"
#include "remote/oscpacket.h"
#include "remote/remoteaddress.h"

namespace {

RemoteEndpoint FromUdp(const platform::UdpEndpoint& endpoint) {
  RemoteEndpoint remote;
  remote.address = endpoint.address;
  remote.size = endpoint.size;
  remote.port = endpoint.port;
  return remote;
}

platform::UdpEndpoint ToUdp(const RemoteEndpoint& endpoint) {
  platform::UdpEndpoint udp;
  udp.address = endpoint.address;
  udp.size = endpoint.size;
  udp.port = endpoint.port;
  return udp;
}

// " (3 more since the last line)" when lines were held back.
std::string HeldBack(std::uint64_t count) {
  return count ? " (" + std::to_string(count) + " more since the last line)" : std::string();
}

}  // namespace

std::string RemoteServer::StartResult::Text(std::uint16_t port) const {
  const std::string portText = "Port " + std::to_string(port);
  switch (status) {
    case StartStatus::kStarted:
      return {};
    case StartStatus::kPortInUse:
      return portText + " is in use by another program.";
    case StartStatus::kFailed:
      break;
  }
  return portText + " cannot be opened: " + errorText + ".";
}

RemoteServer::RemoteServer(PostDue postDue) : postDue_(std::move(postDue)) {}

RemoteServer::~RemoteServer() { Stop(); }

RemoteServer::StartResult RemoteServer::Start(std::uint16_t port, RemoteScope scope,
                                              std::uint16_t replyPort) {
  Stop();
  StartResult result;
  {
    std::unique_lock<std::shared_mutex> hold(socketLock_);
    const auto reach = scope == RemoteScope::kThisComputer ? platform::UdpReach::kLoopback
                                                           : platform::UdpReach::kEveryInterface;
    const platform::UdpResult opened = socket_.Open(port, reach);
    if (!opened.Ok()) {
      result.status = opened.status == platform::UdpStatus::kPortInUse ? StartStatus::kPortInUse
                                                                       : StartStatus::kFailed;
      result.error = opened.error;
      result.errorText = platform::UdpErrorText(opened.error);
      platform::Log("Remote control: cannot listen on port %u: %s.\n", port,
                    result.errorText.c_str());
      return result;
    }
  }
  scope_ = scope;
  replyPort_ = replyPort;
  for (std::atomic<std::uint64_t>* count : {&datagrams_, &malformed_, &outOfScope_, &unreachable_})
    *count = 0;
  stopping_ = false;
  lastReceiveError_ = 0;
  unnamedRefusalLogged_ = false;
  thread_ = std::thread(&RemoteServer::Run, this);
  platform::Log("Remote control: listening on port %u (%s).\n", Port(),
                scope == RemoteScope::kThisComputer ? "this computer only" : "local network");
  return result;
}

void RemoteServer::Stop() {
  if (!thread_.joinable()) return;
  stopping_ = true;
  WakeNetworkThread();
  thread_.join();
  {
    std::unique_lock<std::shared_mutex> hold(socketLock_);
    socket_.Close();
  }
  controllers_.Clear();
  platform::Log("Remote control: stopped.\n");
}

bool RemoteServer::Running() const { return thread_.joinable(); }

std::uint16_t RemoteServer::Port() const {
  std::shared_lock<std::shared_mutex> hold(socketLock_);
  return socket_.Port();
}

// An empty datagram to our own port on IPv4 loopback, which either reach
// listens on: the thread's wait ends and it sees that it is to stop.
void RemoteServer::WakeNetworkThread() {
  std::shared_lock<std::shared_mutex> hold(socketLock_);
  platform::UdpEndpoint self;
  self.address = {127, 0, 0, 1};
  self.size = 4;
  self.port = socket_.Port();
  socket_.Send(self, nullptr, 0);
}

void RemoteServer::Run() {
  std::vector<std::uint8_t> buffer(kMaxDatagramSize);
  while (!stopping_) {
    const platform::UdpResult received =
        socket_.Receive(buffer.data(), buffer.size(), postOwed_ ? kRetryPostMs : kPollMs);
    if (stopping_) break;
    switch (received.status) {
      case platform::UdpStatus::kOk:
        Handle(FromUdp(received.endpoint), buffer.data(), received.size);
        break;
      case platform::UdpStatus::kTruncated:
        Malformed(FromUdp(received.endpoint), "datagram larger than 64 KiB");
        break;
      case platform::UdpStatus::kUnreachable:
        Unreachable(FromUdp(received.endpoint));
        break;
      case platform::UdpStatus::kTimeout:
        break;
      default:
        // A socket that keeps failing must neither spin the thread nor fill
        // the log: a line when the failure changes.
        if (received.error != lastReceiveError_)
          platform::Log("Remote control: receive failed: %s.\n",
                        platform::UdpErrorText(received.error).c_str());
        lastReceiveError_ = received.error;
        std::this_thread::sleep_for(std::chrono::milliseconds(kRetryPostMs));
        break;
    }
    if (postOwed_) Post();
  }
}

void RemoteServer::Handle(const RemoteEndpoint& sender, const std::uint8_t* data,
                          std::size_t size) {
  if (!IsAdmitted(scope_, sender)) {
    OutOfScope(sender);
    return;
  }
  ++datagrams_;
  const OscDecodeResult decoded = DecodeOscPacket(data, size);
  if (decoded.Refused()) {
    Malformed(sender, decoded.refusal);
    return;
  }
  // Each message of a bundle stands alone here: one with an address we do
  // not know is dropped, its well-formed neighbours are carried out.
  for (const OscMessage& message : decoded.messages) {
    const RemoteDispatch dispatch = DispatchRemoteMessage(message);
    if (dispatch.Refused()) {
      Malformed(sender, dispatch.refusal);
      continue;
    }
    controllers_.Heard(sender);
    if (inbox_.Put(dispatch.command, sender)) Post();
  }
}

void RemoteServer::Malformed(const RemoteEndpoint& sender, const std::string& reason) {
  ++malformed_;
  const MalformedLimiter::Verdict verdict =
      malformedLines_.Dropped(sender, MalformedLimiter::Clock::now());
  if (!verdict.logNow) return;
  platform::Log("Remote control: dropped from %s: %s%s.\n", sender.Text().c_str(), reason.c_str(),
                HeldBack(verdict.droppedSilently).c_str());
}

void RemoteServer::OutOfScope(const RemoteEndpoint& sender) {
  ++outOfScope_;
  const MalformedLimiter::Verdict verdict =
      outOfScopeLines_.Dropped(sender, MalformedLimiter::Clock::now());
  if (!verdict.logNow) return;
  platform::Log("Remote control: ignored %s, outside who may connect%s.\n", sender.Text().c_str(),
                HeldBack(verdict.droppedSilently).c_str());
}

void RemoteServer::Unreachable(const RemoteEndpoint& target) {
  if (target.size == 0) {
    // Only the network thread meets a refusal that names no one.
    if (!unnamedRefusalLogged_)
      platform::Log("Remote control: a controller is unreachable; the system did not say which.\n");
    unnamedRefusalLogged_ = true;
    return;
  }
  const std::size_t dropped = controllers_.Drop(target, replyPort_);
  if (dropped == 0) return;
  unreachable_ += dropped;
  platform::Log("Remote control: %s is unreachable; it gets no more feedback.\n",
                target.Text().c_str());
}

void RemoteServer::Post() { postOwed_ = postDue_ && !postDue_(); }

void RemoteServer::SendToAll(const std::vector<OscMessage>& messages) {
  SendToTargets(controllers_.Targets(replyPort_), messages);
}

void RemoteServer::SendTo(const RemoteEndpoint& sender, const std::vector<OscMessage>& messages) {
  SendToTargets({ControllerList::TargetOf(sender, replyPort_)}, messages);
}

void RemoteServer::SendToMeterSubscribers(const std::vector<OscMessage>& messages) {
  SendToTargets(controllers_.Targets(replyPort_, true), messages);
}

void RemoteServer::SetMeters(const RemoteEndpoint& sender, bool on) {
  controllers_.SetMeters(sender, on);
}

bool RemoteServer::WantsMeters() const { return controllers_.AnyMeters(); }

bool RemoteServer::HasControllers() const { return controllers_.Any(); }

void RemoteServer::SendToTargets(const std::vector<RemoteEndpoint>& targets,
                                 const std::vector<OscMessage>& messages) {
  if (targets.empty() || messages.empty()) return;
  // Bundled: each datagram costs a system call per controller, and under
  // Wine a round trip to the server; a pass of many changes is a few of them.
  const std::vector<std::vector<std::uint8_t>> datagrams =
      EncodeOscDatagrams(messages, kFeedbackDatagramLimit);
  std::vector<RemoteEndpoint> unreachable;
  {
    std::shared_lock<std::shared_mutex> hold(socketLock_);
    if (!socket_.IsOpen()) return;
    for (const RemoteEndpoint& target : targets) {
      const platform::UdpEndpoint to = ToUdp(target);
      for (const std::vector<std::uint8_t>& datagram : datagrams) {
        const platform::UdpResult sent = socket_.Send(to, datagram.data(), datagram.size());
        if (sent.status == platform::UdpStatus::kUnreachable) {
          unreachable.push_back(target);
          break;
        }
      }
    }
  }
  for (const RemoteEndpoint& target : unreachable) Unreachable(target);
}

RemoteServer::Counts RemoteServer::Statistics() const {
  Counts counts;
  counts.datagrams = datagrams_;
  counts.malformed = malformed_;
  counts.outOfScope = outOfScope_;
  counts.unreachable = unreachable_;
  return counts;
}
