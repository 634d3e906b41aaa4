// A view laid out from a dialog resource: a modeless child dialog that fills
// the frame's client area above the status bar. Its template must carry the
// child style.
#pragma once

#include "panel/app/dialog.h"
#include "panel/app/dialoglayout.h"
#include "panel/app/fonthandle.h"

namespace app {

class Document;
class FrameWindow;

class FormView : public Dialog {
 public:
  using Dialog::Dialog;

  bool Create(FrameWindow& frame, Document& document);
  FrameWindow* Frame() const { return frame_; }
  Document* GetDocument() const { return document_; }

  // The form's size in pixels, as its template lays it out at the form's DPI.
  SIZE FormSize() const;
  // The form's size as it would be laid out at `dpi`.
  SIZE FormSizeAt(UINT dpi) const;
  // The DPI the form is laid out for.
  UINT Dpi() const { return dpi_; }
  // The monitor's DPI became `dpi`: the form lays its controls out again,
  // with its font at that DPI, and takes the size it has there.
  void OnDpiChanged(UINT dpi);

  // Once the frame, document and view exist, before the frame is shown.
  virtual void OnInitialUpdate() {}
  // Remembers the control with the keyboard focus as the frame loses the
  // activation (a dialog or another program comes up), so that the focus
  // goes back to it, not to the form's first control, when the frame is
  // active again.
  void SaveFocusControl();

 protected:
  // A view lives as long as its frame: Enter and Escape do not end it.
  void OnOK() override {}
  void OnCancel() override {}
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  // The font of the form at its DPI (what its controls have).
  HFONT FormFont() const;
  // The form's controls as the dialog manager made them.
  const DialogLayout& Layout() const { return layout_; }
  // While the form lays itself out for `dpi`: what else it holds (child
  // dialogs, image lists) follows, with `font`, the form's new font.
  virtual void OnLayOutForDpi(UINT /*dpi*/, HFONT /*font*/) {}

 private:
  FrameWindow* frame_ = nullptr;
  Document* document_ = nullptr;
  SIZE formSize_{};
  UINT dpi_ = 96;
  DialogLayout layout_;
  FontHandle font_;  // the form's font when not the one it was made with
  HWND focus_ = nullptr;
};

}  // namespace app
