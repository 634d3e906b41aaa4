// Winsock 2. The reset that a datagram to a closed port causes is left on
// (SIO_UDP_CONNRESET is not turned off): the next recvfrom fails with
// WSAECONNRESET and names the endpoint the refused datagram went to, which is
// the one way a UDP sender learns that nothing listens there.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include <mutex>
#include <vector>

#include "platform/errors.h"
#include "platform/udplinkscopes.h"
#include "platform/udpsocket.h"
#include "platform/udpsocket_internal.h"
#include "platform/udpsocket_sockaddr.h"

namespace platform {

struct UdpSocket::Impl {
  SOCKET socket[udp::kFamilies] = {INVALID_SOCKET, INVALID_SOCKET};
  int next = 0;    // the family read first
  int streak = 0;  // datagrams read from it in a row
  UdpLinkScopes zones;
};

namespace {

// Winsock is started once for the process and never cleaned up: sockets may
// be in use by any thread until the process ends.
bool WinsockStarted() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

UdpResult Failure(int error) {
  UdpResult result;
  result.status = error == WSAEADDRINUSE ? UdpStatus::kPortInUse : UdpStatus::kFailed;
  result.error = static_cast<std::uint32_t>(error);
  return result;
}

constexpr DWORD kReceiveBuffer = 1 << 20;
// How many queued datagrams of one family are read in a row before the other
// family's turn.
constexpr int kStreak = 64;

bool IsRefusal(int error) {
  return error == WSAECONNRESET || error == WSAENETRESET || error == WSAEHOSTUNREACH ||
         error == WSAENETUNREACH;
}

void SetOption(SOCKET socket, int level, int name, DWORD value) {
  setsockopt(socket, level, name, reinterpret_cast<const char*>(&value), sizeof value);
}

UdpResult ReadDatagram(SOCKET socket, std::uint8_t* buffer, std::size_t capacity,
                       UdpLinkScopes& zones) {
  sockaddr_storage sender{};
  int senderLength = sizeof sender;
  const int size = recvfrom(socket, reinterpret_cast<char*>(buffer), static_cast<int>(capacity), 0,
                            reinterpret_cast<sockaddr*>(&sender), &senderLength);
  UdpResult result;
  if (size == SOCKET_ERROR) {
    const int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK) return UdpResult::Timeout();
    if (error == WSAEMSGSIZE) {
      result.status = UdpStatus::kTruncated;
      result.size = capacity;
    } else if (IsRefusal(error)) {
      result.status = UdpStatus::kUnreachable;
      result.error = static_cast<std::uint32_t>(error);
    } else {
      return Failure(error);
    }
  } else {
    result.size = static_cast<std::size_t>(size);
  }
  result.endpoint = udp::EndpointOf(sender);
  if (result.status != UdpStatus::kUnreachable) zones.Heard(result.endpoint, udp::ZoneOf(sender));
  return result;
}

}  // namespace

