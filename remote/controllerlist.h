// The controllers the remote control answers: every sender of a valid message
// is registered, at most kMaxControllers of them; a new one beyond that takes
// the place of the one heard from least recently. Thread-safe: the network
// thread registers and drops, whoever sends the feedback reads.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "remote/remoteendpoint.h"

class ControllerList {
 public:
  static constexpr std::size_t kMaxControllers = 8;

  struct Controller {
    RemoteEndpoint sender;
    bool meters = false;  // subscribed to /velmora/meter/...
  };

  // A valid message arrived from `sender`: registers it, or marks it heard
  // from most recently. Returns true when it was not registered before.
  bool Heard(const RemoteEndpoint& sender);
  void SetMeters(const RemoteEndpoint& sender, bool on);  // unregistered: nothing
  // A send to `target` failed as unreachable: drops every controller whose
  // replies go there (see Targets). Returns how many were dropped.
  std::size_t Drop(const RemoteEndpoint& target, std::uint16_t replyPort);
  void Clear();

  std::vector<Controller> Controllers() const;  // least recently heard first
  bool Any() const;        // whether any controller is registered
  bool AnyMeters() const;  // whether any controller is subscribed to the meters
  // Where replies go: each controller's own address and port, or with a
  // replyPort other than 0 its address and that port. Controllers that share
  // a target get it once; with metersOnly, only meter subscribers count.
  std::vector<RemoteEndpoint> Targets(std::uint16_t replyPort, bool metersOnly = false) const;
  // Where the replies to `sender` go.
  static RemoteEndpoint TargetOf(const RemoteEndpoint& sender, std::uint16_t replyPort);

 private:
  mutable std::mutex mutex_;
  std::vector<Controller> controllers_;  // least recently heard first
};
