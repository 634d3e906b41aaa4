// Whether a Windows test runs under Wine, for the few behaviours of Windows
// that Wine does not have: a test that needs one skips itself and says which.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

namespace testsupport {

inline bool UnderWine() {
#ifdef _WIN32
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
  return false;
#endif
}

// Windows reports a datagram refused by a closed port to the sender's next
// recvfrom (WSAECONNRESET); Wine 8 reports nothing.
inline constexpr const char* kWineHidesUdpRefusals =
    "Wine does not report a refused UDP datagram to its sender";

}  // namespace testsupport
