// Counts the malformed datagrams of each sender and allows at most one log
// line a second about them per sender, so a sender that floods garbage costs
// a line a second and no more. Time is passed in. At most kMaxSenders are
// remembered (the one heard from least recently goes first), so spoofed
// sources keep memory flat.
// Used by the network thread alone.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "remote/remoteendpoint.h"

class MalformedLimiter {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::size_t kMaxSenders = 64;
  static constexpr Clock::duration kInterval = std::chrono::seconds(1);

  struct Verdict {
    bool logNow = false;
    // With logNow: the datagrams of this sender dropped without a line since
    // its last line (this one not included).
    std::uint64_t droppedSilently = 0;
  };

  // One malformed datagram from `sender` was dropped at `now`.
  Verdict Dropped(const RemoteEndpoint& sender, Clock::time_point now);
  std::uint64_t TotalDropped() const { return total_; }

 private:
  struct Sender {
    RemoteEndpoint endpoint;
    Clock::time_point lastLine;
    Clock::time_point lastHeard;
    std::uint64_t silent = 0;
  };

  Sender& Find(const RemoteEndpoint& sender, Clock::time_point now, bool& fresh);

  std::vector<Sender> senders_;
  std::uint64_t total_ = 0;
};
