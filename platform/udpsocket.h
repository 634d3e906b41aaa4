// UDP datagrams on one port, IPv4 and IPv6 both: the remote control's
// transport. Plain values in and out, no socket type in sight.
//
// A UdpSocket is two sockets underneath, one per address family, bound to the
// same port: on loopback (127.0.0.1 and ::1) or on every interface. Two
// sockets rather than one dual-stack socket because a dual-stack socket cannot
// be bound to both loopback addresses, and because senders then come out as
// plain IPv4 addresses, never as IPv4-mapped IPv6 ones. A computer without
// IPv6 gets the IPv4 socket alone.
//
// Receive is called by one thread at a time; Send may be called from other
// threads meanwhile. Open and Close are not concurrent with either.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// An address and port as bytes: what RemoteEndpoint holds, field for field.
struct UdpEndpoint {
  std::array<std::uint8_t, 16> address{};  // network order; only the first `size` bytes count
  std::uint8_t size = 0;                   // 4 (IPv4), 16 (IPv6), 0 none
  std::uint16_t port = 0;
};

enum class UdpReach { kLoopback, kEveryInterface };

enum class UdpStatus {
  kOk,
  kTimeout,      // nothing arrived in time
  kTruncated,    // a datagram larger than the buffer arrived; what fitted is there
  kUnreachable,  // an earlier datagram to `endpoint` was refused (nothing listens there)
  kPortInUse,    // Open: another program holds the port
  kFailed,       // anything else: see `error`
};

struct UdpResult {
  UdpStatus status = UdpStatus::kOk;
  std::uint32_t error = 0;  // the system's code for kPortInUse, kUnreachable and kFailed
  std::size_t size = 0;     // Receive: the datagram's length (kOk, kTruncated)
  // Receive: the sender (kOk, kTruncated) or the endpoint that proved
  // unreachable (kUnreachable; size 0 when the system did not say which).
  UdpEndpoint endpoint;

  bool Ok() const { return status == UdpStatus::kOk; }
  static UdpResult Timeout() {
    UdpResult result;
    result.status = UdpStatus::kTimeout;
    return result;
  }
};

class UdpSocket {
 public:
  UdpSocket();
  ~UdpSocket();
  UdpSocket(const UdpSocket&) = delete;
  UdpSocket& operator=(const UdpSocket&) = delete;

  // Binds `port` (0: any free port, the same for both families). kPortInUse
  // when another program holds it; the socket stays closed on any failure.
  UdpResult Open(std::uint16_t port, UdpReach reach);
  void Close();
  bool IsOpen() const;
  std::uint16_t Port() const { return port_; }  // the bound port; 0 when closed

  // Waits up to `timeoutMs` for one datagram on either family and copies it
  // into `buffer`. A refusal of an earlier Send comes out as kUnreachable.
  UdpResult Receive(std::uint8_t* buffer, std::size_t capacity, std::uint32_t timeoutMs);
  // One datagram to `to`, from the bound port. kUnreachable when the system
  // already knows nothing can be reached there; most refusals come later,
  // through Receive.
  UdpResult Send(const UdpEndpoint& to, const std::uint8_t* data, std::size_t size);

  struct Impl;

 private:
  Impl* impl_;
  std::uint16_t port_ = 0;
};

// The system's text for an error code of UdpResult, without a line break.
std::string UdpErrorText(std::uint32_t error);

// This computer's own addresses as text ("192.168.1.20", "fe80::1c2b:..."),
// for a user to type into a controller: interfaces that are up, loopback left
// out. An IPv6 link-local address comes without its zone: the zone names an
// interface of this computer, which the controller would write differently.
struct LocalAddresses {
  std::vector<std::string> ipv4;
  std::vector<std::string> ipv6;
  std::vector<UdpEndpoint>
      endpoints;  // the same addresses as bytes (port 0), in the same order, IPv4 first
};
LocalAddresses ThisComputersAddresses();

}  // namespace platform
