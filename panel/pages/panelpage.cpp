#include "panel/pages/panelpage.h"

#include <commctrl.h>

#include "panel/app/resstrings.h"
#include "panel/app/statusbar.h"
#include "panel/drivertext.h"
#include "platform/log.h"

qdl::DriverStatus CPanelPage::ReportFailure(const char* action, qdl::DriverStatus status) {
  if (status == 0) return status;
  const std::string error = DescribeError(status);
  platform::Log("%s refused by the driver: %s\n", action, error.c_str());
  ShowStatusText(0, app::FromAnsi(error));
  return status;
}

void CPanelPage::ShowStatusText(int pane, const std::wstring& text) {
  HWND bar = GetDlgItem(GetAncestor(Handle(), GA_ROOT), app::kStatusBarId);
  if (bar != nullptr)
    SendMessageW(bar, SB_SETTEXTW, static_cast<WPARAM>(pane), reinterpret_cast<LPARAM>(text.c_str()));
}
