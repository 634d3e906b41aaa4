// What scripts/measure-mixer needs to know from the Windows side:
//
//   mixerprobe rect ID     the screen rectangle of the running mixer window's
//                          control ID (decimal or 0x..): "LEFT TOP RIGHT BOTTOM"
//   mixerprobe frames      every load-mix frame unit 0 of the kernel-mode
//                          simulated driver kept since the last call, one a
//                          line: "TIME_US MIX GAIN0 .. GAIN33"; then clears the
//                          driver's logs, which keep only the last 512 frames
//   mixerprobe follow SECONDS
//                          as frames, for SECONDS, printing the new frames
//                          every 20 ms without clearing the log: a reader
//                          that keeps up loses none to the log's 512
//   mixerprobe minimise    minimises the running mixer window, as its caption
//                          button does
//   mixerprobe restore     restores it, as its taskbar button does
//
// Screen coordinates under Wine are the X display's; the driver's times are
// its performance counter in microseconds, which under Wine is the Linux
// CLOCK_MONOTONIC_RAW.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "simulator/driversimulator.h"

namespace {

int PrintRect(const char* idText) {
  HWND window = FindWindowA("ZWVELMORA", nullptr);
  HWND control =
      window ? GetDlgItem(window, static_cast<int>(std::strtol(idText, nullptr, 0))) : nullptr;
  RECT rect{};
  if (!control || !GetWindowRect(control, &rect)) {
    std::printf("mixerprobe: no mixer window or no control %s\n", idText);
    return 1;
  }
  std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
  return 0;
}

void PrintMixFrames(const std::vector<simulator::FrameRecord>& records) {
  for (const simulator::FrameRecord& record : records) {
    const auto& f = record.frame;
    if (f.size() != 76 || f[6] != 9) continue;  // vendor command 9 loads a mix
    std::printf("%llu %u", static_cast<unsigned long long>(record.timeUs), f[75]);
    for (int g = 0; g < 34; ++g) std::printf(" %u", f[7 + 2 * g] << 8 | f[8 + 2 * g]);
    std::printf("\n");
  }
}

bool OpenDriver(simulator::DriverSimulator& machine) {
  if (machine.Open() == 0) return true;
  std::printf("mixerprobe: the simulated driver does not answer\n");
  return false;
}

int PrintFrames() {
  simulator::DriverSimulator machine;
  if (!OpenDriver(machine)) return 1;
  PrintMixFrames(machine.Frames(0));
  return machine.ClearLogs() == 0 ? 0 : 1;
}

int FollowFrames(const char* secondsText) {
  simulator::DriverSimulator machine;
  if (!OpenDriver(machine)) return 1;
  std::uint32_t next = 0;
  machine.Frames(0, &next);  // what came before is not followed
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(std::atof(secondsText) * 1000);
  while (GetTickCount64() < end) {
    Sleep(20);
    PrintMixFrames(machine.Frames(0, &next));
    std::fflush(stdout);
  }
  return 0;
}

// Minimises or restores the mixer window as its taskbar button would.
int Show(bool minimised) {
  HWND window = FindWindowA("ZWVELMORA", nullptr);
  if (!window) {
    std::printf("mixerprobe: no mixer window\n");
    return 1;
  }
  ShowWindow(window, minimised ? SW_MINIMIZE : SW_RESTORE);
  return (IsIconic(window) != FALSE) == minimised ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  if (argc == 3 && std::strcmp(argv[1], "rect") == 0) return PrintRect(argv[2]);
  if (argc == 2 && std::strcmp(argv[1], "frames") == 0) return PrintFrames();
  if (argc == 3 && std::strcmp(argv[1], "follow") == 0) return FollowFrames(argv[2]);
  if (argc == 2 && std::strcmp(argv[1], "minimise") == 0) return Show(true);
  if (argc == 2 && std::strcmp(argv[1], "restore") == 0) return Show(false);
  std::printf(
      "usage: mixerprobe rect ID | mixerprobe frames | mixerprobe follow SECONDS |\n"
      "       mixerprobe minimise | mixerprobe restore\n");
  return 2;
}
