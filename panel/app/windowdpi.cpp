#include "panel/app/windowdpi.h"

#include "panel/dpiscale.h"

namespace app {

UINT WindowDpi(HWND window) {
  const UINT dpi = window != nullptr ? GetDpiForWindow(window) : 0;
  return dpi != 0 ? dpi : dpiscale::kDesignDpi;
}

HFONT CreateDialogFontForDpi(HFONT font, UINT from, UINT to) {
  LOGFONTW description{};
  if (font == nullptr || from == 0 || GetObjectW(font, sizeof description, &description) == 0)
    return nullptr;
  // A template gives its font in whole points; the pixels are those points
  // at the DPI, rounded as the dialog manager rounds them.
  const int points = dpiscale::Rescale(
      description.lfHeight < 0 ? -description.lfHeight : description.lfHeight, from, 72);
  description.lfHeight = -MulDiv(points, static_cast<int>(to), 72);
  description.lfWidth = 0;
  return CreateFontIndirectW(&description);
}

HFONT CreateStatusFontForDpi(UINT dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi))
    return nullptr;
  return CreateFontIndirectW(&metrics.lfStatusFont);
}

void KeepOwnDpiLayout(HWND dialog) {
  // Systems before the per-monitor dialog scaling have neither call, and do
  // nothing by themselves either.
  using DialogBehaviour =
      BOOL(WINAPI*)(HWND, DIALOG_DPI_CHANGE_BEHAVIORS, DIALOG_DPI_CHANGE_BEHAVIORS);
  using ControlBehaviour =
      BOOL(WINAPI*)(HWND, DIALOG_CONTROL_DPI_CHANGE_BEHAVIORS, DIALOG_CONTROL_DPI_CHANGE_BEHAVIORS);
  HMODULE user = GetModuleHandleW(L"user32.dll");
  if (user == nullptr || dialog == nullptr) return;
  const auto forDialog = reinterpret_cast<DialogBehaviour>(
      reinterpret_cast<void*>(GetProcAddress(user, "SetDialogDpiChangeBehavior")));
  const auto forControl = reinterpret_cast<ControlBehaviour>(
      reinterpret_cast<void*>(GetProcAddress(user, "SetDialogControlDpiChangeBehavior")));
  if (forDialog != nullptr) forDialog(dialog, DDC_DISABLE_ALL, DDC_DISABLE_ALL);
  if (forControl == nullptr) return;
  const auto all = static_cast<DIALOG_CONTROL_DPI_CHANGE_BEHAVIORS>(DCDC_DISABLE_FONT_UPDATE |
                                                                    DCDC_DISABLE_RELAYOUT);
  for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr;
       control = GetWindow(control, GW_HWNDNEXT))
    forControl(control, all, all);
}

}  // namespace app
