#include "panel/app/dialog.h"

#include <algorithm>

namespace app {
namespace {
Dialog::ModalHook& Hook() {
  static Dialog::ModalHook hook;
  return hook;
}
}  // namespace

namespace {
// Modal dialogs come up over the window they belong to, kept on its screen.
void CenterOverOwner(HWND dialog) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (owner == nullptr || !IsWindowVisible(owner) || IsIconic(owner)) return;
  RECT over, rect;
  GetWindowRect(owner, &over);
  GetWindowRect(dialog, &rect);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& work = monitor.rcWork;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  int x = (over.left + over.right - width) / 2, y = (over.top + over.bottom - height) / 2;
  x = std::max<int>(work.left, std::min<int>(x, work.right - width));
  y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

Dialog::~Dialog() {
  if (hwnd_ != nullptr && IsWindow(hwnd_)) {
    SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    DestroyWindow(hwnd_);
  }
}

void Dialog::SetModalHook(ModalHook hook) { Hook() = std::move(hook); }

INT_PTR Dialog::DoModal(HWND owner) {
  if (Hook()) return Hook()(*this, owner);
  return RunModal(owner);
}

INT_PTR Dialog::RunModal(HWND owner) {
  modal_ = true;
  result_ = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner,
                            &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
  modal_ = false;
  hwnd_ = nullptr;
  // What the dialog covered is painted now: callers go on to reload pages from
  // the driver, and until then the dialog's image would stay on the screen.
  if (owner != nullptr) RedrawWindow(owner, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  return result_;
}

bool Dialog::CreateModeless(HWND parent) {
  modal_ = false;
  result_ = 0;
  HWND created = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_),
                                    parent, &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
  return created != nullptr;
}

void Dialog::End(INT_PTR result) {
  result_ = result;
  if (hwnd_ == nullptr) return;
  if (modal_)
    EndDialog(hwnd_, result);
  else
    DestroyWindow(hwnd_);
}

void Dialog::EnableItem(int id, bool enable) {
  HWND control = Item(id);
  if (control == nullptr) return;
  if (!enable && GetFocus() == control) SendMessageW(hwnd_, WM_NEXTDLGCTL, 0, FALSE);
  EnableWindow(control, enable ? TRUE : FALSE);
}

bool Dialog::UpdateData(bool save) {
  if (hwnd_ == nullptr) return false;
  DataExchange exchange(hwnd_, save);
  DoDataExchange(exchange);
  return true;
}

void Dialog::OnOK() {
  UpdateData(true);
  End(IDOK);
}

bool Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      UpdateData(false);
      if (modal_) CenterOverOwner(hwnd_);
      result = TRUE;  // the system sets the focus
      return true;
    case WM_COMMAND: {
      const unsigned id = LOWORD(wParam);
      if (id == IDOK && HIWORD(wParam) == BN_CLICKED) {
        OnOK();
        return true;
      }
      if (id == IDCANCEL && HIWORD(wParam) == BN_CLICKED) {
        OnCancel();
        return true;
      }
      // Only clicks and menu or accelerator commands are commands; other
      // control notifications (focus, edit changes) are not routed.
      const WORD code = HIWORD(wParam);
      if (code == BN_CLICKED || lParam == 0) return RouteCommand(id);
      return false;
    }
    case WM_NOTIFY:
      result = OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
      return true;
    default:
      return false;
  }
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* self;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
  } else {
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  if (self == nullptr) return FALSE;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
    return FALSE;
  }
  LRESULT result = 0;
  if (!self->HandleMessage(message, wParam, lParam, result)) return FALSE;
  if (message == WM_INITDIALOG) return static_cast<INT_PTR>(result);
  SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
  return TRUE;
}

}  // namespace app
