// What scripts/measure-replug measures, from the Windows side: it starts the
// mixer on the kernel-mode simulated driver, pulls its unit out and plugs it
// in again, and prints
//
//   - for each of REPLUGS replugs, the time from the plug-in to the last of
//     the four load-mix frames the unit received (the driver's frame times
//     and this program's performance counter are the same clock under Wine);
//   - the mixer's handle count, thread count and memory before and after
//     CYCLES more pull/plug cycles, from the process's own view (Windows) and
//     from its Unix process under Wine (/proc).
//
//   replugprobe VELMORA_APP.EXE [REPLUGS [CYCLES]]
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "simulator/driversimulator.h"
#include "tests/gui/programprocess.h"

namespace {

constexpr auto kLimit = std::chrono::seconds(20);

template <typename Pred>
bool WaitFor(Pred pred) {
  const auto end = std::chrono::steady_clock::now() + kLimit;
  while (!pred()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return true;
}

std::uint64_t NowUs() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<std::uint64_t>(now.QuadPart / (frequency.QuadPart / 1000000.0));
}

std::string Caption(HWND window) {
  char text[128] = "";
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

// The time of the load-mix frame for mix 3 and whether the mixer enable came after it.
bool StateArrived(const simulator::DriverSimulator& machine, std::uint64_t* lastMixUs) {
  bool mixes[4] = {};
  bool enabled = false;
  for (const simulator::FrameRecord& record : machine.Frames(0)) {
    const auto& f = record.frame;
    if (f.size() == 76 && f[6] == 9 && f[75] < 4) {
      mixes[f[75]] = true;
      *lastMixUs = record.timeUs;
    }
    if (f.size() == 9 && f[6] == 2 && f[7] == 0xD0 && f[8] == 0xFF) enabled = true;
  }
  return mixes[0] && mixes[1] && mixes[2] && mixes[3] && enabled;
}

struct Counts {
  DWORD handles = 0;
  int threads = 0;
  SIZE_T privateBytes = 0;  // 0 where the system does not say
  int unixThreads = -1;
  long unixRssKb = -1;
  int unixFds = -1;
};

int ThreadsOf(DWORD process) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    count += entry.th32OwnerProcessID == process;
  CloseHandle(snapshot);
  return count;
}

// The mixer's Unix process under Wine: the one whose program (the first word
// of its command line) is the mixer; this probe names it only as an argument.
std::filesystem::path UnixProcess() {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("Z:\\proc", error)) {
    std::ifstream cmdline(entry.path() / "cmdline", std::ios::binary);
    std::string program;
    std::getline(cmdline, program, '\0');
    if (program.find("velmora_app.exe") != std::string::npos) return entry.path();
  }
  return {};
}

// The handles a process holds, from the system's handle table: under Wine
// GetProcessHandleCount answers only for the calling process.
DWORD HandlesOf(DWORD process) {
  struct Entry {
    ULONG ownerPid;
    BYTE objectType, flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
  };
  struct Table {
    ULONG count;
    Entry entries[1];
  };
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) return 0;
  std::vector<unsigned char> buffer(1 << 20);
  ULONG needed = 0;
  LONG status;
  while ((status = query(16, buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) ==
         static_cast<LONG>(0xC0000004))  // STATUS_INFO_LENGTH_MISMATCH
    buffer.resize(buffer.size() * 2);
  if (status != 0) return 0;
  const auto* table = reinterpret_cast<const Table*>(buffer.data());
  DWORD count = 0;
  for (ULONG i = 0; i < table->count; ++i) count += table->entries[i].ownerPid == process;
  return count;
}

void ReadUnix(const std::filesystem::path& process, Counts* counts) {
  if (process.empty()) return;
  std::ifstream status(process / "status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Threads:", 0) == 0) counts->unixThreads = std::atoi(line.c_str() + 8);
    if (line.rfind("VmRSS:", 0) == 0) counts->unixRssKb = std::atol(line.c_str() + 6);
  }
  std::error_code error;
  int fds = 0;
  for (auto it = std::filesystem::directory_iterator(process / "fd", error);
       !error && it != std::filesystem::directory_iterator(); it.increment(error))
    ++fds;
  if (!error) counts->unixFds = fds;
}

