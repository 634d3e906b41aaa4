#include "panel/app/formview.h"

#include "panel/app/framewindow.h"

namespace app {

bool FormView::Create(FrameWindow& frame, Document& document) {
  frame_ = &frame;
  document_ = &document;
  if (!CreateModeless(frame.Handle())) return false;
  ShowWindow(Handle(), SW_SHOW);
  RECT rect;
  GetWindowRect(Handle(), &rect);
  formSize_ = {rect.right - rect.left, rect.bottom - rect.top};
  return true;
}

SIZE FormView::FormSize() const { return formSize_; }

void FormView::SaveFocusControl() {
  HWND focus = GetFocus();
  if (focus != nullptr && IsChild(Handle(), focus)) focus_ = focus;
}

bool FormView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_SETFOCUS:
      if (focus_ != nullptr && IsWindow(focus_) && IsChild(Handle(), focus_) &&
          IsWindowVisible(focus_) && IsWindowEnabled(focus_)) {
        SetFocus(focus_);
        focus_ = nullptr;
        result = 0;
        return true;
      }
      focus_ = nullptr;
      return false;
    case WM_COMMAND: {
      // The dialog manager runs for the form, so Enter on a focused button
      // of a child dialog inside it (a page) comes here; the button's own
      // dialog is the one that knows what it does.
      auto control = reinterpret_cast<HWND>(lParam);
      HWND owner = control != nullptr ? GetParent(control) : nullptr;
      if (owner != nullptr && owner != Handle() && IsChild(Handle(), owner)) {
        SendMessageW(owner, WM_COMMAND, wParam, lParam);
        result = 0;
        return true;
      }
      return Dialog::HandleMessage(message, wParam, lParam, result);
    }
    default:
      return Dialog::HandleMessage(message, wParam, lParam, result);
  }
}

}  // namespace app
