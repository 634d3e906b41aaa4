// The fixture of the control panel's window tests: the whole program's main
// window (frame, view, six pages) made in this process on the simulated
// X-Tamber's kernel-mode driver, message boxes and modal dialogs answered by
// the test, and a client of the driver's own to look at what it holds.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "panel/app/dialog.h"
#include "panel/app/messagebox.h"
#include "panel/driverdata.h"
#include "panel/res/resource.h"
#include "panel/shell/qdl_cplapp.h"
#include "panel/shell/qdl_cplview.h"
#include "tests/support/eventually.h"
#include "tests/windows/kerneldriverfixture.h"

class PanelWindow : public KernelDriver {
 protected:
  void SetUp() override {
    KernelDriver::SetUp();
    ASSERT_EQ(machine->Reset(2), 0u);
    app::SetMessageBoxHook(
        [this](HWND, const std::wstring& text, const std::wstring& caption, UINT type) {
          messages.push_back(text);
          captions.push_back(caption);
          types.push_back(type);
          return IDOK;
        });
    application = std::make_unique<CQDL_CPLApp>();
  }
  void TearDown() override {
    if (application) application->CloseMainWindow();
    application.reset();
    app::SetMessageBoxHook(nullptr);
    app::Dialog::SetModalHook(nullptr);
    testsupport::PumpPending();
    EXPECT_FALSE(CDriverData::Instance().IsOpen()) << "the view closes the driver when it goes";
  }

  CQDL_CPLView& Open(bool asioOption = false) {
    EXPECT_TRUE(application->OpenMainWindow(asioOption));
    testsupport::PumpPending();
    return *application->View();
  }
  CQDL_CPLView& View() { return *application->View(); }
  HWND Frame() { return application->MainWindow()->Handle(); }
  std::wstring StatusText(int pane) {
    return application->MainWindow()->GetStatusBar().PaneText(pane);
  }

  static std::wstring Text(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
  }
  static bool Enabled(HWND window) { return IsWindowEnabled(window) != FALSE; }
  static void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }

  // The driver's state as another client reads it.
  static CDriverData& Driver() {
    static CDriverData driver;
    driver.Open();
    return driver;
  }

  std::unique_ptr<CQDL_CPLApp> application;
  std::vector<std::wstring> messages, captions;
  std::vector<UINT> types;
};
