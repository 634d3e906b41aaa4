#include "panel/app/singledoctemplate.h"

namespace app {

SingleDocTemplate::SingleDocTemplate(unsigned resourceId,
                                     std::function<std::unique_ptr<Document>()> makeDocument,
                                     std::function<std::unique_ptr<FrameWindow>()> makeFrame,
                                     std::function<std::unique_ptr<FormView>()> makeView)
    : resourceId_(resourceId),
      makeDocument_(std::move(makeDocument)),
      makeFrame_(std::move(makeFrame)),
      makeView_(std::move(makeView)) {}

bool SingleDocTemplate::OpenDocument(const std::wstring& title) {
  CloseDocument();
  document_ = makeDocument_();
  frame_ = makeFrame_();
  if (!frame_->Create(title, resourceId_, 0)) {
    CloseDocument();
    return false;
  }
  view_ = makeView_();
  if (!view_->Create(*frame_, *document_)) {
    CloseDocument();
    return false;
  }
  frame_->SetActiveView(view_.get());
  frame_->RecalcLayout();
  view_->OnInitialUpdate();
  frame_->FitToWorkArea();
  return true;
}

void SingleDocTemplate::CloseDocument() {
  if (frame_) frame_->SetActiveView(nullptr);
  view_.reset();
  frame_.reset();
  document_.reset();
}

}  // namespace app
