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

}  // namespace app
