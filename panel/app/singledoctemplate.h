// The single-document template: makes the program's one document, its frame
// and its form view, ties them together and gives the view its first update.
#pragma once

#include <functional>
#include <memory>

#include "panel/app/document.h"
#include "panel/app/formview.h"
#include "panel/app/framewindow.h"

namespace app {

class SingleDocTemplate {
 public:
  SingleDocTemplate(unsigned resourceId, std::function<std::unique_ptr<Document>()> makeDocument,
                    std::function<std::unique_ptr<FrameWindow>()> makeFrame,
                    std::function<std::unique_ptr<FormView>()> makeView);

  // A new empty document with its frame (titled `title`, menu and icon of the
  // template's resource id) and view; the frame is created hidden. False when
  // a window could not be made (nothing is kept then).
  bool OpenDocument(const std::wstring& title);

  Document* GetDocument() const { return document_.get(); }
  FrameWindow* GetFrame() const { return frame_.get(); }
  FormView* GetView() const { return view_.get(); }

  // Destroys the windows and the document (the view before the frame).
  void CloseDocument();

 private:
  unsigned resourceId_;
  std::function<std::unique_ptr<Document>()> makeDocument_;
  std::function<std::unique_ptr<FrameWindow>()> makeFrame_;
  std::function<std::unique_ptr<FormView>()> makeView_;
  std::unique_ptr<Document> document_;
  std::unique_ptr<FrameWindow> frame_;
  std::unique_ptr<FormView> view_;
};

}  // namespace app
