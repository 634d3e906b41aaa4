// The rate at which one thread can read datagrams through our UDP socket, with
// nothing else to do: what scripts/measure-remote floods beside the mixer, so
// that the mixer's figures under a flood stand beside a bare reader's on the
// same system (under Wine every read is a round trip to the one server that
// the mixer's window, its engine and the driver share too).
//
//   udpreadrate PORT SECONDS
//
// Listens on loopback PORT for SECONDS and prints "read N datagrams".
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/udpsocket.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: udpreadrate PORT SECONDS\n");
    return 2;
  }
  const int port = std::atoi(argv[1]);
  const double seconds = std::atof(argv[2]);
  if (port <= 0 || port > 65535 || !(seconds > 0)) {
    std::fprintf(stderr, "udpreadrate: no port %s or time %s\n", argv[1], argv[2]);
    return 2;
  }
  platform::UdpSocket socket;
  const platform::UdpResult opened =
      socket.Open(static_cast<std::uint16_t>(port), platform::UdpReach::kLoopback);
  if (!opened.Ok()) {
    std::fprintf(stderr, "udpreadrate: cannot listen on %d: %s\n", port,
                 platform::UdpErrorText(opened.error).c_str());
    return 1;
  }
  std::printf("listening\n");
  std::fflush(stdout);
  std::vector<std::uint8_t> buffer(64 * 1024);
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  long long read = 0;
  while (std::chrono::steady_clock::now() < end)
    if (socket.Receive(buffer.data(), buffer.size(), 100).status == platform::UdpStatus::kOk) ++read;
  std::printf("read %lld datagrams\n", read);
  return 0;
}
