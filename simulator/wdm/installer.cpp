// Installs the simulated X-Tamber's kernel-mode driver into a Wine prefix (or
// a test machine): eight root-enumerated device nodes ROOT\XTAMBER\0000..0007,
// one per unit the simulator can plug in, bound to the driver through its
// .inf. The driver enables the device interface of a node only while its unit
// is plugged in, so the nodes stay and tests change the count at run time.
//
//   xtamber-install <path of xtambersim.inf>
//   xtamber-install --check     waits up to 15 s for the driver to answer
//                               with all eight device nodes started
//
// The check exists because a driver host that crashed says nothing: its
// service still reports running, and only opening the device tells. The
// driver answers as soon as it loads, while its device nodes start one by one
// after that; a unit plugged in before its node started would lack its
// interface for a moment, so the check waits for the nodes too.
#include <windows.h>
// clang-format off
#include <setupapi.h>
#include <newdev.h>
// clang-format on

#include <cstdio>
#include <cstring>

#include "simulator/testcontrol.h"

namespace {

constexpr int kUnits = 8;
constexpr char kHardwareIds[] = "Root\\XTamberSim\0";  // a multi-string: ends in two zeros
const GUID kMediaClass = {
    0x4D36E96C, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

bool CreateNode(int unit) {
  HDEVINFO set = SetupDiCreateDeviceInfoList(&kMediaClass, nullptr);
  if (set == INVALID_HANDLE_VALUE) return false;
  char instance[64];
  std::snprintf(instance, sizeof instance, "ROOT\\XTAMBER\\%04d", unit);
  SP_DEVINFO_DATA node{};
  node.cbSize = sizeof node;
  bool created = SetupDiCreateDeviceInfoA(set, instance, &kMediaClass, "Simulated X-Tamber",
                                          nullptr, 0, &node) &&
                 SetupDiSetDeviceRegistryPropertyA(set, &node, SPDRP_HARDWAREID,
                                                   reinterpret_cast<const BYTE*>(kHardwareIds),
                                                   sizeof kHardwareIds) &&
                 SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set, &node);
  // A node that is there already is what we want.
  if (!created && GetLastError() == ERROR_DEVINST_ALREADY_EXISTS) created = true;
  if (!created)
    std::printf("xtamber-install: device node %s failed: error %lu\n", instance, GetLastError());
  SetupDiDestroyDeviceInfoList(set);
  return created;
}

// Whether the driver's test-control device answers, and if so which units'
// device nodes have started, a bit each.
bool AskStartedNodes(DWORD* started, DWORD* error) {
  HANDLE device =
      CreateFileA(simulator::testcontrol::kDevicePath, GENERIC_READ | GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (device == INVALID_HANDLE_VALUE) {
    *error = GetLastError();
    return false;
  }
  DWORD bytes = 0;
  const bool answered = DeviceIoControl(device, simulator::testcontrol::kGetStartedNodes, nullptr,
                                        0, started, sizeof *started, &bytes, nullptr) &&
                        bytes == sizeof *started;
  if (!answered) *error = GetLastError();
  CloseHandle(device);
  return answered;
}

int CheckDriverAnswers() {
  constexpr DWORD kAllNodes = (1u << kUnits) - 1;
  DWORD started = 0, error = 0;
  bool answered = false;
  for (int attempt = 0; attempt < 150; ++attempt) {
    if (attempt) Sleep(100);
    answered = AskStartedNodes(&started, &error);
    if (answered && started == kAllNodes) return 0;
  }
  if (answered)
    std::printf("xtamber-install: only device nodes 0x%02lX of 0x%02lX started\n", started,
                kAllNodes);
  else
    std::printf("xtamber-install: the simulated driver does not answer: error %lu\n", error);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--check") == 0) return CheckDriverAnswers();
  if (argc != 2) {
    std::printf("usage: xtamber-install <path of xtambersim.inf>\n");
    return 2;
  }
  char inf[MAX_PATH];
  if (GetFullPathNameA(argv[1], sizeof inf, inf, nullptr) == 0) {
    std::printf("xtamber-install: bad path %s\n", argv[1]);
    return 2;
  }
  for (int unit = 0; unit < kUnits; ++unit)
    if (!CreateNode(unit)) return 1;
  BOOL reboot = FALSE;
  if (!UpdateDriverForPlugAndPlayDevicesA(nullptr, "Root\\XTamberSim", inf, INSTALLFLAG_FORCE,
                                          &reboot)) {
    std::printf("xtamber-install: driver install failed: error %lu\n", GetLastError());
    return 1;
  }
  std::printf("xtamber-install: %d simulated X-Tamber nodes bound to %s\n", kUnits, inf);
  return 0;
}
