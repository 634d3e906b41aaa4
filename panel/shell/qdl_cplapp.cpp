#include "panel/shell/qdl_cplapp.h"

#include <commctrl.h>

#include "panel/app/resstrings.h"
#include "panel/notifypost.h"
#include "panel/pagerules.h"
#include "panel/res/resource.h"
#include "panel/shell/aboutdlg.h"
#include "panel/shell/mainframe.h"
#include "panel/shell/qdl_cpldoc.h"
#include "panel/shell/qdl_cplview.h"

namespace {
// The notifier's thread reaches the view through here; posting never waits
// for the window's thread.
bool PostToWindow(void* window, std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam) {
  return PostMessageW(static_cast<HWND>(window), message, wParam, static_cast<LPARAM>(lParam)) !=
         FALSE;
}
}  // namespace

CQDL_CPLApp::CQDL_CPLApp() {
  OnCommandId(ID_APP_ABOUT, [this] { OnAppAbout(); });
  OnCommandId(ID_APP_EXIT, [this] {
    if (MainWindow() != nullptr) SendMessageW(MainWindow()->Handle(), WM_CLOSE, 0, 0);
  });
}

CQDL_CPLApp::~CQDL_CPLApp() {
  CloseMainWindow();
  if (instanceMutex_ != nullptr) CloseHandle(instanceMutex_);
}

bool CQDL_CPLApp::InitInstance() {
  asioOption_ = HasAsioOption(CommandLine());
  instanceMutex_ = CreateMutexW(nullptr, TRUE, kInstanceMutexName);
  if (instanceMutex_ == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) {
    ActivateRunningCopy();
    if (instanceMutex_ != nullptr) CloseHandle(instanceMutex_);
    instanceMutex_ = nullptr;
    return false;
  }
  return OpenMainWindow(asioOption_);
}

int CQDL_CPLApp::ExitInstance(int exitCode) {
  CloseMainWindow();
  return exitCode;
}

void CQDL_CPLApp::ActivateRunningCopy() const {
  HWND running = FindWindowW(nullptr, app::LoadResString(IDS_WINDOW_TITLE).c_str());
  if (running == nullptr) return;
  HWND popup = GetLastActivePopup(running);
  if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
  if (asioOption_) PostMessageW(running, WM_SHOW_SETTINGS, 0, 0);
  SetForegroundWindow(popup);
}

bool CQDL_CPLApp::OpenMainWindow(bool asioOption) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES |
                                                     ICC_BAR_CLASSES | ICC_STANDARD_CLASSES |
                                                     ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  SetPostMessageHook(&PostToWindow);
  template_ = std::make_unique<app::SingleDocTemplate>(
      IDR_MAINFRAME, [] { return std::make_unique<CQDL_CPLDoc>(); },
      [] { return std::make_unique<CMainFrame>(); },
      [asioOption] { return std::make_unique<CQDL_CPLView>(asioOption); });
  if (!template_->OpenDocument(app::LoadResString(IDS_WINDOW_TITLE))) {
    template_.reset();
    return false;
  }
  app::FrameWindow* frame = template_->GetFrame();
  SetMainWindow(frame);
  ShowWindow(frame->Handle(), SW_SHOWNORMAL);
  UpdateWindow(frame->Handle());
  return true;
}

void CQDL_CPLApp::CloseMainWindow() {
  if (!template_) return;
  SetMainWindow(nullptr);
  template_->CloseDocument();
  template_.reset();
}

CQDL_CPLView* CQDL_CPLApp::View() const {
  return template_ ? static_cast<CQDL_CPLView*>(template_->GetView()) : nullptr;
}

void CQDL_CPLApp::OnAppAbout() {
  CAboutDlg about;
  about.DoModal(MainWindow() != nullptr ? MainWindow()->Handle() : nullptr);
}
