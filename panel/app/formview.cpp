#include "panel/app/formview.h"

#include "panel/app/framewindow.h"
#include "panel/app/windowdpi.h"

namespace app {

bool FormView::Create(FrameWindow& frame, Document& document) {
  frame_ = &frame;
  document_ = &document;
  if (!CreateModeless(frame.Handle())) return false;
  ShowWindow(Handle(), SW_SHOW);
  RECT rect;
  GetWindowRect(Handle(), &rect);
  formSize_ = {rect.right - rect.left, rect.bottom - rect.top};
  dpi_ = WindowDpi(Handle());
  layout_.Record(Handle(), dpi_);
  KeepOwnDpiLayout(Handle());
  return true;
}

SIZE FormView::FormSize() const { return formSize_; }

SIZE FormView::FormSizeAt(UINT dpi) const {
  if (dpi == dpi_) return formSize_;
  if (dpi == layout_.Dpi()) return layout_.Size(layout_.Font());
  const FontHandle font(CreateDialogFontForDpi(layout_.Font(), layout_.Dpi(), dpi));
  return layout_.Size(font.Get() != nullptr ? font.Get() : layout_.Font());
}

HFONT FormView::FormFont() const {
  return reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0));
}

void FormView::OnDpiChanged(UINT dpi) {
  if (Handle() == nullptr || dpi == dpi_) return;
  // Back at the DPI it was made for, the form has its own font and every
  // pixel it had.
  HFONT font = dpi == layout_.Dpi() ? layout_.Font()
                                    : CreateDialogFontForDpi(layout_.Font(), layout_.Dpi(), dpi);
  if (font == nullptr) font = layout_.Font();
  layout_.Apply(font);
  OnLayOutForDpi(dpi, font);
  formSize_ = layout_.Size(font);
  // Only now that no control has it any more.
  font_.Reset(font != layout_.Font() ? font : nullptr);
  dpi_ = dpi;
}

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
