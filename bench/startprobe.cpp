// Times the start of a window program as a user sees it, RUNS times:
//
//   startprobe RUNS PROGRAM [ARGS]
//
// For each run: from CreateProcess to its first visible top-level window, and
// to the moment its GUI thread first waits for input (WaitForInputIdle), which
// comes only after the window has been shown and painted (both programs paint
// with UpdateWindow before their message loop). The window is then closed
// with WM_CLOSE and the program awaited. Prints one line per run and the
// medians, in milliseconds.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench/probeclock.h"

namespace {

HWND VisibleWindowOf(DWORD processId) {
  struct Search {
    DWORD process;
    HWND found;
  } search{processId, nullptr};
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto* s = reinterpret_cast<Search*>(context);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != s->process || !IsWindowVisible(window)) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc < 3) {
    std::printf("usage: startprobe RUNS PROGRAM [ARGS]\n");
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  std::string commandLine = std::string("\"") + argv[2] + "\"";
  for (int a = 3; a < argc; ++a) commandLine += std::string(" ") + argv[a];
  std::vector<double> shown, idle;
  for (int run = 0; run < runs; ++run) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = commandLine;
    const double start = NowMs();
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
      std::printf("startprobe: cannot start %s (error %lu)\n", argv[2], GetLastError());
      return 1;
    }
    HWND window = nullptr;
    while (!(window = VisibleWindowOf(process.dwProcessId)) &&
           WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const double visible = NowMs() - start;
    WaitForInputIdle(process.hProcess, 60000);
    const double painted = NowMs() - start;
    if (!window) {
      std::printf("startprobe: %s ended without a window\n", argv[2]);
      return 1;
    }
    shown.push_back(visible);
    idle.push_back(painted);
    std::printf("run %d: window visible %.1f ms, painted and idle %.1f ms\n", run + 1, visible,
                painted);
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0)
      TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  std::printf("median of %d: window visible %.1f ms, painted and idle %.1f ms\n", runs,
              Median(shown), Median(idle));
  return 0;
}
