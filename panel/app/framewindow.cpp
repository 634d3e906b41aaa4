#include "panel/app/framewindow.h"

#include "panel/app/application.h"
#include "panel/app/formview.h"
#include "panel/app/resstrings.h"
#include "panel/app/windowdpi.h"
#include "panel/dpiscale.h"
#include "platform/log.h"
#include "windows/workarea.h"

namespace app {
namespace {
constexpr wchar_t kClassName[] = L"KorvaneFrame";
}  // namespace

void FrameWindow::RegisterFrameClass(unsigned iconId) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  if (GetClassInfoExW(GetModuleHandleW(nullptr), kClassName, &windowClass)) return;
  windowClass.lpfnWndProc = &FrameWindow::WindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  if (iconId != 0) {
    windowClass.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId));
    windowClass.hIconSm = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId), IMAGE_ICON, 16, 16, 0));
  }
  RegisterClassExW(&windowClass);
}

FrameWindow::~FrameWindow() {
  if (hwnd_ != nullptr && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

bool FrameWindow::Create(const std::wstring& title, unsigned menuId, unsigned iconId) {
  RegisterFrameClass(iconId);
  HMENU menu =
      menuId != 0 ? LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(menuId)) : nullptr;
  // The object reaches its window procedure through the creation parameter.
  HWND created =
      CreateWindowExW(0, kClassName, title.c_str(), Style(), CW_USEDEFAULT, CW_USEDEFAULT, 400, 300,
                      nullptr, menu, GetModuleHandleW(nullptr), this);
  if (created == nullptr && menu != nullptr) DestroyMenu(menu);
  return created != nullptr;
}

void FrameWindow::RecalcLayout() {
  if (hwnd_ == nullptr) return;
  statusBar_.Layout();
  if (view_ == nullptr || view_->Handle() == nullptr) return;
  RECT client;
  GetClientRect(hwnd_, &client);
  MoveWindow(view_->Handle(), 0, 0, client.right, client.bottom - statusBar_.Height(), TRUE);
}

void FrameWindow::ResizeParentToFit() {
  if (hwnd_ == nullptr || view_ == nullptr) return;
  const SIZE form = view_->FormSize();
  RECT wanted{0, 0, form.cx, form.cy + statusBar_.Height()};
  AdjustWindowRectEx(&wanted, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)),
                     GetMenu(hwnd_) != nullptr,
                     static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
  SetWindowPos(hwnd_, nullptr, 0, 0, wanted.right - wanted.left, wanted.bottom - wanted.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // A menu bar that wraps only shows once the window has its width.
  RECT client;
  GetClientRect(hwnd_, &client);
  const int missing = form.cy + statusBar_.Height() - client.bottom;
  if (missing > 0) {
    RECT window;
    GetWindowRect(hwnd_, &window);
    SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left,
                 window.bottom - window.top + missing, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RecalcLayout();
}

void FrameWindow::OnDpiChanged(UINT dpi, const RECT& suggested) {
  if (hwnd_ == nullptr) return;
  if (!dpiscale::Plausible(dpi)) {
    platform::Log("Frame: a DPI of %u is not one of a monitor; the layout stays.\n", dpi);
    return;
  }
  monitorDpi_ = dpi;
  const RECT workArea = WorkAreaAt(suggested);
  // Laid out for the monitor first: the frame the system draws there is part
  // of what must fit.
  LayOutForDpi(dpi);
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  if (view_ != nullptr) {
    const SIZE form = view_->FormSize();
    FitClientTo({form.cx, form.cy + statusBar_.Height()});
    RecalcLayout();
  }
  FitTo(dpi, workArea);
}

void FrameWindow::FitToWorkArea() {
  if (hwnd_ == nullptr) return;
  if (monitorDpi_ == 0) monitorDpi_ = WindowDpi(hwnd_);
  FitTo(monitorDpi_, WorkAreaOf(hwnd_));
}

// The status bar's height at another DPI is an estimate, and the menu bar may
// wrap at a narrower width: a window that still does not fit is fitted again
// from the size it has.
void FrameWindow::FitTo(UINT monitorDpi, const RECT& workArea) {
  for (int pass = 0; pass < 3 && view_ != nullptr; ++pass) {
    const UINT dpi = FittingDpi(monitorDpi, workArea);
    if (dpi == view_->Dpi()) break;
    platform::Log("Frame: laid out for %u dpi on a monitor of %u dpi, to fit its work area.\n", dpi,
                  monitorDpi);
    LayOutForDpi(dpi);
    const SIZE form = view_->FormSize();
    FitClientTo({form.cx, form.cy + statusBar_.Height()});
    RecalcLayout();
  }
  KeepInside(hwnd_, workArea);
}

UINT FrameWindow::FittingDpi(UINT monitorDpi, const RECT& workArea) const {
  if (view_ == nullptr || view_->Handle() == nullptr) return monitorDpi;
  RECT client, window;
  GetClientRect(hwnd_, &client);
  GetWindowRect(hwnd_, &window);
  // The frame as it is: a menu bar that wraps takes more than one row.
  const ScreenSize frame{window.right - window.left - client.right,
                         window.bottom - window.top - client.bottom};
  // The status bar's height follows its font; scaled, it is right to a pixel.
  const UINT viewDpi = view_->Dpi();
  const int status = statusBar_.Height();
  const auto clientAt = [this, viewDpi, status](int dpi) {
    const SIZE form = view_->FormSizeAt(static_cast<UINT>(dpi));
    return ScreenSize{form.cx,
                      form.cy + dpiscale::Rescale(status, viewDpi, static_cast<unsigned>(dpi))};
  };
  return static_cast<UINT>(
      ::FittingDpi(static_cast<int>(monitorDpi), SizeOf(workArea), frame, clientAt));
}

void FrameWindow::LayOutForDpi(UINT dpi) {
  statusBar_.SetDpi(dpi);
  if (view_ != nullptr) view_->OnDpiChanged(dpi);
  OnFrameDpiChanged(dpi);
}

void FrameWindow::FitClientTo(SIZE wanted) {
  // The suggested rectangle is the old one scaled, which holds the scaled
  // form only to a pixel or two; and a menu bar may wrap at the new width.
  for (int pass = 0; pass < 2; ++pass) {
    RECT client, window;
    GetClientRect(hwnd_, &client);
    if (client.right == wanted.cx && client.bottom == wanted.cy) return;
    GetWindowRect(hwnd_, &window);
    SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left + wanted.cx - client.right,
                 window.bottom - window.top + wanted.cy - client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void FrameWindow::SetMessageText(const std::wstring& text) { statusBar_.SetPaneText(0, text); }

void FrameWindow::OnMenuSelect(UINT item, UINT flags, HMENU menu) {
  if (flags == 0xFFFF && menu == nullptr) {
    // The menu closed.
    SetMessageText(LoadResString(kStringIdleText));
    return;
  }
  if ((flags & (MF_POPUP | MF_SEPARATOR)) != 0) {
    SetMessageText(L"");
    return;
  }
  SetMessageText(PromptText(item));
}

void FrameWindow::OnCommand(unsigned id) {
  if (view_ != nullptr && view_->RouteCommand(id)) return;
  if (RouteCommand(id)) return;
  if (Application* application = Application::Current()) application->RouteCommand(id);
}

bool FrameWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_SIZE:
      RecalcLayout();
      return false;
    case WM_DPICHANGED:
      if (lParam == 0) return false;
      OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      result = 0;
      return true;
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETWORKAREA) FitToWorkArea();
      return false;
    case WM_DISPLAYCHANGE:
      FitToWorkArea();
      return false;
    case WM_MENUSELECT:
      OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
      result = 0;
      return true;
    case WM_COMMAND:
      if (lParam == 0) {  // menus and accelerators
        OnCommand(LOWORD(wParam));
        result = 0;
        return true;
      }
      return false;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE && view_ != nullptr) view_->SaveFocusControl();
      return false;
    case WM_SETFOCUS:
      if (view_ != nullptr && view_->Handle() != nullptr) SetFocus(view_->Handle());
      result = 0;
      return true;
    case WM_CLOSE:
      DestroyWindow(hwnd_);
      result = 0;
      return true;
    case WM_DESTROY:
      if (Application* application = Application::Current();
          application != nullptr && application->MainWindow() == this)
        PostQuitMessage(0);
      return false;
    default:
      return false;
  }
}

LRESULT CALLBACK FrameWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* created =
        reinterpret_cast<FrameWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    created->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* self = reinterpret_cast<FrameWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_CREATE && self != nullptr) return self->OnCreate() ? 0 : -1;
  if (message == WM_NCDESTROY && self != nullptr) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  LRESULT result = 0;
  if (self != nullptr && self->HandleMessage(message, wParam, lParam, result)) return result;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace app
