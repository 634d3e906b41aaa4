// A window that draws its foreground into an off-screen surface when it is
// refreshed and only copies the surface when it paints; the static background
// goes into the surface once, at the first paint. Without a surface it draws
// background and foreground straight onto the screen at every paint.
// Refresh may run on the metering thread: it draws under the surface's lock
// and invalidates, and never sends a message. The metering pass does better
// still: Update draws and notes the changed area, and the window thread later
// copies what every window noted in one go (ShowChanges), so a pass costs no
// invalidation and no paint message per window.
#pragma once

#include "windows/woffscreen.h"
#include "windows/wwindow.h"

class WBufferedWindow : public WWindow {
 public:
  ~WBufferedWindow() override;  // releases the surface

  // The window with empty text and no extra style, then its surface.
  bool Create(HWND parent, int id, int x, int y, int cx, int cy, DWORD exStyle);
  // Update, then an invalidation when the picture changed.
  void Refresh() override;
  // May run on the metering thread: draws what changed into the surface and
  // notes it for ShowChanges; true when the picture changed.
  virtual bool Update();
  // On the window thread: copies what Update drew since the last copy from
  // the surface to the screen, without a paint message, through `dc`, a
  // context of the client area of `ancestor` (the parent, say) that children
  // do not clip: one serves every window of a pass, where a context each
  // costs its making and clipping again for every window. A window without
  // a surface, or whose surface has no background yet, is invalidated
  // instead: its first paint draws the whole picture.
  void ShowChanges(HWND ancestor, HDC dc);
  // The surface is made again at the new size and gets its background anew.
  void Rescale(const WScale& newScale, const WScaledRect& rect) override;
  bool HandleMessage(WMessage& msg) override;
  // The foreground, into the surface (Refresh) or onto the screen (no surface).
  virtual void Draw(HDC hdc);
  virtual void DrawBackground(HDC hdc);

  bool IsBuffered() const { return buffered; }

 protected:
  // The control id given to Create: the metering thread asks for it every
  // pass, and asking the window costs a round trip to the system.
  int CreatedId() const { return createdId; }
  // Under the surface's lock: `area` of the client area changed and waits
  // for ShowChanges.
  void NoteChanged(const RECT& area);

  // The surface's lock guards everything the metering thread reads of the
  // window: the surface, `buffered`, `backgroundDrawn`, the change noted for
  // ShowChanges, the base's `scale`, and what a derived window draws from.
  WOffscreen surface;
  bool buffered = false;
  bool backgroundDrawn = false;
  int createdId = 0;

 private:
  void Paint();
  // Under the surface's lock: what Update changed and nobody showed yet.
  bool changeWaiting = false;
  RECT unshown{};
};
