#include "panel/pages/namedlg.h"

#include "panel/app/resstrings.h"
#include "panel/drivertext.h"
#include "panel/pages/ansiname.h"

void CNameDlg::OnInitDialog() { text_ = app::FromAnsi(NameText(NameField())); }

void CNameDlg::DoDataExchange(app::DataExchange& exchange) { exchange.Text(editId_, text_); }

void CNameDlg::OnOK() {
  UpdateData(true);
  SetName(NameField(), AnsiName(text_));
  End(IDOK);
}
