#include "panel/app/statusbar.h"

#include <commctrl.h>

#include <algorithm>

#include "panel/app/windowdpi.h"
#include "panel/dpiscale.h"

namespace app {

bool StatusBar::Create(HWND parent, int id) {
  hwnd_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | CCS_BOTTOM, 0, 0, 0, 0,
                          parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          GetModuleHandleW(nullptr), nullptr);
  dpi_ = WindowDpi(parent);
  return hwnd_ != nullptr;
}

bool StatusBar::SetPanes(const std::vector<std::pair<Pane, int>>& panes) {
  if (hwnd_ == nullptr || panes.empty()) return false;
  panes_ = panes;
  Layout();
  return SendMessageW(hwnd_, SB_GETPARTS, 0, 0) == static_cast<LRESULT>(panes_.size());
}

void StatusBar::Layout() {
  if (hwnd_ == nullptr) return;
  SendMessageW(hwnd_, WM_SIZE, 0, 0);
  if (panes_.empty()) return;
  RECT client;
  GetClientRect(hwnd_, &client);
  int fixed = 0;
  for (const auto& pane : panes_)
    if (pane.first == Pane::kNormal) fixed += dpiscale::Scale(pane.second, dpi_);
  std::vector<int> edges;
  int edge = 0;
  for (const auto& pane : panes_) {
    int width = dpiscale::Scale(pane.second, dpi_);
    if (pane.first == Pane::kStretch) width = std::max<int>(width, client.right - fixed);
    edge += width;
    edges.push_back(edge);
  }
  // The last pane reaches the window's edge, under the size grip if any.
  edges.back() = -1;
  SendMessageW(hwnd_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void StatusBar::SetDpi(UINT dpi) {
  if (hwnd_ == nullptr || dpi == dpi_) return;
  dpi_ = dpi;
  HFONT font = CreateStatusFontForDpi(dpi);
  // Without a font of its own the bar keeps the one it has.
  if (font == nullptr) return;
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  font_.Reset(font);
  Layout();
}

void StatusBar::SetPaneText(int pane, const std::wstring& text) {
  if (hwnd_ != nullptr)
    SendMessageW(hwnd_, SB_SETTEXTW, static_cast<WPARAM>(pane),
                 reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring StatusBar::PaneText(int pane) const {
  if (hwnd_ == nullptr) return {};
  const LRESULT length =
      LOWORD(SendMessageW(hwnd_, SB_GETTEXTLENGTHW, static_cast<WPARAM>(pane), 0));
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(hwnd_, SB_GETTEXTW, static_cast<WPARAM>(pane),
               reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

int StatusBar::Height() const {
  if (hwnd_ == nullptr) return 0;
  RECT rect;
  GetWindowRect(hwnd_, &rect);
  return rect.bottom - rect.top;
}

}  // namespace app
