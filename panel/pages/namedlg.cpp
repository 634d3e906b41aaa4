#include "panel/pages/namedlg.h"

#include "panel/app/resstrings.h"
#include "panel/drivertext.h"
#include "panel/pages/ansiname.h"

void CNameDlg::OnInitDialog() {
  text_ = app::FromAnsi(NameText(NameField()));
  // The user sees where the name ends instead of losing the rest on "OK"
  // (a character beyond the code page's single bytes may still cut it shorter).
  SendMessageW(Item(editId_), EM_LIMITTEXT, kNameMaxChars, 0);
}

void CNameDlg::DoDataExchange(app::DataExchange& exchange) { exchange.Text(editId_, text_); }

void CNameDlg::OnOK() {
  UpdateData(true);
  SetName(NameField(), AnsiName(text_));
  End(IDOK);
}
