// A text that screen readers read out when it changes while the focus is
// elsewhere (a live region): a dialog's status line, whose reason for a
// refusal would otherwise go unheard, since the focus moves to the box that
// needs mending.
#pragma once

#include <windows.h>

struct IAccPropServices;

class LiveRegion {
 public:
  LiveRegion() = default;
  ~LiveRegion();  // detaches
  LiveRegion(const LiveRegion&) = delete;
  LiveRegion& operator=(const LiveRegion&) = delete;

  // Marks `control` a live region for the readers that ask for one; before
  // the control is destroyed (WM_DESTROY of its dialog) Detach takes the mark
  // off again, since the system keeps it by window handle.
  void Attach(HWND control);
  void Detach();
  // Tells the readers that the text changed.
  void Announce() const;

 private:
  HWND control_ = nullptr;
  IAccPropServices* services_ = nullptr;
};
