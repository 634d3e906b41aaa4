#include "gui/velmoraapp.h"

#include <commctrl.h>

#include <string>

#include "gui/channelstrips.h"
#include "gui/filecommands.h"
#include "gui/mainwindow.h"
#include "gui/mixkeys.h"
#include "gui/singlemixer.h"
#include "korvaneobjects/korvanemastercontrol.h"
#include "platform/log.h"
#include "platform/messagebox.h"
#include "velmora/velmora.h"
#include "resources/velmora_ids.h"
#include "windows/debug.h"
#include "windows/wdrawncontrol.h"

namespace {

// The file commands' keys; the menu shows its texts as designed, without them.
HACCEL FileShortcuts() {
  static ACCEL keys[] = {
      {FCONTROL | FVIRTKEY, 'O', ID_FILE_OPEN},
      {FCONTROL | FVIRTKEY, 'S', ID_FILE_SAVE},
      {FCONTROL | FSHIFT | FVIRTKEY, 'S', ID_FILE_SAVEAS},
  };
  static HACCEL table = CreateAcceleratorTableA(keys, sizeof keys / sizeof keys[0]);
  return table;
}

bool IsInWindow(HWND window, HWND candidate) {
  return candidate != nullptr && (candidate == window || IsChild(window, candidate));
}

// The wheel turns the drawn control under the pointer, whichever has the focus.
void AimWheel(MSG& msg, HWND mainWindow) {
  const POINT screen{static_cast<short>(LOWORD(msg.lParam)),
                     static_cast<short>(HIWORD(msg.lParam))};
  HWND under = WindowFromPoint(screen);
  if (IsInWindow(mainWindow, under) && dynamic_cast<WDrawnControl*>(WWindow::Get(under)))
    msg.hwnd = under;
}

}  // namespace

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
  const bool keyDown = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
  if (keyDown) WDrawnControl::NoteKeyDown(msg.wParam);
  if (msg.message == WM_KEYDOWN && (msg.wParam == VK_TAB || msg.wParam == VK_F6)) {
    MainWindow::WindowProc(mainWindow, msg.message, msg.wParam, msg.lParam);
    return;
  }
  if (keyDown && IsInWindow(mainWindow, msg.hwnd) &&
      TranslateAcceleratorA(mainWindow, FileShortcuts(), &msg))
    return;
  if (IsInWindow(mainWindow, msg.hwnd) && MixKeys::Take(msg, mainWindow)) return;
  if (msg.message == WM_MOUSEWHEEL) AimWheel(msg, mainWindow);
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
  const int exitCode = MessageLoop(window);
  // Files taken while the question that ended the mixer was open: a new
  // start opens them once this one has let go of the unit and the name.
  SingleMixer::HandOn(MainWindow::TakeWaitingCommandLines());
  return exitCode;
}
