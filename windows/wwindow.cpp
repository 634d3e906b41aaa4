#include "windows/wwindow.h"

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>

#include "platform/assert.h"
#include "windows/debug.h"
#include "windows/waccessible.h"

namespace {
constexpr char kProperty[] = "w";

// Each bound window's object, beside its property: the system keeps window
// properties in the window server, so reading one is a round trip there
// (under Wine a wineserver request), and SharedWindowProc needs the object
// for every message of every control.
// Never destroyed: a window may still go after the program's statics.
struct BoundObjects {
  std::mutex lock;
  std::unordered_map<HWND, WWindow*> objects;
};
BoundObjects& Bound() {
  static auto* bound = new BoundObjects;
  return *bound;
}

AccessibleSource* SourceOf(HWND hwnd) {
  return dynamic_cast<AccessibleSource*>(WWindow::Get(hwnd));
}

// A window whose object says what it is answers screen readers with it.
bool AnswerAccessibility(WWindow* win, HWND hwnd, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  return dynamic_cast<AccessibleSource*>(win) &&
         AnswerGetObject(hwnd, wParam, lParam, &SourceOf, result);
}

HINSTANCE ProgramInstance() { return GetModuleHandleA(nullptr); }

// Registered by this program, or one of the system's own classes. A class
// once found stays known: the mixer makes eighty windows of a dozen classes,
// and each look-up asks the system.
bool IsKnownClass(const char* name) {
  static std::mutex lock;
  static std::set<std::string> known;
  std::lock_guard<std::mutex> hold(lock);
  if (known.count(name)) return true;
  WNDCLASSEXA info{};
  info.cbSize = sizeof info;
  if (!GetClassInfoExA(ProgramInstance(), name, &info) && !GetClassInfoExA(nullptr, name, &info))
    return false;
  known.insert(name);
  return true;
}
}  // namespace

LRESULT CALLBACK SharedWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  WWindow* win = WWindow::Get(hwnd);
  KORVANE_ASSERT(win, "win");
  if (!win) return DefWindowProcA(hwnd, msg, wParam, lParam);
  // Taken before the object can go: a handler may destroy its own window.
  const WNDPROC oldProc = win->OldWndProc;
  if (msg == WM_DESTROY) {
    TRACE("WM_DESTROY: %s\n", win->ClassName());
    delete win;  // detaches, so the old procedure is back in place
    // A system control frees what it holds on WM_DESTROY: it must see it.
    return oldProc ? CallWindowProcA(oldProc, hwnd, msg, wParam, lParam) : 0;
  }
  WMessage record{msg, wParam, lParam, 0};
  if (msg == WM_GETOBJECT && AnswerAccessibility(win, hwnd, wParam, lParam, &record.result))
    return record.result;
  if (win->HandleMessage(record)) return record.result;
  KORVANE_ASSERT(oldProc, "win->OldWndProc");
  if (!oldProc) return DefWindowProcA(hwnd, msg, wParam, lParam);
  return CallWindowProcA(oldProc, hwnd, msg, wParam, lParam);
}

WWindow::~WWindow() { Detach(); }

void WWindow::OnCommand(int, WMessage&) {}

void WWindow::Refresh() { Invalidate(); }

bool WWindow::HandleMessage(WMessage&) { return false; }

bool WWindow::Create(HWND parent, int id, int x, int y, int cx, int cy, const char* text,
                     DWORD style, DWORD exStyle) {
  if (!IsKnownClass(ClassName())) RegisterWindowClass();
  HWND hwnd = CreateWindowExA(
      exStyle, ClassName(), text, style | WS_CHILD | (hidden ? 0 : WS_VISIBLE), x, y, cx, cy,
      parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ProgramInstance(), nullptr);
  if (!hwnd) return false;
  Attach(hwnd);
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(scale)), FALSE);
  return true;
}

void WWindow::Rescale(const WScale& newScale, const WScaledRect& rect) {
  scale = newScale;
  Place(rect);
}

void WWindow::Place(const WScaledRect& rect) {
  if (!HWnd) return;
  SetWindowPos(HWnd, nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
               SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageA(HWnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(scale)), FALSE);
  InvalidateRect(HWnd, nullptr, TRUE);
}

// The stock font is a bitmap font of 96-dpi pixels; its description, with the
// height scaled, makes an outline font of the same look at any size. A
// failure falls back on the stock font: text too small beats no text.
HFONT WWindow::FontFor(const WScale& scale) {
  HGDIOBJ stock = GetStockObject(ANSI_VAR_FONT);
  if (scale.IsIdentity()) return static_cast<HFONT>(stock);
  static std::mutex lock;  // the meters draw their read-outs on the metering thread
  static std::map<int, HFONT> fonts;
  std::lock_guard<std::mutex> hold(lock);
  const auto found = fonts.find(scale.Dpi());
  if (found != fonts.end()) return found->second;
  LOGFONTA description{};
  if (!GetObjectA(stock, sizeof description, &description)) return static_cast<HFONT>(stock);
  description.lfHeight = scale.Length(description.lfHeight);
  description.lfWidth = 0;
  description.lfOutPrecision = OUT_TT_PRECIS;
  description.lfQuality = CLEARTYPE_QUALITY;
  HFONT made = CreateFontIndirectA(&description);
  if (!made) return static_cast<HFONT>(stock);
  fonts[scale.Dpi()] = made;
  return made;
}

bool WWindow::RegisterWindowClass() {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = ProgramInstance();
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = ClassName();
  return RegisterClassExA(&wc) != 0;
}

void WWindow::Attach(HWND hwnd) {
  KORVANE_ASSERT(hwnd != nullptr, "hwnd != NULL");
  KORVANE_ASSERT(::IsWindow(hwnd), "::IsWindow(hwnd)");
  if (!hwnd || !::IsWindow(hwnd)) return;
  Detach();  // one window per object: its old procedure would be ours otherwise
  HWnd = hwnd;
  SetPropA(hwnd, kProperty, this);
  {
    std::lock_guard<std::mutex> hold(Bound().lock);
    Bound().objects[hwnd] = this;
  }
  OldWndProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SharedWindowProc)));
}

void WWindow::Detach() {
  if (!HWnd) return;
  SetWindowLongPtrA(HWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OldWndProc));
  KORVANE_ASSERT(Get(HWnd) == this, "Get(HWnd) == this");
  RemovePropA(HWnd, kProperty);
  {
    std::lock_guard<std::mutex> hold(Bound().lock);
    Bound().objects.erase(HWnd);
  }
  HWnd = nullptr;
}

WWindow* WWindow::Get(HWND hwnd) {
  if (!hwnd) return nullptr;
  KORVANE_ASSERT(::IsWindow(hwnd), "::IsWindow(hwnd)");
  std::lock_guard<std::mutex> hold(Bound().lock);
  const auto found = Bound().objects.find(hwnd);
  return found == Bound().objects.end() ? nullptr : found->second;
}

int WWindow::GetId() const { return GetDlgCtrlID(HWnd); }

// Unbound, there is nothing to repaint; a null handle would make the system
// redraw every window on the screen, sending messages as it goes. A window
// not shown yet (the mixer's controls while its window is being made) is
// painted whole when it shows: marking it costs a round trip to the window
// server and changes nothing.
void WWindow::Invalidate() {
  if (HWnd && IsWindowVisible(HWnd)) InvalidateRect(HWnd, nullptr, FALSE);
}
