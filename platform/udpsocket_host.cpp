// POSIX sockets. IP_RECVERR makes the ICMP refusal of a datagram reach an
// unconnected socket's error queue with the address it was sent to, which is
// how Receive names the endpoint that proved unreachable.
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <ifaddrs.h>
#include <linux/errqueue.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/errors.h"
#include "platform/udplinkscopes.h"
#include "platform/udpsocket.h"
#include "platform/udpsocket_internal.h"
#include "platform/udpsocket_sockaddr.h"

namespace platform {

struct UdpSocket::Impl {
  int fd[udp::kFamilies] = {-1, -1};
  int next = 0;  // the family read first, alternating so neither starves the other
  UdpLinkScopes zones;
};

namespace {

UdpResult Failure(int error) {
  UdpResult result;
  result.status = error == EADDRINUSE ? UdpStatus::kPortInUse : UdpStatus::kFailed;
  result.error = static_cast<std::uint32_t>(error);
  return result;
}

bool IsRefusal(int error) {
  return error == ECONNREFUSED || error == EHOSTUNREACH || error == ENETUNREACH;
}

void SetOption(int fd, int level, int name, int value) {
  setsockopt(fd, level, name, &value, sizeof value);
}

// One refusal from the error queue: the endpoint it names, or a timeout when
// the queue is empty.
UdpResult ReadRefusal(int fd) {
  sockaddr_storage target{};
  char control[512];
  char data[1];
  iovec part{data, sizeof data};
  msghdr message{};
  message.msg_name = &target;
  message.msg_namelen = sizeof target;
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  UdpResult result = UdpResult::Timeout();
  if (recvmsg(fd, &message, MSG_ERRQUEUE | MSG_DONTWAIT) < 0) return result;
  for (cmsghdr* item = CMSG_FIRSTHDR(&message); item; item = CMSG_NXTHDR(&message, item)) {
    const bool isError = (item->cmsg_level == SOL_IP && item->cmsg_type == IP_RECVERR) ||
                         (item->cmsg_level == SOL_IPV6 && item->cmsg_type == IPV6_RECVERR);
    if (!isError) continue;
    sock_extended_err error;
    std::memcpy(&error, CMSG_DATA(item), sizeof error);
    result.status =
        IsRefusal(static_cast<int>(error.ee_errno)) ? UdpStatus::kUnreachable : UdpStatus::kFailed;
    result.error = error.ee_errno;
    result.endpoint = udp::EndpointOf(target);
  }
  return result;
}

UdpResult ReadDatagram(int fd, std::uint8_t* buffer, std::size_t capacity, UdpLinkScopes& zones) {
  sockaddr_storage sender{};
  iovec part{buffer, capacity};
  msghdr message{};
  message.msg_name = &sender;
  message.msg_namelen = sizeof sender;
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  const ssize_t size = recvmsg(fd, &message, MSG_DONTWAIT);
  if (size < 0) {
    if (IsRefusal(errno)) return ReadRefusal(fd);
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return UdpResult::Timeout();
    return Failure(errno);
  }
  UdpResult result;
  result.status = (message.msg_flags & MSG_TRUNC) ? UdpStatus::kTruncated : UdpStatus::kOk;
  result.size = static_cast<std::size_t>(size);
  result.endpoint = udp::EndpointOf(sender);
  zones.Heard(result.endpoint, udp::ZoneOf(sender));
  return result;
}

}  // namespace

namespace udp {

UdpResult OpenFamily(UdpSocket::Impl& impl, int family, const UdpEndpoint& at,
                     std::uint16_t& bound) {
  const int domain = family == 0 ? AF_INET : AF_INET6;
  const int fd = socket(domain, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return Failure(errno);
  if (family == 0) {
    SetOption(fd, SOL_IP, IP_RECVERR, 1);
  } else {
    SetOption(fd, SOL_IPV6, IPV6_V6ONLY, 1);
    SetOption(fd, SOL_IPV6, IPV6_RECVERR, 1);
  }
  sockaddr_storage address;
  const socklen_t length = static_cast<socklen_t>(SockaddrOf(at, address));
  socklen_t boundLength = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &boundLength) != 0) {
    const int error = errno;
    close(fd);
    return Failure(error);
  }
  bound = EndpointOf(address).port;
  impl.fd[family] = fd;
  return UdpResult{};
}

void CloseFamily(UdpSocket::Impl& impl, int family) {
  if (impl.fd[family] >= 0) close(impl.fd[family]);
  impl.fd[family] = -1;
}

bool FamilyMissing(std::uint32_t error) { return error == EAFNOSUPPORT || error == EADDRNOTAVAIL; }

}  // namespace udp

