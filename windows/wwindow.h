// The base of every toolkit window object. An object is bound to its window
// through the window property "w" and by replacing the window's procedure
// with SharedWindowProc, which hands every message to HandleMessage. Once
// Create succeeds the window owns the object: its WM_DESTROY deletes it.
// Used on the GUI thread (a meter's Refresh is the one exception).
#pragma once

#include <windows.h>

#include "windows/wmessage.h"
#include "windows/wscale.h"

class WWindow {
 public:
  WWindow() = default;
  virtual ~WWindow();  // unbinds
  WWindow(const WWindow&) = delete;
  WWindow& operator=(const WWindow&) = delete;

  // A command notification the parent reflects to this child: code is the
  // notification code, msg the parent's WM_COMMAND.
  virtual void OnCommand(int code, WMessage& msg);
  // Re-read whatever the window shows and repaint.
  virtual void Refresh();
  // True: handled, msg.result goes back to the system. False: the message goes
  // on to the procedure the window had before binding.
  virtual bool HandleMessage(WMessage& msg);
  virtual const char* ClassName() const = 0;

  // Makes a visible child window of ClassName() (registering a toolkit class
  // on its first use) and binds this object to it. False when no window was
  // made; the object then stays unbound and belongs to the caller.
  // The position and size are device pixels; the window takes the font of
  // its scale. After MakeHidden the child is made without WS_VISIBLE.
  bool Create(HWND parent, int id, int x, int y, int cx, int cy, const char* text, DWORD style,
              DWORD exStyle);
  bool RegisterWindowClass();
  void Attach(HWND hwnd);
  void Detach();  // nothing when unbound
  // The object bound to a window, or null (a null handle gives null).
  static WWindow* Get(HWND hwnd);

  // The scale the window is drawn at and reads pointer positions with; 96
  // dpi until set. Set it before Create, or with Rescale once the window exists.
  void SetScale(const WScale& newScale) { scale = newScale; }
  const WScale& Scale() const { return scale; }
  // Before Create, for a parent not shown yet that shows its many children
  // together (by their style): a child made visible costs the window server
  // the work of showing it on its own.
  void MakeHidden() { hidden = true; }
  // A pointer position in device pixels of the client area, in logical ones.
  POINT LogicalPoint(POINT device) const {
    return POINT{scale.ToLogical(device.x), scale.ToLogical(device.y)};
  }
  // The window at another scale: moved to `rect` (device pixels of the
  // parent), given the font of the scale, redrawn.
  virtual void Rescale(const WScale& newScale, const WScaledRect& rect);
  // The toolkit's text font at a scale: the stock variable-width font at 96
  // dpi, a font of the same face and a scaled height elsewhere. The fonts
  // live for the whole run, one for each scale asked for.
  static HFONT FontFor(const WScale& scale);

  int GetId() const;
  // The whole client area, no erase; nothing when unbound or not shown.
  void Invalidate();
  HWND Handle() const { return HWnd; }

 protected:
  // The window at `rect` in the font of `scale`, redrawn: Rescale once the
  // scale is set.
  void Place(const WScaledRect& rect);

  HWND HWnd = nullptr;
  WNDPROC OldWndProc = nullptr;
  // Written on the window thread only. A window that the metering thread
  // draws (a WBufferedWindow) writes it under its surface's lock, under which
  // that thread reads it.
  WScale scale;
  bool hidden = false;

  friend LRESULT CALLBACK SharedWindowProc(HWND, UINT, WPARAM, LPARAM);
};

LRESULT CALLBACK SharedWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
