// The remote control's network thread and its feedback: listens on a UDP port
// from Start to Stop, admits the senders of the chosen scope, decodes and
// dispatches their datagrams, registers each sender of a valid message as a
// controller and puts its commands into the inbox for the GUI thread. It never
// touches the model or a window: when the inbox becomes due it calls the
// post-due callback (the GUI posts itself a message and takes the inbox).
//
// Malformed datagrams and messages are dropped and counted, with at most one
// log line a second per sender; datagrams from outside the scope are dropped
// and counted the same way.
//
// Start, Stop and the destructor belong to one thread (the GUI's). Inbox()
// and Controllers() are thread-safe objects. What RemoteLink offers may be
// called from any thread, at any time: while stopped nothing is sent.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <shared_mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/udpsocket.h"
#include "remote/controllerlist.h"
#include "remote/malformedlimiter.h"
#include "remote/oscmessage.h"
#include "remote/remoteendpoint.h"
#include "remote/remoteinbox.h"
#include "remote/remotelink.h"
#include "remote/remotescope.h"

class RemoteServer : public RemoteLink {
 public:
  // Stop wakes the network thread with a datagram of its own; should that be
  // lost, the thread still looks at least this often whether it is to stop.
  // Idle, the thread wakes no more often than this: under Wine a wake of a
  // waiting select costs a few tenths of a millisecond of the server's time.
  static constexpr std::uint32_t kPollMs = 1000;
  // Feedback datagrams stay below a network's usual frame, so that none is
  // split into fragments on the way to a tablet.
  static constexpr std::size_t kFeedbackDatagramLimit = 1400;
  // How soon a failed post is tried again.
  static constexpr std::uint32_t kRetryPostMs = 50;

  // Called on the network thread when a command went into an empty inbox.
  // Returns false when the post failed: it is called again, within kRetryPostMs,
  // until it succeeds, since no later command asks for a post meanwhile. It
  // must not wait for the GUI thread, which may be waiting in Stop.
  using PostDue = std::function<bool()>;

  enum class StartStatus { kStarted, kPortInUse, kFailed };
  struct StartResult {
    StartStatus status = StartStatus::kStarted;
    std::uint32_t error = 0;  // the system's code when not started
    std::string errorText;    // the system's text for it

    bool Started() const { return status == StartStatus::kStarted; }
    // What the dialog says about a failure to listen on `port`: "Port 7420
    // is in use by another program." or the system's reason.
    std::string Text(std::uint16_t port) const;
  };

  // Since the last Start.
  struct Counts {
    std::uint64_t datagrams = 0;    // admitted datagrams read
    std::uint64_t malformed = 0;    // datagrams and messages dropped as malformed
    std::uint64_t outOfScope = 0;   // datagrams from senders outside the scope
    std::uint64_t unreachable = 0;  // controllers dropped as unreachable
  };

  explicit RemoteServer(PostDue postDue);
  ~RemoteServer() override;  // stops
  RemoteServer(const RemoteServer&) = delete;
  RemoteServer& operator=(const RemoteServer&) = delete;

  // Listens on `port` (0: a free port of the system's choosing, see Port):
  // on loopback alone for RemoteScope::kThisComputer, on every interface for
  // kLocalNetwork. Replies go to each controller's own port, or with a
  // replyPort other than 0 to that port. A running server is stopped first;
  // the controllers are forgotten. kPortInUse when another program holds the
  // port; nothing listens after any failure.
  StartResult Start(std::uint16_t port, RemoteScope scope, std::uint16_t replyPort);
  // Ends the network thread (at once, at worst within about kPollMs) and
  // closes the port. The
  // inbox keeps what it holds; the controllers are forgotten.
  void Stop();
  bool Running() const;
  std::uint16_t Port() const;  // the port listened on; 0 when stopped

  RemoteInbox& Inbox() { return inbox_; }
  ControllerList& Controllers() { return controllers_; }

  // Feedback: each message as one datagram to every controller, to the meter
  // subscribers, or to one sender, at its reply target (its own port or the
  // fixed reply port). A target that proves unreachable loses its controllers.
  void SendToAll(const std::vector<OscMessage>& messages) override;
  void SendTo(const RemoteEndpoint& sender, const std::vector<OscMessage>& messages) override;
  void SendToMeterSubscribers(const std::vector<OscMessage>& messages) override;
  void SetMeters(const RemoteEndpoint& sender, bool on) override;
  bool WantsMeters() const override;
  bool HasControllers() const override;

  Counts Statistics() const;

 private:
  void Run();
  void WakeNetworkThread();
  void Handle(const RemoteEndpoint& sender, const std::uint8_t* data, std::size_t size);
  void Malformed(const RemoteEndpoint& sender, const std::string& reason);
  void OutOfScope(const RemoteEndpoint& sender);
  void Unreachable(const RemoteEndpoint& target);
  void Post();
  void SendToTargets(const std::vector<RemoteEndpoint>& targets,
                     const std::vector<OscMessage>& messages);

  PostDue postDue_;
  RemoteInbox inbox_;
  ControllerList controllers_;
  MalformedLimiter malformedLines_;     // network thread only
  MalformedLimiter outOfScopeLines_;    // network thread only
  bool postOwed_ = false;               // network thread only
  std::uint32_t lastReceiveError_ = 0;  // network thread only
  bool unnamedRefusalLogged_ = false;   // network thread only

  // Held shared by a send, exclusively while the socket opens and closes.
  mutable std::shared_mutex socketLock_;
  platform::UdpSocket socket_;
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  std::atomic<RemoteScope> scope_{RemoteScope::kThisComputer};
  std::atomic<std::uint16_t> replyPort_{0};

  std::atomic<std::uint64_t> datagrams_{0};
  std::atomic<std::uint64_t> malformed_{0};
  std::atomic<std::uint64_t> outOfScope_{0};
  std::atomic<std::uint64_t> unreachable_{0};
};
