// The mixer window made in the test's own process, on an in-process simulated
// X-Tamber, with every message box and file dialog answered by the test.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/filecommands.h"
#include "gui/mainwindow.h"
#include "gui/modalui.h"
#include "gui/velmoraapp.h"
#include "korvaneobjects/korvanemastercontrol.h"
#include "platform/messagebox.h"
#include "platform/widetext.h"
#include "simulator/simulatedmachine.h"
#include "tests/support/eventually.h"
#include "tests/support/prefsandbox.h"
#include "tests/support/tempfolder.h"
#include "velmora/velmora.h"
#include "windows/settingsdialogs.h"

// This thread's mixer window, or null. Tests in other processes may have
// windows of the same class open at the same time.
inline HWND OwnMixerWindow() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM context) -> BOOL {
        char name[32] = "";
        GetClassNameA(window, name, sizeof name);
        if (lstrcmpA(name, MainWindow::kClassName) != 0) return TRUE;
        *reinterpret_cast<HWND*>(context) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

struct ShownBox {
  std::string text, caption;
  unsigned type;
};

class MixerWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetMessageBoxHook(
        [this](void*, const char* text, const char* caption, unsigned type) {
          boxes.push_back({text, caption, type});
          if (whileShown) whileShown(ShownBox(boxes.back()));  // a copy: it may show more
          if (answers.empty()) return platform::kIdCancel;
          const int answer = answers.front();
          answers.pop_front();
          return answer;
        });
    SetFileDialogHook([this](FileDialogKind kind, OPENFILENAMEW& request) {
      asked.push_back(kind == FileDialogKind::Open ? "Open"
                                                   : platform::Utf8FromWide(request.lpstrTitle));
      std::string path = nextPath;
      if (!nextPaths.empty()) {
        path = nextPaths.front();
        nextPaths.pop_front();
      }
      if (path.empty()) return false;
      lstrcpynW(request.lpstrFile, platform::WideFromUtf8(path).c_str(),
                static_cast<int>(request.nMaxFile));
      return true;
    });
    // A space in the name, as users' folders have.
    temp = std::make_unique<testsupport::TempFolder>("velmora gui test");
    folder = temp->path();
  }

  void TearDown() override {
    if (window && IsWindow(window)) {
      savedFlag = true;
      DestroyWindow(window);
    }
    testsupport::PumpPending();
    MainWindow::TakeWaitingCommandLines();  // never handed on to a start of the test itself
    DestroyMasterControl();
    SetFileDialogHook(nullptr);
    SetDialogHook(nullptr);
    platform::SetMessageBoxHook(nullptr);
    ResetParameterInterface();
    temp.reset();
  }

  // The program's start-up up to its message loop.
  void Open(const char* commandLine = "") {
    ASSERT_TRUE(VelmoraApp::StartEngine());
    window = VelmoraApp::OpenWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
    ASSERT_NE(window, nullptr);
    LoadCommandLineFile(window, commandLine);
  }
  void Command(int id) { SendMessageA(window, WM_COMMAND, static_cast<WPARAM>(id), 0); }
  void Close() { SendMessageA(window, WM_CLOSE, 0, 0); }
  bool IsOpen() const { return IsWindow(window) != FALSE; }
  std::string FileIn(const char* name) const { return temp->Path(name); }
  std::string ControlText(int id) const {
    char text[128] = "";
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
  }

  testsupport::PrefSandbox prefs;
  simulator::ScopedMachine machine;
  HWND window = nullptr;
  std::vector<ShownBox> boxes;
  std::deque<int> answers;
  std::function<void(const ShownBox&)> whileShown;  // what happens while a box is open
  std::vector<std::string> asked;     // the file dialogs run: "Open" or the save title
  std::string nextPath;               // what the file dialogs answer; empty: cancelled
  std::deque<std::string> nextPaths;  // answered first, one per dialog, before nextPath
  std::unique_ptr<testsupport::TempFolder> temp;
  std::filesystem::path folder;
};
