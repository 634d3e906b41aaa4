// The About box: the program's title, its version and a credit line.
#pragma once

#include <string>

#include "panel/app/dialog.h"

class CAboutDlg : public app::Dialog {
 public:
  CAboutDlg();
  const std::wstring& Text() const { return text_; }

 protected:
  void DoDataExchange(app::DataExchange& exchange) override;

 private:
  std::wstring text_;
};