namespace udp {

UdpResult OpenFamily(UdpSocket::Impl& impl, int family, const UdpEndpoint& at,
                     std::uint16_t& bound) {
  if (!WinsockStarted()) return Failure(WSANOTINITIALISED);
  const SOCKET socket = ::socket(family == 0 ? AF_INET : AF_INET6, SOCK_DGRAM, IPPROTO_UDP);
  if (socket == INVALID_SOCKET) return Failure(WSAGetLastError());
  // Exclusive, so that no other program can bind the port over ours and take
  // the controllers' datagrams.
  SetOption(socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, 1);
  if (family == 1) SetOption(socket, IPPROTO_IPV6, IPV6_V6ONLY, 1);
  // Room for a burst of many controllers (the default holds 64 KiB), and
  // reads that never wait: Receive selects only when nothing is queued.
  SetOption(socket, SOL_SOCKET, SO_RCVBUF, kReceiveBuffer);
  u_long nonBlocking = 1;
  ioctlsocket(socket, FIONBIO, &nonBlocking);
  sockaddr_storage address;
  const int length = SockaddrOf(at, address);
  int boundLength = sizeof address;
  if (bind(socket, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      getsockname(socket, reinterpret_cast<sockaddr*>(&address), &boundLength) != 0) {
    const int error = WSAGetLastError();
    closesocket(socket);
    return Failure(error);
  }
  bound = EndpointOf(address).port;
  impl.socket[family] = socket;
  return UdpResult{};
}

void CloseFamily(UdpSocket::Impl& impl, int family) {
  if (impl.socket[family] != INVALID_SOCKET) closesocket(impl.socket[family]);
  impl.socket[family] = INVALID_SOCKET;
}

bool FamilyMissing(std::uint32_t error) {
  return error == WSAEAFNOSUPPORT || error == WSAEADDRNOTAVAIL || error == WSAEPROTONOSUPPORT;
}

}  // namespace udp

UdpSocket::UdpSocket() : impl_(new Impl) {}

UdpSocket::~UdpSocket() {
  Close();
  delete impl_;
}

bool UdpSocket::IsOpen() const { return impl_->socket[0] != INVALID_SOCKET; }

UdpResult UdpSocket::Receive(std::uint8_t* buffer, std::size_t capacity, std::uint32_t timeoutMs) {
  // A datagram already queued is read at once: under a flood one call per
  // datagram, not a select and a read. The family that had one is read again,
  // so that a flood on one family does not cost a second call that finds the
  // other empty; after a streak of kStreak the other has its turn, so neither
  // starves.
  for (int turn = 0; turn < udp::kFamilies; ++turn) {
    const int family = (impl_->next + turn) % udp::kFamilies;
    const SOCKET socket = impl_->socket[family];
    if (socket == INVALID_SOCKET) continue;
    const UdpResult queued = ReadDatagram(socket, buffer, capacity, impl_->zones);
    if (queued.status == UdpStatus::kTimeout) continue;
    if (family != impl_->next) impl_->streak = 0;
    impl_->next = family;
    if (++impl_->streak >= kStreak) {
      impl_->next = 1 - family;
      impl_->streak = 0;
    }
    return queued;
  }
  fd_set readable;
  FD_ZERO(&readable);
  for (SOCKET socket : impl_->socket)
    if (socket != INVALID_SOCKET) FD_SET(socket, &readable);
  if (readable.fd_count == 0) {
    Sleep(timeoutMs);
    return UdpResult::Timeout();
  }
  timeval timeout{static_cast<long>(timeoutMs / 1000), static_cast<long>(timeoutMs % 1000 * 1000)};
  const int ready =
      select(0, &readable, nullptr, nullptr, timeoutMs == kInfinite ? nullptr : &timeout);
  if (ready == SOCKET_ERROR) return Failure(WSAGetLastError());
  const int first = impl_->next;
  impl_->next = 1 - first;
  impl_->streak = 0;
  for (int turn = 0; turn < udp::kFamilies && ready > 0; ++turn) {
    const SOCKET socket = impl_->socket[(first + turn) % udp::kFamilies];
    if (socket != INVALID_SOCKET && FD_ISSET(socket, &readable))
      return ReadDatagram(socket, buffer, capacity, impl_->zones);
  }
  return UdpResult::Timeout();
}

UdpResult UdpSocket::Send(const UdpEndpoint& to, const std::uint8_t* data, std::size_t size) {
  const SOCKET socket = to.size == 4    ? impl_->socket[0]
                        : to.size == 16 ? impl_->socket[1]
                                        : INVALID_SOCKET;
  sockaddr_storage address;
  const int length = udp::SockaddrOf(to, address, impl_->zones.ZoneOf(to));
  if (socket == INVALID_SOCKET || length == 0) return Failure(WSAEAFNOSUPPORT);
  if (sendto(socket, reinterpret_cast<const char*>(data), static_cast<int>(size), 0,
             reinterpret_cast<sockaddr*>(&address), length) != SOCKET_ERROR) {
    return UdpResult{};
  }
  UdpResult result = Failure(WSAGetLastError());
  if (IsRefusal(static_cast<int>(result.error))) {
    result.status = UdpStatus::kUnreachable;
    result.endpoint = to;
  }
  return result;
}

std::string UdpErrorText(std::uint32_t error) {
  char text[256] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, error, 0, text, sizeof text, nullptr);
  std::string result(text, length);
  while (!result.empty() &&
         (result.back() == '\n' || result.back() == '\r' || result.back() == ' '))
    result.pop_back();
  if (result.empty()) result = "error " + std::to_string(error);
  return result;
}

LocalAddresses ThisComputersAddresses() {
  LocalAddresses addresses;
  if (!WinsockStarted()) return addresses;
  const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
  ULONG size = 16 * 1024;
  std::vector<std::uint8_t> buffer;
  ULONG status = ERROR_BUFFER_OVERFLOW;
  // The list can grow between the call that sizes it and the one that fills it.
  for (int attempt = 0; attempt < 3 && status == ERROR_BUFFER_OVERFLOW; ++attempt) {
    buffer.resize(size);
    status = GetAdaptersAddresses(AF_UNSPEC, flags, nullptr,
                                  reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
  }
  if (status != NO_ERROR) return addresses;
  for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter;
       adapter = adapter->Next) {
    if (adapter->OperStatus != IfOperStatusUp || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK)
      continue;
    for (auto* unicast = adapter->FirstUnicastAddress; unicast; unicast = unicast->Next) {
      const SOCKET_ADDRESS& found = unicast->Address;
      const int family = found.lpSockaddr->sa_family;
      if (family != AF_INET && family != AF_INET6) continue;
      sockaddr_storage address{};
      std::memcpy(&address, found.lpSockaddr,
                  family == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6));
      udp::AddLocalAddress(address, addresses);
    }
  }
  udp::SortLocalAddresses(addresses);
  return addresses;
}

}  // namespace platform
