#include "gui/singlemixer.h"

#include <string>

#include "gui/mainwindow.h"
#include "platform/log.h"
#include "platform/widetext.h"

namespace {

constexpr wchar_t kMutexName[] = L"Local\\KorvaneVelmora.OneMixer";
// How long a second start waits for the first one's window: the first may
// still be checking for the device, or showing that there is none.
constexpr DWORD kWindowWaitMs = 10000;
constexpr DWORD kWaitStepMs = 50;
constexpr UINT kHandOverTimeoutMs = 5000;

bool Send(HWND window, const std::wstring& commandLine) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  AllowSetForegroundWindow(process);  // it is to come to the front itself
  COPYDATASTRUCT data{};
  data.dwData = MainWindow::kHandOverTag;
  data.cbData = static_cast<DWORD>((commandLine.size() + 1) * sizeof(wchar_t));
  data.lpData = const_cast<wchar_t*>(commandLine.c_str());
  DWORD_PTR accepted = 0;
  return SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                             SMTO_ABORTIFHUNG, kHandOverTimeoutMs, &accepted) != 0 &&
         accepted == TRUE;
}

}  // namespace

SingleMixer::SingleMixer() {
  mutex_ = CreateMutexW(nullptr, TRUE, kMutexName);
  // Without the name (no rights, no memory) this start runs alone, as before.
  owned_ = mutex_ == nullptr || GetLastError() != ERROR_ALREADY_EXISTS;
}

SingleMixer::~SingleMixer() {
  if (mutex_ == nullptr) return;
  if (owned_) ReleaseMutex(mutex_);
  CloseHandle(mutex_);
}

bool SingleMixer::HandOver(const char* commandLine) {
  const std::wstring text = platform::WideFromUtf8(commandLine ? commandLine : "");
  for (DWORD waited = 0; waited < kWindowWaitMs; waited += kWaitStepMs) {
    if (HWND running = FindWindowA(MainWindow::kClassName, nullptr)) {
      if (Send(running, text)) {
        platform::Log("Another mixer is running: handed it the command line.\n");
        return true;
      }
      platform::Log("The running mixer did not take the command line.\n");
      return true;  // never a second mixer on the unit beside a hung first
    }
    // The first start ended (perhaps without a unit): this one takes over.
    const DWORD wait = WaitForSingleObject(mutex_, kWaitStepMs);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
      owned_ = true;
      return false;
    }
  }
  platform::Log("The running mixer has no window: starting anyway.\n");
  return false;
}
