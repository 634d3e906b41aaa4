#include "panel/app/dialoglayout.h"

#include "panel/dpiscale.h"

namespace app {
namespace {

bool IsComboBox(HWND window) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  return lstrcmpiW(name, L"ComboBox") == 0;
}

// A combo box's window height is its dropped list's: the closed box takes its
// height from the font.
RECT RectInParent(HWND control, HWND parent) {
  RECT rect;
  GetWindowRect(control, &rect);
  if (IsComboBox(control)) {
    RECT dropped;
    if (SendMessageW(control, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped)))
      rect.bottom = dropped.bottom;
  }
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace

void DialogLayout::Record(HWND dialog, UINT dpi) {
  dialog_ = dialog;
  dpi_ = dpi;
  controls_.clear();
  if (dialog == nullptr) return;
  RECT rect;
  GetWindowRect(dialog, &rect);
  size_ = {rect.right - rect.left, rect.bottom - rect.top};
  font_ = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  // The units the dialog manager laid the dialog out in.
  RECT units{0, 0, 4, 8};
  if (MapDialogRect(dialog, &units) && units.right > 0 && units.bottom > 0)
    units_ = {units.right, units.bottom};
  for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr;
       control = GetWindow(control, GW_HWNDNEXT))
    controls_.push_back({control, RectInParent(control, dialog)});
}

DialogLayout::Units DialogLayout::UnitsOf(HFONT font) const {
  if (font == nullptr || font == font_) return units_;
  // As the dialog manager measures a dialog's font: the average width of the
  // letters, rounded, and the height of a line.
  HDC dc = GetDC(dialog_);
  HGDIOBJ before = SelectObject(dc, font);
  constexpr wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE letters{};
  TEXTMETRICW metrics{};
  const bool measured = GetTextExtentPoint32W(dc, kLetters, 52, &letters) &&
                        GetTextMetricsW(dc, &metrics) && letters.cx > 0 && metrics.tmHeight > 0;
  SelectObject(dc, before);
  ReleaseDC(dialog_, dc);
  if (!measured) return units_;
  return {(letters.cx / 26 + 1) / 2, static_cast<int>(metrics.tmHeight)};
}

RECT DialogLayout::Scaled(const RECT& rect, Units units) const {
  return {dpiscale::Rescale(rect.left, units_.x, units.x),
          dpiscale::Rescale(rect.top, units_.y, units.y),
          dpiscale::Rescale(rect.right, units_.x, units.x),
          dpiscale::Rescale(rect.bottom, units_.y, units.y)};
}

void DialogLayout::Apply(HFONT font) const {
  if (dialog_ == nullptr || !IsWindow(dialog_)) return;
  const Units units = UnitsOf(font);
  if (font != nullptr) SendMessageW(dialog_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  for (const Control& control : controls_) {
    if (!IsWindow(control.window)) continue;
    // The font first: a combo box sizes its closed box from it.
    if (font != nullptr)
      SendMessageW(control.window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    const RECT rect = Scaled(control.rect, units);
    SetWindowPos(control.window, nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RedrawWindow(dialog_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

SIZE DialogLayout::Size(HFONT font) const {
  const RECT rect = Scaled({0, 0, size_.cx, size_.cy}, UnitsOf(font));
  return {rect.right, rect.bottom};
}

POINT DialogLayout::Map(POINT recorded, HFONT font) const {
  const RECT rect = Scaled({recorded.x, recorded.y, 0, 0}, UnitsOf(font));
  return {rect.left, rect.top};
}

}  // namespace app
