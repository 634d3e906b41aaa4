// The control panel's application object: one running copy per session (a
// second start hands its "-asio" to the first and ends), the main window with
// its document and view, and the About command.
#pragma once

#include <windows.h>

#include <memory>

#include "panel/app/application.h"
#include "panel/app/singledoctemplate.h"

class CQDL_CPLView;

// The named mutex only the first running copy holds.
constexpr wchar_t kInstanceMutexName[] = L"734EB08A-7DFA-48ad-B254-2719FB6F8CE8";

class CQDL_CPLApp : public app::Application {
 public:
  CQDL_CPLApp();
  ~CQDL_CPLApp() override;

  bool AsioOption() const { return asioOption_; }

  // Makes the document, the main frame and the view and shows the frame;
  // false when a window could not be made. InitInstance calls it once the
  // program knows it is the only copy; tests call it themselves.
  bool OpenMainWindow(bool asioOption);
  void CloseMainWindow();
  CQDL_CPLView* View() const;

 protected:
  bool InitInstance() override;
  int ExitInstance(int exitCode) override;

 private:
  // Brings the running copy forward (and to its Settings page with "-asio").
  void ActivateRunningCopy() const;
  void OnAppAbout();

  bool asioOption_ = false;
  HANDLE instanceMutex_ = nullptr;
  std::unique_ptr<app::SingleDocTemplate> template_;
};
