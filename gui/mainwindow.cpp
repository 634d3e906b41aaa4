#include "gui/mainwindow.h"

#include <algorithm>
#include <cwchar>
#include <deque>
#include <string>

#include "gui/channelstrips.h"
#include "gui/commandline.h"
#include "gui/filecommands.h"
#include "gui/mixcommands.h"
#include "gui/mixcontextmenu.h"
#include "gui/mixerlayout.h"
#include "gui/preferencesdialog.h"
#include "gui/remotecontrol.h"
#include "gui/unitwatch.h"
#include "korvaneobjects/korvanemastercontrol.h"
#include "platform/assert.h"
#include "platform/log.h"
#include "platform/messagebox.h"
#include "platform/widetext.h"
#include "resources/velmora_ids.h"
#include "velmora/mixsteps.h"
#include "velmora/velmora.h"
#include "windows/bitmapcache.h"
#include "windows/reflect.h"
#include "windows/wedit.h"
#include "windows/workarea.h"

namespace {

constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// 582 x 694 holds the 650 pixel high layout under the classic window metrics.
// Where the caption, menu or frame are larger (another theme), the window
// grows by as much, so that nothing of the layout is cut off at its bottom or
// right edge. At another DPI the layout and the classic size are scaled, and
// the frame is the one the system draws on the window's monitor.
ScreenFit MixerFit(int monitorDpi, const RECT& workArea) {
  ScreenFit fit;
  fit.monitorDpi = monitorDpi;
  fit.workArea = SizeOf(workArea);
  fit.frame = FrameExtent(kWindowStyle, 0, true, monitorDpi);
  fit.layout = {kLayoutWidth, kLayoutHeight};
  fit.minimumOuter = {MainWindow::kWidth, MainWindow::kHeight};
  return fit;
}

SIZE OuterSize(const WScale& scale, int monitorDpi) {
  const ScreenSize outer = OuterSizeAt(MixerFit(monitorDpi, RECT{}), scale.Dpi());
  return {outer.cx, outer.cy};
}

// The monitor's scale, or the largest that fits its work area.
WScale FittedScale(int monitorDpi, const RECT& workArea) {
  const WScale scale(FittingDpi(MixerFit(monitorDpi, workArea)));
  if (scale.Dpi() != monitorDpi)
    platform::Log("The mixer window does not fit its screen at %d dpi; it is scaled for %d dpi.\n",
                  monitorDpi, scale.Dpi());
  return scale;
}

// The DPI of the window's monitor; 96 for a window that is not DPI aware.
int MonitorDpi(HWND window) { return WScale(static_cast<int>(GetDpiForWindow(window))).Dpi(); }

// The scale the controls are laid out at, and the DPI of the window's
// monitor as the system last said.
WScale shownScale;
int shownMonitorDpi = WScale::kBaseDpi;

void TakeScaledSize(HWND window, const WScale& scale, int monitorDpi) {
  const SIZE size = OuterSize(scale, monitorDpi);
  RECT now{};
  GetWindowRect(window, &now);
  if (now.right - now.left == size.cx && now.bottom - now.top == size.cy) return;
  SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
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
// True once the window is to be destroyed: a file taken now would go with
// it, so a hand-over is refused and its start waits for this mixer to end.
bool closing = false;

// Command lines handed over by later starts, oldest first, still to load.
std::deque<std::string> handedCommandLines;
// Those still waiting when the window was destroyed: the program hands them on.
std::vector<std::string> leftOverCommandLines;
constexpr UINT kOpenHandedFiles = WM_APP + 1;
constexpr UINT_PTR kRetryHandedFilesTimer = 1;
constexpr UINT kRetryHandedFilesMs = 250;
// The longest command line a later start can hand over, in characters.
constexpr DWORD kMaxHandedCharacters = 32768;

bool HasUnsavedMix(HWND window) {
  CommitTypedValue(window);
  return !savedFlag;
}

enum class MixAnswer { kMayGo, kNotSaved, kKeep };

// A Yes / No / Cancel question about the unsaved mix. The mix may go after
// No, or after Yes once the save happened; a cancelled or failed save keeps
// it, still unsaved.
MixAnswer AskAboutUnsavedMix(HWND window, const char* text, const char* caption) {
  asking = true;
  const int answer = platform::ShowMessageBox(window, text, caption, MB_YESNOCANCEL);
  MixAnswer result = MixAnswer::kKeep;
  if (answer == platform::kIdNo) result = MixAnswer::kMayGo;
  if (answer == platform::kIdYes)
    result = SaveSettingsCommand(window, "Save As") ? MixAnswer::kMayGo : MixAnswer::kNotSaved;
  asking = false;
  return result;
}

// The closing question: the question comes again at the next close when the
// mix stays.
bool AskToSave(HWND window) {
  return AskAboutUnsavedMix(window, "Want to save before quiting?", "Quit KorvaneVelmora") ==
         MixAnswer::kMayGo;
}

std::string FileNameOf(const std::string& path) {
  const std::size_t folder = path.find_last_of("\\/");
  return folder == std::string::npos ? path : path.substr(folder + 1);
}

// Before a handed-over file replaces an unsaved mix. A save that did not
// happen asks again, so the file is neither opened over the mix nor dropped
// without the user's Cancel.
bool MayOpenOver(HWND window, const std::string& path) {
  const std::string text = "Save the changes to the mix before opening " + FileNameOf(path) + "?";
  MixAnswer answer;
  do {
    answer = AskAboutUnsavedMix(window, text.c_str(), "Korvane Velmora");
  } while (answer == MixAnswer::kNotSaved && IsWindow(window));
  if (answer == MixAnswer::kKeep)
    platform::Log("The mix was kept; %s was not opened.\n", path.c_str());
  return answer == MixAnswer::kMayGo;
}

// The window, or the question or dialog open over it, so that the keys go
// where the user is to answer.
void BringToFront(HWND window) {
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  SetForegroundWindow(GetLastActivePopup(window));
}

void Destroy(HWND window) {
  closing = true;
  DestroyWindow(window);
}

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
  const int systemDpi = static_cast<int>(GetDpiForSystem());
  const SIZE size = OuterSize(WScale(systemDpi), systemDpi);
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
    case WM_CONTEXTMENU:
      if (MixContextMenu::Open(hwnd, lParam)) return 0;
      break;
    case WM_DPICHANGED:
      OnDpiChanged(hwnd, HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETWORKAREA) OnScreenChanged(hwnd);
      break;
    case WM_DISPLAYCHANGE:
      OnScreenChanged(hwnd);
      break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
      // Value boxes and labels choose their own colours; the combo box keeps the system's.
      LRESULT result = 0;
      if (ReflectToChild(msg, wParam, lParam, &result)) return result;
      break;
    }
    case WM_KEYDOWN:
      if (wParam == VK_F6) {
        OnStripKey(hwnd);
        return 0;
      }
      if (wParam != VK_TAB) break;
      OnTab(hwnd);
      return 0;
    case WM_SIZE:
      if (wParam == SIZE_MINIMIZED || wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED)
        ChannelStrips::SetMetersSeen(wParam != SIZE_MINIMIZED);
      break;
    case WM_SHOWWINDOW:
      // Sent before the window is shown or hidden; minimised, it stays unseen.
      ChannelStrips::SetMetersSeen(wParam != FALSE && !IsIconic(hwnd));
      break;
    case WM_CLOSE:
      OnClose(hwnd);
      return 0;
    case WM_QUERYENDSESSION:
      return OnQueryEndSession(hwnd);
    case WM_ENDSESSION:
      OnEndSession(hwnd, wParam != FALSE);
      return 0;
    case WM_COPYDATA:
      return OnCopyData(hwnd, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case kOpenHandedFiles:
      // Once as each hand-over arrives; the retries while a question is
      // open leave the focus where the user is answering it.
      BringToFront(hwnd);
      OpenHandedFiles(hwnd);
      return 0;
    case ChannelStrips::kShowMeterChanges:
      ChannelStrips::ShowMeterChanges();
      return 0;
    case RemoteControl::kTakeInbox:
      RemoteControl::TakeInbox(false);
      return 0;
    case WM_TIMER:
      if (wParam == RemoteControl::kInboxTimer) {
        RemoteControl::TakeInbox(true);
        return 0;
      }
      if (wParam != kRetryHandedFilesTimer) break;
      KillTimer(hwnd, kRetryHandedFilesTimer);
      OpenHandedFiles(hwnd);
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_NCDESTROY:
      closing = false;  // gone: a later window of this process takes files again
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT MainWindow::OnCreate(HWND hwnd) {
  shownMonitorDpi = MonitorDpi(hwnd);
  const RECT workArea = WorkAreaOf(hwnd);
  shownScale = FittedScale(shownMonitorDpi, workArea);
  ChannelStrips::Create(hwnd, shownScale);
  // Made on a monitor of another DPI than the system's, or too small for the
  // window: the size follows the scale.
  TakeScaledSize(hwnd, shownScale, shownMonitorDpi);
  KeepInside(hwnd, workArea);
  // Switching the mixer on during creation went through the parameter
  // interface like a user's change; the user has changed nothing yet, and a
  // new window starts a new history.
  ResetHistory();
  UnitWatch::Start(hwnd);
  RemoteControl::Start(hwnd);
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
      if (lParam == 0 && MixCommands::Run(hwnd, LOWORD(wParam))) return 0;
      break;
  }
  // A control's notification goes to its toolkit object.
  LRESULT ignored = 0;
  ReflectToChild(WM_COMMAND, wParam, lParam, &ignored);
  return 0;
}

// Moved to a monitor of another scale: every control to its place at the new
// DPI (or the largest that fits that monitor), then the window to the
// rectangle the system suggests (it keeps the window where the pointer
// dragged it). Without one, or where the window was fitted, the window keeps
// its corner and takes the size of the scale. Either way it ends inside the
// work area.
void MainWindow::OnDpiChanged(HWND hwnd, int dpi, const RECT* suggested) {
  // 25 % to 500 %: no monitor is scaled beyond, and a message of another
  // process that claims more would have the window make bitmaps of gigabytes.
  if (dpi < WScale::kBaseDpi / 4 || dpi > WScale::kBaseDpi * 5) {
    platform::Log("The mixer window ignores a change to %d dpi.\n", dpi);
    return;
  }
  shownMonitorDpi = dpi;
  const RECT workArea = suggested ? WorkAreaAt(*suggested) : WorkAreaOf(hwnd);
  const WScale scale = FittedScale(dpi, workArea);
  platform::Log("The mixer window is now at %d dpi.\n", scale.Dpi());
  RescaleControls(scale);
  if (suggested) {
    SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (!suggested || scale.Dpi() != dpi) TakeScaledSize(hwnd, scale, dpi);
  KeepInside(hwnd, workArea);
  InvalidateRect(hwnd, nullptr, TRUE);
}

// The work area or the display changed (a taskbar moved or grew, another
// resolution): the scale that fits may be another, and the window may lie
// outside.
void MainWindow::OnScreenChanged(HWND hwnd) {
  const RECT workArea = WorkAreaOf(hwnd);
  const WScale scale = FittedScale(shownMonitorDpi, workArea);
  if (!(scale == shownScale)) {
    platform::Log("The mixer window is now at %d dpi.\n", scale.Dpi());
    RescaleControls(scale);
    TakeScaledSize(hwnd, scale, shownMonitorDpi);
    InvalidateRect(hwnd, nullptr, TRUE);
  }
  KeepInside(hwnd, workArea);
}

// The bitmaps of the old scale are not drawn again; those of the new one are
// made as the controls paint.
void MainWindow::RescaleControls(const WScale& scale) {
  DrawnBitmaps().Clear();
  ChannelStrips::Rescale(scale);
  shownScale = scale;
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

// F6 and Shift+F6: round the controls of the focused control's strip. Outside
// any strip (nothing focused yet) F6 starts at the first channel's fader box.
void MainWindow::OnStripKey(HWND hwnd) {
  HWND from = GetFocus();
  const bool backwards = GetKeyState(VK_SHIFT) < 0;
  std::uint16_t next = 0;
  if (IsDescendant(hwnd, from))
    next = NextInStrip(static_cast<std::uint16_t>(GetDlgCtrlID(from)), backwards);
  if (next == 0) next = IDFADERTEXT;
  if (HWND to = GetDlgItem(hwnd, next)) SetFocus(to);
}

void MainWindow::OnClose(HWND hwnd) {
  // Another close request that arrives while the question is open (the
  // system's, at log-off or from the task list) is the same close: it is not
  // asked again inside the first, which would go on after a destroyed window.
  if (asking) return;
  if (!HasUnsavedMix(hwnd) || AskToSave(hwnd)) Destroy(hwnd);
}

// Log-off, restart or shut-down: the same question as closing, and the
// session ends only when the mix may go. While a question is open already,
// the session waits for it.
BOOL MainWindow::OnQueryEndSession(HWND hwnd) {
  if (asking) return FALSE;
  if (!HasUnsavedMix(hwnd)) return TRUE;
  // Windows shows this beside the program while it waits for the answer.
  ShutdownBlockReasonCreate(hwnd, L"The mix has changes that are not saved.");
  const bool mayEnd = AskToSave(hwnd);
  ShutdownBlockReasonDestroy(hwnd);
  return mayEnd ? TRUE : FALSE;
}

// The process may be ended as soon as this returns: shut down now, exactly
// as closing does (the device gets its last state, the preferences are
// stored), with nothing asked again.
void MainWindow::OnEndSession(HWND hwnd, bool ending) {
  if (!ending) return;
  platform::Log("The session is ending.\n");
  Destroy(hwnd);
}

// Only queued here: the sender waits for the answer, and the save question
// must not keep the other start waiting.
LRESULT MainWindow::OnCopyData(HWND hwnd, const COPYDATASTRUCT* data) {
  if (data == nullptr || data->dwData != kHandOverTag) return 0;
  const DWORD characters = data->cbData / sizeof(wchar_t);
  if (data->cbData % sizeof(wchar_t) != 0 || characters > kMaxHandedCharacters ||
      (characters > 0 && data->lpData == nullptr)) {
    platform::Log("A handed-over command line of %lu bytes was refused.\n",
                  static_cast<unsigned long>(data->cbData));
    return 0;
  }
  if (closing) {
    platform::Log("A handed-over command line was refused: the mixer is closing.\n");
    return kHandOverRefused;
  }
  std::wstring text(static_cast<const wchar_t*>(data->lpData), characters);
  text.resize(std::wcslen(text.c_str()));  // up to its zero, if it has one
  handedCommandLines.push_back(platform::Utf8FromWide(text));
  PostMessageW(hwnd, kOpenHandedFiles, 0, 0);
  return kHandOverTaken;
}

// A handed command line that names a file replaces the mix, after a question
// when something is unsaved. While a question or a dialog of the window's
// own is open, the files wait for it.
void MainWindow::OpenHandedFiles(HWND hwnd) {
  if (handedCommandLines.empty()) return;
  if (asking || !IsWindowEnabled(hwnd)) {
    SetTimer(hwnd, kRetryHandedFilesTimer, kRetryHandedFilesMs, nullptr);
    return;
  }
  while (!handedCommandLines.empty()) {
    const std::string commandLine = handedCommandLines.front();
    const bool open = !commandLine.empty() &&
                      (!HasUnsavedMix(hwnd) ||
                       MayOpenOver(hwnd, SettingsPathFromCommandLine(commandLine.c_str())));
    // Destroyed while asking (the session ended): this file and those after
    // it are handed on.
    if (!IsWindow(hwnd)) return;
    handedCommandLines.pop_front();
    if (open) LoadCommandLineFile(hwnd, commandLine.c_str());
  }
}

std::vector<std::string> MainWindow::TakeWaitingCommandLines() {
  std::vector<std::string> waiting;
  waiting.swap(leftOverCommandLines);
  return waiting;
}

void MainWindow::OnDestroy() {
  closing = true;  // whoever destroys the window
  UnitWatch::Stop();
  leftOverCommandLines.insert(leftOverCommandLines.end(), handedCommandLines.begin(),
                              handedCommandLines.end());
  handedCommandLines.clear();
  ChannelStrips::Release();
  DrawnBitmaps().Clear();
  // Stops the metering thread before the controls it draws are destroyed
  // (they go after this window's WM_DESTROY), and stores the preferences.
  DestroyMasterControl();
  // The metering thread has stopped: nothing reaches the remote control now.
  RemoteControl::End();
  PostQuitMessage(0);
}

void MainWindow::ShowAbout(HWND hwnd) {
  platform::ShowMessageBox(hwnd,
                           "Korvane Velmora, Version " VELMORA_VERSION_TEXT
                           "\n\nCopyright (C) " VELMORA_YEAR " " VELMORA_MAKER,
                           "About", MB_OK | MB_ICONINFORMATION);
}
