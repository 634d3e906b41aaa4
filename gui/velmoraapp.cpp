#include "gui/velmoraapp.h"

#include <commctrl.h>

#include <string>

#include "gui/channelstrips.h"
#include "gui/filecommands.h"
#include "gui/mainwindow.h"
#include "gui/singlemixer.h"
#include "korvaneobjects/korvanemastercontrol.h"
#include "platform/log.h"
#include "platform/messagebox.h"
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
  // One mixer drives the unit: a second start hands its file to the first.
  SingleMixer single;
  if (!single.IsFirst() && single.HandOver(commandLine)) return 0;
  if (!StartEngine()) return 0;
  const HWND window = OpenWindow(instance, show);
  if (window == nullptr) {
    DestroyMasterControl();
    return 1;
  }
  LoadCommandLineFile(window, commandLine);
  return MessageLoop(window);
}
