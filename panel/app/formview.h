// A view laid out from a dialog resource: a modeless child dialog that fills
// the frame's client area above the status bar. Its template must carry the
// child style.
#pragma once

#include "panel/app/dialog.h"

namespace app {

class Document;
class FrameWindow;

class FormView : public Dialog {
 public:
  using Dialog::Dialog;

  bool Create(FrameWindow& frame, Document& document);
  FrameWindow* Frame() const { return frame_; }
  Document* GetDocument() const { return document_; }

  // The form's size in pixels, as its template lays it out.
  SIZE FormSize() const;

  // Once the frame, document and view exist, before the frame is shown.
  virtual void OnInitialUpdate() {}

 protected:
  // A view lives as long as its frame: Enter and Escape do not end it.
  void OnOK() override {}
  void OnCancel() override {}

 private:
  FrameWindow* frame_ = nullptr;
  Document* document_ = nullptr;
  SIZE formSize_{};
};

}  // namespace app
