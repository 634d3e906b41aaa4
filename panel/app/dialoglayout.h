// Where a dialog's controls sit as the dialog manager made them, kept so that
// the dialog can be laid out again with the font of another DPI. The dialog
// manager places controls in dialog units, which follow the font's average
// character width and its height rather than the DPI itself (a font's height
// in pixels does not grow exactly as the DPI does); so each recorded edge is
// scaled by the new font's units over the old, always from the record, and a
// label as tall as a line of text stays so.
#pragma once

#include <windows.h>

#include <vector>

namespace app {

class DialogLayout {
 public:
  // Remembers the size of `dialog` and the place of each of its controls as
  // they are now, at `dpi`. Children made later (pages inside a view) are not
  // the dialog's controls and are left out.
  void Record(HWND dialog, UINT dpi);
  // Gives the dialog and each of its controls `font` and places and sizes the
  // controls as its dialog units ask. Not the dialog's own size: its parent
  // decides that.
  void Apply(HFONT font) const;
  // The dialog's recorded size with `font`.
  SIZE Size(HFONT font) const;
  // A point of the dialog's client area as recorded, with `font`.
  POINT Map(POINT recorded, HFONT font) const;
  // The font the dialog was made with, and the DPI of the record.
  HFONT Font() const { return font_; }
  UINT Dpi() const { return dpi_; }

 private:
  // The pixels of 4 horizontal and 8 vertical dialog units.
  struct Units {
    int x, y;
  };
  Units UnitsOf(HFONT font) const;
  RECT Scaled(const RECT& rect, Units units) const;

  struct Control {
    HWND window;
    RECT rect;  // in the dialog's client area; a combo box's with its list dropped
  };
  HWND dialog_ = nullptr;
  UINT dpi_ = 96;
  SIZE size_{};
  HFONT font_ = nullptr;
  Units units_{6, 13};
  std::vector<Control> controls_;
};

}  // namespace app
