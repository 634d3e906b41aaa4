#include "panel/app/application.h"

#include "panel/app/formview.h"
#include "panel/app/framewindow.h"

namespace app {
namespace {
Application* current = nullptr;
}

Application::Application() { current = this; }

Application::~Application() {
  if (current == this) current = nullptr;
}

Application* Application::Current() { return current; }

int Application::Main(const std::wstring& commandLine) {
  commandLine_ = commandLine;
  if (!InitInstance()) return ExitInstance(1);
  return ExitInstance(Run());
}

// Alt+F4 closes the program wherever the focus is. Some of Wine's common
// controls (the tree, the lists) keep system keys to themselves instead of
// passing them on, so the key would never reach the frame.
bool Application::IsCloseKey(const MSG& message) const {
  if (message.message != WM_SYSKEYDOWN || message.wParam != VK_F4) return false;
  if (mainWindow_ == nullptr || mainWindow_->Handle() == nullptr) return false;
  return message.hwnd == mainWindow_->Handle() || IsChild(mainWindow_->Handle(), message.hwnd);
}

int Application::Run() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsCloseKey(message)) {
      PostMessageW(mainWindow_->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
      continue;
    }
    HWND dialog = nullptr;
    if (mainWindow_ != nullptr && mainWindow_->GetActiveView() != nullptr)
      dialog = mainWindow_->GetActiveView()->Handle();
    if (dialog != nullptr && IsDialogMessageW(dialog, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

std::wstring Application::ArgumentsOf(const wchar_t* wholeCommandLine) {
  if (wholeCommandLine == nullptr) return {};
  const wchar_t* at = wholeCommandLine;
  while (*at == L' ' || *at == L'\t') ++at;
  if (*at == L'"') {
    ++at;
    while (*at != L'\0' && *at != L'"') ++at;
    if (*at == L'"') ++at;
  } else {
    while (*at != L'\0' && *at != L' ' && *at != L'\t') ++at;
  }
  while (*at == L' ' || *at == L'\t') ++at;
  return at;
}

}  // namespace app
