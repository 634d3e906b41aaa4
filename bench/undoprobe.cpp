// What scripts/measure-undo times, inside Wine, against the running mixer on
// the kernel-mode simulated driver: from the request to the last of the four
// load-mix frames it causes at unit 0, for
//   open   a settings file handed to the mixer as a second start hands it
//          (the file's four mixes differ from the shown ones),
//   undo   the step that Open made, through the mixer's Undo command,
//   redo   the same step again.
// Each round goes A -> B (open), B -> A (undo), A -> B (redo), then back to A
// by an untimed open, so that no step ever leaves a save question behind.
//
//   undoprobe FOLDER TRIES
//
// FOLDER (a Windows path) receives the two settings files. The driver's frame
// times are its performance counter in microseconds, the probe's clock too.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "gui/mixcommands.h"
#include "simulator/driversimulator.h"

namespace {

constexpr ULONG_PTR kHandOverTag = 0x4B4D5801;
constexpr int kLoadMix = 9;  // the vendor command that loads a mix
constexpr double kGiveUpUs = 5e6;

double NowUs() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

// A settings image whose every mix differs from the other seed's.
std::vector<std::uint8_t> Image(int seed) {
  std::vector<std::uint8_t> image = {1, 1, 8, 8};
  for (int mix = 0; mix < 4; ++mix) {
    for (int i = 0; i < 16; ++i) image.push_back(i == 7 ? static_cast<std::uint8_t>(seed) : 0);
    auto word = [&](unsigned value) {
      image.push_back(static_cast<std::uint8_t>(value >> 8));
      image.push_back(static_cast<std::uint8_t>(value & 0xFF));
    };
    for (int ch = 0; ch < 8; ++ch) word(0x3000u + 0x1000u * seed + 0x100u * mix + ch);
    for (int ch = 0; ch < 8; ++ch) word(seed ? 0x2000u : 0x7FFFu);
    word(0xE000u + 0x800u * seed);
    word(0xE000u + 0x800u * seed);
  }
  return image;
}

bool Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool HandOver(HWND mixer, const std::string& path) {
  std::wstring line = L"\"" + std::wstring(path.begin(), path.end()) + L"\"";
  COPYDATASTRUCT data{kHandOverTag, static_cast<DWORD>((line.size() + 1) * sizeof(wchar_t)),
                      line.data()};
  return SendMessageW(mixer, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)) == 1;
}

// Microseconds from `startUs` to the last of the four mixes' load frames, or
// a negative number when they did not all come.
double UntilFourMixes(simulator::DriverSimulator& machine, double startUs) {
  while (NowUs() - startUs < kGiveUpUs) {
    unsigned seen = 0;
    double last = 0;
    for (const simulator::FrameRecord& record : machine.Frames(0)) {
      const auto& f = record.frame;
      if (f.size() != 76 || f[6] != kLoadMix || record.timeUs < startUs || f[75] > 3) continue;
      seen |= 1u << f[75];
      last = std::max(last, static_cast<double>(record.timeUs));
    }
    if (seen == 0xF) return last - startUs;
    Sleep(1);
  }
  return -1;
}

template <typename Request>
double Timed(simulator::DriverSimulator& machine, Request&& request) {
  machine.ClearLogs();
  const double start = NowUs();
  if (!request()) return -1;
  return UntilFourMixes(machine, start);
}

void Report(const char* what, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  const auto at = [&](double q) { return ms[static_cast<std::size_t>(q * (ms.size() - 1) + 0.5)]; };
  std::printf("%-5s to the last of four load-mix frames: p50 %6.2f ms  p99 %6.2f ms  max %6.2f ms  (n=%zu)\n",
              what, at(0.5), at(0.99), ms.back(), ms.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::printf("usage: undoprobe FOLDER TRIES\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int tries = std::atoi(argv[2]);
  const std::string a = folder + "\\undo-a.kmx", b = folder + "\\undo-b.kmx";
  HWND mixer = FindWindowA("ZWVELMORA", nullptr);
  simulator::DriverSimulator machine;
  if (!mixer || machine.Open() != 0 || !Write(a, Image(0)) || !Write(b, Image(1))) {
    std::printf("undoprobe: no mixer window, no simulated driver or no files in %s\n", folder.c_str());
    return 1;
  }
  const auto open = [&](const std::string& path) { return [&, path] { return HandOver(mixer, path); }; };
  const auto command = [&](WPARAM id) {
    return [&, id] { return PostMessageA(mixer, WM_COMMAND, id, 0) != FALSE; };
  };
  if (Timed(machine, open(a)) < 0) {
    std::printf("undoprobe: the mixer did not load %s\n", a.c_str());
    return 1;
  }
  std::vector<double> opens, undos, redos;
  for (int i = 0; i < tries; ++i) {
    const double o = Timed(machine, open(b));
    const double u = Timed(machine, command(MixCommands::kUndo));
    const double r = Timed(machine, command(MixCommands::kRedo));
    if (o < 0 || u < 0 || r < 0 || Timed(machine, open(a)) < 0) {
      std::printf("undoprobe: round %d: the four mixes did not all reach the unit\n", i + 1);
      return 1;
    }
    opens.push_back(o / 1000);
    undos.push_back(u / 1000);
    redos.push_back(r / 1000);
  }
  Report("open", opens);
  Report("undo", undos);
  Report("redo", redos);
  return 0;
}
