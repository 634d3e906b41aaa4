#include "panel/shell/aboutdlg.h"

#include "panel/app/resstrings.h"
#include "panel/res/resource.h"
#include "version.h"

namespace {
constexpr int kVersionMajor = KORVANE_PANEL_VERSION_MAJOR,
              kVersionMinor = KORVANE_PANEL_VERSION_MINOR,
              kVersionBuild = KORVANE_PANEL_VERSION_BUILD;
constexpr wchar_t kCredit[] = L"Driver control panel for the X-Tamber FireWire audio interface.";
}  // namespace

CAboutDlg::CAboutDlg()
    : app::Dialog(IDD_ABOUTBOX),
      text_(app::Format(L"%ls V%d.%d.%d\n\n%ls", app::LoadResString(IDS_WINDOW_TITLE).c_str(),
                        kVersionMajor, kVersionMinor, kVersionBuild, kCredit)) {}

void CAboutDlg::DoDataExchange(app::DataExchange& exchange) {
  exchange.Text(IDC_ABOUT_TEXT, text_);
}
