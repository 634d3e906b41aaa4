#include "gui/singlemixer.h"

#include "gui/commandline.h"
#include "platform/log.h"
#include "platform/messagebox.h"
#include "platform/widetext.h"

namespace {

// How long a second start waits for the first one to take its file or to
// end: the first may still be checking for the device, or showing that there
// is none, or shutting the engine down after its window was closed.
constexpr ULONGLONG kWindowWaitMs = 10000;
constexpr DWORD kWaitStepMs = 50;
constexpr UINT kHandOverTimeoutMs = 5000;

// A mixer that neither takes nor refuses keeps the unit: a second one beside
// it would fight it for the hardware, so the user is told instead.
void TellNoAnswer(const std::string& commandLine) {
  const std::string path = SettingsPathFromCommandLine(commandLine.c_str());
  const std::string text =
      path.empty() ? std::string("The running mixer does not answer.")
                   : "The running mixer does not answer, so it has not opened\n" + path +
                         "\n\nOpen the file again when the mixer answers, or after ending it.";
  platform::ShowMessageBox(nullptr, text.c_str(), "Korvane Velmora", MB_OK | MB_ICONWARNING);
}

std::wstring OwnProgramPath() {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path;
}

}  // namespace

SingleMixer::SingleMixer(const wchar_t* mutexName, const char* windowClass)
    : windowClass_(windowClass) {
  mutex_ = CreateMutexW(nullptr, TRUE, mutexName);
  // Without the name (no rights, no memory) this start runs alone, as before.
  owned_ = mutex_ == nullptr || GetLastError() != ERROR_ALREADY_EXISTS;
}

SingleMixer::~SingleMixer() {
  if (mutex_ == nullptr) return;
  if (owned_) ReleaseMutex(mutex_);
  CloseHandle(mutex_);
}

SingleMixer::Answer SingleMixer::Send(HWND window, const std::wstring& commandLine) const {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  AllowSetForegroundWindow(process);  // it is to come to the front itself
  COPYDATASTRUCT data{};
  data.dwData = MainWindow::kHandOverTag;
  data.cbData = static_cast<DWORD>((commandLine.size() + 1) * sizeof(wchar_t));
  data.lpData = const_cast<wchar_t*>(commandLine.c_str());
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                          SMTO_ABORTIFHUNG | SMTO_ERRORONEXIT, kHandOverTimeoutMs, &answer) == 0) {
    const DWORD error = GetLastError();
    // Destroyed before it got to the message: it was closing.
    if (!IsWindow(window)) {
      platform::Log("The running mixer's window went away before it answered.\n");
      return Answer::kRefused;
    }
    // Hung (ERROR_TIMEOUT), or out of reach of this start (access denied:
    // it runs elevated).
    platform::Log("The running mixer does not answer (error %lu).\n",
                  static_cast<unsigned long>(error));
    return Answer::kNoAnswer;
  }
  if (answer == static_cast<DWORD_PTR>(MainWindow::kHandOverTaken)) return Answer::kTaken;
  if (answer == static_cast<DWORD_PTR>(MainWindow::kHandOverRefused)) return Answer::kRefused;
  return Answer::kNotUnderstood;
}

bool SingleMixer::TakeName(DWORD waitMs) {
  const DWORD wait = WaitForSingleObject(mutex_, waitMs);
  if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return false;
  owned_ = true;
  return true;
}

bool SingleMixer::HandOver(const char* commandLine) {
  const std::string given = commandLine ? commandLine : "";
  const std::wstring text = platform::WideFromUtf8(given);
  const ULONGLONG deadline = GetTickCount64() + kWindowWaitMs;
  bool refused = false;
  do {
    if (HWND running = FindWindowA(windowClass_, nullptr)) {
      switch (Send(running, text)) {
        case Answer::kTaken:
          platform::Log("Another mixer is running: it took the command line.\n");
          return true;
        case Answer::kRefused:
          if (!refused) platform::Log("The running mixer is closing: waiting for it to end.\n");
          refused = true;
          break;
        case Answer::kNotUnderstood:
          platform::Log("The running mixer did not take the command line.\n");
          TellNoAnswer(given);
          return true;
        case Answer::kNoAnswer:
          TellNoAnswer(given);
          return true;
      }
    }
    // The first start ended, or is ending: this one takes over.
    if (TakeName(kWaitStepMs)) return false;
  } while (GetTickCount64() < deadline);
  if (refused) {
    platform::Log("The closing mixer has not ended: the command line was not handed over.\n");
    TellNoAnswer(given);
    return true;
  }
  platform::Log("The running mixer has no window: starting anyway.\n");
  return false;
}

void SingleMixer::HandOn(const std::vector<std::string>& commandLines) {
  const std::wstring program = OwnProgramPath();
  for (const std::string& commandLine : commandLines) {
    const std::string path = SettingsPathFromCommandLine(commandLine.c_str());
    if (path.empty()) continue;  // only to the front: nothing to open
    std::wstring line = L"\"" + program + L"\" \"" + platform::WideFromUtf8(path) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
      platform::Log("Could not start the mixer again to open %s (error %lu).\n", path.c_str(),
                    static_cast<unsigned long>(GetLastError()));
      continue;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    platform::Log("Handed %s on to a new start of the mixer.\n", path.c_str());
  }
}
