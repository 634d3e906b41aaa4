// Times what a user waits for when keeping mixes, under Wine or on Windows:
//
//   saveprobe MIXER FOLDER
//
// 1. A save of the 212-byte settings image, 100 times each way, side by side:
//    overwritten in place (the way saves were written before: open, write,
//    cut to length, close) and replaced whole (a flushed temporary file that
//    takes the target's place). Median and 90th percentile in milliseconds.
// 2. A second start of MIXER with a file while a first one runs: from
//    CreateProcess of the second start to the file's value shown in the first
//    one's window, 10 times, median. MIXER runs on the in-process simulator.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/probeclock.h"
#include "platform/fileio.h"

namespace {

double Percentile(std::vector<double> values, double share) {
  std::sort(values.begin(), values.end());
  if (values.empty()) return 0;
  return values[std::min(values.size() - 1, static_cast<std::size_t>(share * values.size()))];
}

void SaveInPlace(const std::string& path, const unsigned char* image) {
  std::FILE* file = std::fopen(path.c_str(), "r+b");
  if (file == nullptr) file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return;
  std::fwrite(image, 1, 212, file);
  std::fflush(file);
  std::fclose(file);
}

void Report(const char* what, const std::vector<double>& times) {
  std::printf("%-34s median %7.3f ms   p90 %7.3f ms   (%zu saves)\n", what, Percentile(times, 0.5),
              Percentile(times, 0.9), times.size());
}

void TimeSaves(const std::string& folder) {
  unsigned char image[212];
  for (int i = 0; i < 212; ++i) image[i] = static_cast<unsigned char>(i);
  std::vector<double> inPlace, replaced;
  const std::string a = folder + "\\in place.kmx", b = folder + "\\replaced.kmx";
  for (int i = 0; i < 100; ++i) {
    double start = NowMs();
    SaveInPlace(a, image);
    inPlace.push_back(NowMs() - start);
    start = NowMs();
    platform::ReplaceFileContents(b, image, sizeof image, nullptr);
    replaced.push_back(NowMs() - start);
  }
  Report("save, overwritten in place:", inPlace);
  Report("save, replaced whole:", replaced);
}

// A settings file whose first mix has channel 2's fader word at `word`, the
// rest as a fresh mixer saves it.
void WriteMix(const std::string& path, unsigned short word) {
  unsigned char image[212] = {1, 1, 8, 8};
  for (int mix = 0; mix < 4; ++mix) {
    unsigned char* block = image + 4 + mix * 52;
    for (int pan = 0; pan < 8; ++pan) block[32 + 2 * pan] = 0x7F, block[33 + 2 * pan] = 0xFF;
    block[48] = block[49] = block[50] = block[51] = 0xFF;
  }
  image[4 + 16 + 2] = static_cast<unsigned char>(word >> 8);  // words are big-endian
  image[4 + 16 + 3] = static_cast<unsigned char>(word & 0xFF);
  platform::ReplaceFileContents(path, image, sizeof image, nullptr);
}

std::string BoxText(HWND box) {
  char text[32] = "";
  SendMessageA(box, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

bool Start(const std::string& program, const std::string& arguments, PROCESS_INFORMATION* info) {
  std::string commandLine = "\"" + program + "\" " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  return CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, info) != 0;
}

template <typename Ready>
bool WaitFor(Ready ready, double limitMs = 20000) {
  const double start = NowMs();
  while (!ready()) {
    if (NowMs() - start > limitMs) return false;
    Sleep(0);
  }
  return true;
}

void TimeHandOver(const std::string& mixer, const std::string& folder) {
  SetEnvironmentVariableA("KORVANE_SIMULATOR", "devices=1");
  PROCESS_INFORMATION first{};
  if (!Start(mixer, "", &first)) return;
  HWND window = nullptr;
  HWND box = nullptr;
  // The window exists before its controls do: wait for channel 2's box.
  if (!WaitFor([&] {
        window = FindWindowA("ZWVELMORA", nullptr);
        box = window ? GetDlgItem(window, 0x4400 + 1) : nullptr;
        return box != nullptr && IsWindowVisible(window) && !BoxText(box).empty();
      }))
    return;
  const std::string half = folder + "\\half.kmx", quarter = folder + "\\quarter.kmx";
  WriteMix(half, 16383);    // -6.0 dB
  WriteMix(quarter, 8191);  // -12.0 dB
  std::vector<double> times;
  for (int i = 0; i < 10; ++i) {
    const bool even = i % 2 == 0;
    const std::string& file = even ? half : quarter;
    const char* shown = even ? "-6.0" : "-12.0";
    PROCESS_INFORMATION second{};
    const double start = NowMs();
    if (!Start(mixer, "\"" + file + "\"", &second)) break;
    const bool seen = WaitFor([&] { return BoxText(box) == shown; });
    times.push_back(NowMs() - start);
    WaitForSingleObject(second.hProcess, 10000);
    CloseHandle(second.hProcess);
    CloseHandle(second.hThread);
    if (!seen) {
      std::printf("the handed-over file was not shown (the box shows \"%s\")\n",
                  BoxText(box).c_str());
      break;
    }
  }
  std::printf("%-34s median %7.1f ms   (%zu starts)\n",
              "second start to file shown:", Percentile(times, 0.5), times.size());
  PostMessageA(window, WM_CLOSE, 0, 0);
  WaitForSingleObject(first.hProcess, 10000);
  CloseHandle(first.hProcess);
  CloseHandle(first.hThread);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: saveprobe MIXER FOLDER\n");
    return 2;
  }
  TimeSaves(argv[2]);
  TimeHandOver(argv[1], argv[2]);
  return 0;
}
