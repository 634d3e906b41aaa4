#include "panel/pages/panelpage.h"

#include <commctrl.h>

#include "panel/app/resstrings.h"
#include "panel/app/statusbar.h"
#include "panel/app/windowdpi.h"
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
    SendMessageW(bar, SB_SETTEXTW, static_cast<WPARAM>(pane),
                 reinterpret_cast<LPARAM>(text.c_str()));
}

void CPanelPage::RecordLayout(UINT dpi) {
  layout_.Record(Handle(), dpi);
  app::KeepOwnDpiLayout(Handle());
}

void CPanelPage::ChangeDpi(UINT dpi, HFONT font) {
  if (Handle() == nullptr) return;
  layout_.Apply(font);
  const SIZE size = layout_.Size(font);
  SetWindowPos(Handle(), nullptr, 0, 0, size.cx, size.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  OnDpiChanged(dpi);
}