Counts Measure(HANDLE process, DWORD id, const std::filesystem::path& unixProcess) {
  Counts counts;
  counts.handles = HandlesOf(id);
  counts.threads = ThreadsOf(id);
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                           sizeof memory))
    counts.privateBytes = memory.PrivateUsage;
  ReadUnix(unixProcess, &counts);
  return counts;
}

void Print(const char* when, const Counts& c) {
  std::printf("%s: handles %lu, threads %d, private bytes %s; Unix: threads %d, VmRSS %ld kB, fds %d\n",
              when, static_cast<unsigned long>(c.handles), c.threads,
              c.privateBytes ? std::to_string(c.privateBytes).c_str() : "(not given)",
              c.unixThreads, c.unixRssKb, c.unixFds);
}

// One pull and plug-in; the time from the plug-in to the last mix frame, in
// microseconds, or -1 when the mixer did not follow.
double Replug(simulator::DriverSimulator& machine, HWND window) {
  if (machine.SetDeviceCount(0) != 0) return -1;
  if (!WaitFor([&] { return Caption(window) == "Korvane Velmora - no unit connected"; })) return -1;
  machine.ClearLogs();
  const std::uint64_t pluggedUs = NowUs();
  if (machine.SetDeviceCount(1) != 0) return -1;
  std::uint64_t lastMixUs = 0;
  if (!WaitFor([&] { return StateArrived(machine, &lastMixUs); })) return -1;
  if (!WaitFor([&] { return Caption(window) == "Korvane Velmora"; })) return -1;
  return static_cast<double>(lastMixUs) - static_cast<double>(pluggedUs);
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc < 2) {
    std::printf("usage: replugprobe VELMORA_APP.EXE [REPLUGS [CYCLES]]\n");
    return 2;
  }
  const int replugs = argc > 2 ? std::atoi(argv[2]) : 20;
  const int cycles = argc > 3 ? std::atoi(argv[3]) : 100;
  simulator::DriverSimulator machine;
  if (machine.Open() != 0 || machine.Reset(1) != 0) {
    std::printf("replugprobe: the simulated driver does not answer\n");
    return 1;
  }
  ProgramProcess mixer;
  if (!mixer.testsupport::ChildProcess::Start(std::string(argv[1]), std::string())) {
    std::printf("replugprobe: cannot start %s\n", argv[1]);
    return 1;
  }
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, mixer.ProcessId());
  HWND window = nullptr;
  std::uint64_t ignored = 0;
  const bool up = WaitFor([&] { return (window = mixer.Window("ZWVELMORA")) != nullptr; }) &&
                  WaitFor([&] { return StateArrived(machine, &ignored); });
  int result = up ? 0 : 1;
  if (!up) std::printf("replugprobe: the mixer did not start on the unit\n");

  std::vector<double> times;
  for (int i = 0; up && i < replugs; ++i) {
    const double us = Replug(machine, window);
    if (us < 0) {
      std::printf("replugprobe: replug %d: the mixer did not follow\n", i + 1);
      result = 1;
      break;
    }
    times.push_back(us / 1000.0);
  }
  if (!times.empty()) {
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    std::printf("plug-in to the last mix frame, %zu replugs (ms):", times.size());
    for (double t : times) std::printf(" %.1f", t);
    std::printf("\n  p50 %.1f   min %.1f   max %.1f\n", sorted[sorted.size() / 2], sorted.front(),
                sorted.back());
  }

  if (result == 0 && cycles > 0) {
    const std::filesystem::path unixProcess = UnixProcess();
    const Counts before = Measure(process, mixer.ProcessId(), unixProcess);
    for (int i = 0; i < cycles && result == 0; ++i)
      if (Replug(machine, window) < 0) {
        std::printf("replugprobe: cycle %d: the mixer did not follow\n", i + 1);
        result = 1;
      }
    const Counts after = Measure(process, mixer.ProcessId(), unixProcess);
    std::printf("%d pull/plug cycles under the running mixer:\n", cycles);
    Print("  before", before);
    Print("  after ", after);
  }

  PostMessageA(window, WM_CLOSE, 0, 0);
  if (!WaitFor([&] { return mixer.Ended(); })) {
    std::printf("replugprobe: the mixer did not end\n");
    result = 1;  // ended with this program
  }
  if (process) CloseHandle(process);
  return result;
}
