#include "remote/malformedlimiter.h"

#include <algorithm>

MalformedLimiter::Verdict MalformedLimiter::Dropped(const RemoteEndpoint& sender,
                                                    Clock::time_point now) {
  ++total_;
  bool fresh = false;
  Sender& entry = Find(sender, now, fresh);
  entry.lastHeard = now;
  if (!fresh && now - entry.lastLine < kInterval) {
    ++entry.silent;
    return Verdict{};
  }
  const Verdict verdict{true, entry.silent};
  entry.lastLine = now;
  entry.silent = 0;
  return verdict;
}

MalformedLimiter::Sender& MalformedLimiter::Find(const RemoteEndpoint& sender,
                                                 Clock::time_point now, bool& fresh) {
  auto found = std::find_if(senders_.begin(), senders_.end(),
                            [&](const Sender& entry) { return entry.endpoint == sender; });
  if (found != senders_.end()) return *found;
  fresh = true;
  if (senders_.size() == kMaxSenders) {
    auto oldest = std::min_element(senders_.begin(), senders_.end(), [](const Sender& a, const Sender& b) {
      return a.lastHeard < b.lastHeard;
    });
    senders_.erase(oldest);
  }
  senders_.push_back(Sender{sender, now, now});
  return senders_.back();
}
