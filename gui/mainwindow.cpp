#include "gui/mainwindow.h"

#include <algorithm>

#include "gui/channelstrips.h"
#include "gui/filecommands.h"
#include "gui/mixerlayout.h"
#include "gui/preferencesdialog.h"
#include "gui/unitwatch.h"
#include "korvaneobjects/korvanemastercontrol.h"
#include "platform/assert.h"
#include "platform/messagebox.h"
#include "resources/velmora_ids.h"
#include "velmora/velmora.h"
#include "windows/reflect.h"
#include "windows/wedit.h"

namespace {

constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// 582 x 694 holds the 650 pixel high layout under the classic window metrics.
// Where the caption, menu or frame are larger (a scaled display, another
// theme), the window grows by as much, so that nothing of the layout is cut
// off at its bottom or right edge.
SIZE OuterSize() {
  RECT outer{0, 0, kLayoutWidth, kLayoutHeight};
  const SIZE classic{MainWindow::kWidth, MainWindow::kHeight};
  if (!AdjustWindowRectEx(&outer, kWindowStyle, TRUE, 0)) return classic;
  return {std::max(outer.right - outer.left, classic.cx),
          std::max(outer.bottom - outer.top, classic.cy)};
}

bool IsDescendant(HWND window, HWND candidate) {
  return candidate != nullptr && IsChild(window, candidate);
}

// A value typed into a box but not entered yet is a change all the same:
// leaving the box would write it, so closing writes it before asking.
void CommitTypedValue(HWND window) {
  HWND focus = GetFocus();
  if (!IsDescendant(window, focus) || !SendMessageA(focus, EM_GETMODIFY, 0, 0)) return;
  if (auto* box = dynamic_cast<WEdit*>(WWindow::Get(focus))) box->Commit();
}

// True while the save question, or the file dialog it leads to, is open.
bool asking = false;

}  // namespace

bool MainWindow::Register(HINSTANCE instance) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(instance, kClassName, &existing)) return true;

  WNDCLASSEXA wndclassex{};
  wndclassex.cbSize = sizeof wndclassex;
  wndclassex.style = 0;
  wndclassex.lpfnWndProc = WindowProc;
  wndclassex.hInstance = instance;
  wndclassex.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_VELMORA));
  KORVANE_ASSERT(wndclassex.hIcon, "wndclassex.hIcon");
  wndclassex.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_VELMORA),
                                                     IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                     GetSystemMetrics(SM_CYSMICON), 0));
  wndclassex.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wndclassex.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wndclassex.lpszMenuName = MAKEINTRESOURCEA(IDR_VELMORA_MENU);
  wndclassex.lpszClassName = kClassName;
  return RegisterClassExA(&wndclassex) != 0;
}

HWND MainWindow::Create(HINSTANCE instance) {
  if (!Register(instance)) return nullptr;
  const SIZE size = OuterSize();
  return CreateWindowExA(0, kClassName, "Korvane Velmora", kWindowStyle, CW_USEDEFAULT,
                         CW_USEDEFAULT, size.cx, size.cy, nullptr, nullptr, instance, nullptr);
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT unitResult = 0;
  if (UnitWatch::OnMessage(hwnd, msg, wParam, lParam, &unitResult)) return unitResult;
  switch (msg) {
    case WM_CREATE:
      return OnCreate(hwnd);
    case WM_COMMAND:
      return OnCommand(hwnd, wParam, lParam);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
      // Value boxes and labels choose their own colours; the combo box keeps the system's.
      LRESULT result = 0;
      if (ReflectToChild(msg, wParam, lParam, &result)) return result;
      break;
    }
    case WM_KEYDOWN:
      if (wParam != VK_TAB) break;
      OnTab(hwnd);
      return 0;
    case WM_CLOSE:
      OnClose(hwnd);
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT MainWindow::OnCreate(HWND hwnd) {
  ChannelStrips::Create(hwnd);
  // Switching the mixer on during creation went through the parameter
  // interface like a user's change; the user has changed nothing yet.
  savedFlag = true;
  UnitWatch::Start(hwnd);
  return 0;
}

LRESULT MainWindow::OnCommand(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case ID_FILE_EXIT:
      SendMessageA(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case ID_FILE_PREFERENCES:
      RunPreferencesDialog(hwnd);
      return 0;
    case ID_FILE_SAVEAS:
      SaveSettingsCommand(hwnd, "Save As");
      return 0;
    case ID_FILE_SAVE:
      SaveSettingsCommand(hwnd, "Save");
      return 0;
    case ID_FILE_OPEN:
      OpenSettingsCommand(hwnd);
      return 0;
    case ID_HELP_ABOUT:
      ShowAbout(hwnd);
      return 0;
    default:
      break;
  }
  // A control's notification goes to its toolkit object.
  LRESULT ignored = 0;
  ReflectToChild(WM_COMMAND, wParam, lParam, &ignored);
  return 0;
}

void MainWindow::OnTab(HWND hwnd) {
  HWND from = GetFocus();
  if (!IsDescendant(hwnd, from)) {
    const std::vector<HWND>& controls = ChannelStrips::ParameterControls();
    from = controls.empty() ? nullptr : controls.front();
  }
  if (from == nullptr) return;
  const bool backwards = GetKeyState(VK_SHIFT) < 0;
  if (HWND next = GetNextDlgTabItem(hwnd, from, backwards)) SetFocus(next);
}

void MainWindow::OnClose(HWND hwnd) {
  // Another close request that arrives while the question is open (the
  // system's, at log-off or from the task list) is the same close: it is not
  // asked again inside the first, which would go on after a destroyed window.
  if (asking) return;
  CommitTypedValue(hwnd);
  if (savedFlag) {
    DestroyWindow(hwnd);
    return;
  }
  asking = true;
  const int answer = platform::ShowMessageBox(hwnd, "Want to save before quiting?",
                                              "Quit KorvaneVelmora", MB_YESNOCANCEL);
  // After a save the user asked for, the window closes; a cancelled or failed
  // save keeps it open, still unsaved, so the question comes again.
  const bool close = answer == platform::kIdNo ||
                     (answer == platform::kIdYes && SaveSettingsCommand(hwnd, "Save As"));
  asking = false;
  if (close) DestroyWindow(hwnd);
}

void MainWindow::OnDestroy() {
  UnitWatch::Stop();
  ChannelStrips::Release();
  // Stops the metering thread before the controls it draws are destroyed
  // (they go after this window's WM_DESTROY), and stores the preferences.
  DestroyMasterControl();
  PostQuitMessage(0);
}

void MainWindow::ShowAbout(HWND hwnd) {
  platform::ShowMessageBox(hwnd,
                           "Korvane Velmora, Version " VELMORA_VERSION_TEXT
                           "\n\nCopyright (C) " VELMORA_YEAR " " VELMORA_MAKER,
                           "About", MB_OK | MB_ICONINFORMATION);
}
