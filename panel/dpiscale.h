// The panel's pixel figures are laid out for 96 dpi; on a screen of another
// DPI each is scaled once, from the figure it had at the DPI it was made at,
// so a window moved between monitors and back ends where it began instead of
// drifting by a rounding each time.
#pragma once

namespace dpiscale {

// The DPI the panel's pixel figures are given for (100 %).
constexpr unsigned kDesignDpi = 96;

// `value` pixels at `from` dpi as pixels at `to` dpi, to the nearest pixel,
// halves away from zero (so a figure and its negative scale alike). Edges are
// scaled rather than sizes: two controls that touch at one DPI touch at
// every other.
int Rescale(int value, unsigned from, unsigned to);
// A 96-dpi figure at `dpi`.
inline int Scale(int value, unsigned dpi) { return Rescale(value, kDesignDpi, dpi); }
// Whether a monitor can have `dpi` (25 % to 500 %); the DPI a window is told
// about is trusted no further.
bool Plausible(unsigned dpi);

}  // namespace dpiscale
