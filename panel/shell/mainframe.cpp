#include "panel/shell/mainframe.h"

#include "panel/app/resstrings.h"
#include "panel/app/windowdpi.h"
#include "panel/pagerules.h"
#include "panel/res/resource.h"
#include "panel/shell/qdl_cplview.h"

DWORD CMainFrame::Style() const {
  // A fixed size: no sizing border and no maximise box.
  return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
}

bool CMainFrame::OnCreate() {
  app::StatusBar& bar = GetStatusBar();
  if (!bar.Create(Handle())) return false;
  if (!bar.SetPanes({{app::StatusBar::Pane::kStretch, 200}, {app::StatusBar::Pane::kNormal, 150}}))
    return false;
  SetWindowTextW(Handle(), app::LoadResString(IDS_WINDOW_TITLE).c_str());
  SetIcons(app::WindowDpi(Handle()));
  return true;
}

CMainFrame::~CMainFrame() {
  // The window, destroyed next by the base, paints nothing on its way out.
  if (bigIcon_ != nullptr) DestroyIcon(bigIcon_);
  if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
}

void CMainFrame::OnFrameDpiChanged(UINT dpi) { SetIcons(dpi); }

void CMainFrame::SetIcons(UINT dpi) {
  HINSTANCE module = GetModuleHandleW(nullptr);
  const auto load = [&](int metric) {
    const int size = GetSystemMetricsForDpi(metric, dpi);
    return static_cast<HICON>(
        LoadImageW(module, MAKEINTRESOURCEW(IDI_PANEL), IMAGE_ICON, size, size, 0));
  };
  HICON big = load(SM_CXICON), small = load(SM_CXSMICON);
  SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  if (bigIcon_ != nullptr) DestroyIcon(bigIcon_);
  if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
  bigIcon_ = big;
  smallIcon_ = small;
}

bool CMainFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  // The frame's one view is the panel's.
  auto* view = static_cast<CQDL_CPLView*>(GetActiveView());
  if (message == WM_SHOW_SETTINGS) {
    if (view != nullptr) view->SelectPage(PanelPage::kSettings);
    result = 0;
    return true;
  }
  if (message == WM_SIZE && view != nullptr) view->SetMinimised(wParam == SIZE_MINIMIZED);
  return app::FrameWindow::HandleMessage(message, wParam, lParam, result);
}
