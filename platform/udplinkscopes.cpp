#include "platform/udplinkscopes.h"

#include <algorithm>

namespace platform {

bool UdpLinkScopes::IsLinkLocal(const UdpEndpoint& endpoint) {
  return endpoint.size == 16 && endpoint.address[0] == 0xfe && (endpoint.address[1] & 0xc0) == 0x80;
}

void UdpLinkScopes::Heard(const UdpEndpoint& sender, std::uint32_t zone) {
  if (!IsLinkLocal(sender)) return;
  std::lock_guard<std::mutex> hold(mutex_);
  std::erase_if(entries_, [&](const Entry& entry) { return entry.address == sender.address; });
  if (entries_.size() == kMaxAddresses) entries_.erase(entries_.begin());
  entries_.push_back({sender.address, zone});
}

std::uint32_t UdpLinkScopes::ZoneOf(const UdpEndpoint& target) const {
  if (!IsLinkLocal(target)) return 0;
  std::lock_guard<std::mutex> hold(mutex_);
  const auto found = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) {
    return entry.address == target.address;
  });
  return found == entries_.end() ? 0 : found->zone;
}

}  // namespace platform