UdpSocket::UdpSocket() : impl_(new Impl) {}

UdpSocket::~UdpSocket() {
  Close();
  delete impl_;
}

bool UdpSocket::IsOpen() const { return impl_->fd[0] >= 0; }

UdpResult UdpSocket::Receive(std::uint8_t* buffer, std::size_t capacity, std::uint32_t timeoutMs) {
  pollfd waits[udp::kFamilies];
  for (int family = 0; family < udp::kFamilies; ++family)
    waits[family] = {impl_->fd[family], POLLIN, 0};
  const int timeout = timeoutMs == kInfinite ? -1 : static_cast<int>(timeoutMs);
  const int ready = poll(waits, udp::kFamilies, timeout);
  if (ready < 0 && errno != EINTR) return Failure(errno);
  const int first = impl_->next;
  impl_->next = 1 - first;
  for (int turn = 0; turn < udp::kFamilies && ready > 0; ++turn) {
    const pollfd& wait = waits[(first + turn) % udp::kFamilies];
    if (wait.revents & POLLERR) {
      UdpResult refusal = ReadRefusal(wait.fd);
      if (refusal.status != UdpStatus::kTimeout) return refusal;
    }
    if (wait.revents & POLLIN) return ReadDatagram(wait.fd, buffer, capacity, impl_->zones);
  }
  return UdpResult::Timeout();
}

UdpResult UdpSocket::Send(const UdpEndpoint& to, const std::uint8_t* data, std::size_t size) {
  const int fd = to.size == 4 ? impl_->fd[0] : to.size == 16 ? impl_->fd[1] : -1;
  sockaddr_storage address;
  const socklen_t length =
      static_cast<socklen_t>(udp::SockaddrOf(to, address, impl_->zones.ZoneOf(to)));
  if (fd < 0 || length == 0) return Failure(EAFNOSUPPORT);
  // A refusal of an earlier datagram to someone else is reported by the next
  // send too, before this one leaves; it stays queued for Receive, and this
  // datagram is sent again.
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (sendto(fd, data, size, MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&address), length) >= 0)
      return UdpResult{};
    if (!IsRefusal(errno) || attempt == 1) break;
  }
  UdpResult result = Failure(errno);
  if (IsRefusal(static_cast<int>(result.error))) {
    result.status = UdpStatus::kUnreachable;
    result.endpoint = to;
  }
  return result;
}

std::string UdpErrorText(std::uint32_t error) { return std::strerror(static_cast<int>(error)); }

LocalAddresses ThisComputersAddresses() {
  LocalAddresses addresses;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return addresses;
  for (const ifaddrs* item = list; item; item = item->ifa_next) {
    if (!item->ifa_addr || !(item->ifa_flags & IFF_UP) || (item->ifa_flags & IFF_LOOPBACK))
      continue;
    sockaddr_storage address{};
    const int family = item->ifa_addr->sa_family;
    if (family == AF_INET || family == AF_INET6) {
      std::memcpy(&address, item->ifa_addr,
                  family == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6));
      udp::AddLocalAddress(address, addresses);
    }
  }
  freeifaddrs(list);
  udp::SortLocalAddresses(addresses);
  return addresses;
}

}  // namespace platform
