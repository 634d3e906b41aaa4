#include "gui/velmoraapp.h"

#include <commctrl.h>

#include <string>

#include "gui/channelstrips.h"
#include "gui/commandline.h"
#include "gui/mainwindow.h"
#include "korvaneobjects/korvanemastercontrol.h"
#include "platform/log.h"
#include "platform/messagebox.h"
#include "velmora/settingsfile.h"
#include "velmora/velmora.h"
#include "windows/debug.h"

bool VelmoraApp::StartEngine() {
  savedFlag = true;
  KorvaneMasterControl* master = GetMasterControl();
  master->SetMeterTarget(ChannelStrips::MeterTarget());
  if (master->InitKorvaneMasterControl(&ChannelStrips::MeterUpdate) == 0) {
    platform::ShowMessageBox(nullptr, "No Korvane detected", "Error", MB_OK | MB_ICONERROR);
    DestroyMasterControl();
    return false;
  }
  master->StartMetering();
  return true;
}

HWND VelmoraApp::OpenWindow(HINSTANCE instance, int show) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  const HWND window = MainWindow::Create(instance);
  if (window == nullptr) return nullptr;
  ShowWindow(window, show);
  UpdateWindow(window);
  return window;
}

// Any command-line text is loaded (a path that names nothing gets the
// loader's own log line) and then logged as it was given.
void VelmoraApp::LoadCommandLineFile(const char* commandLine) {
  if (commandLine == nullptr || *commandLine == '\0') return;
  LoadSettingsFile(SettingsPathFromCommandLine(commandLine).c_str());
  platform::Log("%s\n", commandLine);
}

void VelmoraApp::Dispatch(MSG& msg, HWND mainWindow) {
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB) {
    MainWindow::WindowProc(mainWindow, msg.message, msg.wParam, msg.lParam);
    return;
  }
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

int VelmoraApp::MessageLoop(HWND mainWindow) {
  MSG msg{};
  BOOL got;
  while ((got = GetMessageA(&msg, nullptr, 0, 0)) > 0) Dispatch(msg, mainWindow);
  return got == 0 ? static_cast<int>(msg.wParam) : 1;
}

int VelmoraApp::Run(HINSTANCE instance, const char* commandLine, int show) {
  TRACE("WinMain\n");
  if (!StartEngine()) return 0;
  const HWND window = OpenWindow(instance, show);
  if (window == nullptr) {
    DestroyMasterControl();
    return 1;
  }
  LoadCommandLineFile(commandLine);
  return MessageLoop(window);
}
