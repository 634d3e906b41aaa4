// The rename dialogs of the Devices and Channels pages: one edit field that
// shows a name field of a copied driver record and, on "OK", writes what was
// typed back into it as the driver takes it (ANSI, whole characters, at most
// 39 bytes and the zero byte). "Cancel" leaves the copy as it was.
#pragma once

#include <string>

#include "panel/app/dialog.h"
#include "panel/driverrecords.h"
#include "panel/res/resource.h"

class CNameDlg : public app::Dialog {
 public:
  CNameDlg(unsigned templateId, int editId) : app::Dialog(templateId), editId_(editId) {}

 protected:
  // The name field of the derived dialog's record.
  using NameFieldRef = char (&)[kNameField];
  virtual NameFieldRef NameField() = 0;
  void OnInitDialog() override;
  void DoDataExchange(app::DataExchange& exchange) override;
  void OnOK() override;

 private:
  int editId_;
  std::wstring text_;
};
