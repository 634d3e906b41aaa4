// The vertical gain control of the strips (window class "ZWFADER"): a track
// image with a thumb image over it. It keeps no value of its own: the gain is
// the parameter of its control id, and every change, from the mouse or the
// keyboard, goes through SetValue and so through the parameter interface.
// The arithmetic is FaderLogic's; this class only turns messages into it.
#pragma once

#include "windows/faderlogic.h"
#include "windows/wdrawncontrol.h"
#include "windows/wheelnotches.h"

class WFader : public WDrawnControl {
 public:
  // The thumb images show the track through this colour.
  static constexpr COLORREF kThumbKey = RGB(0xA1, 0xA3, 0xA6);
  // The track image is drawn from its row 11 at the window's top.
  static constexpr int kTrackTop = -11;

  // maxValue: the top of the gain range, 2 for channel faders (channel law),
  // 1 for the masters (master law).
  WFader(int trackBitmap, int thumbBitmap, int thumbX, int maxValue);

  bool HandleMessage(WMessage& msg) override;
  const char* ClassName() const override { return "ZWFADER"; }
  virtual double GetValue();
  // Clamped to 0..maxValue, written through the parameter interface, repainted.
  virtual void SetValue(double v);

  double ValueToPos(double v) const { return law.ValueToPos(v); }
  double PosToValue(double p) const { return law.PosToValue(p); }
  // The window row of the thumb's reference row.
  int ThumbPos();
  // In logical pixels, like every position here: only painting and the
  // pointer messages know the window's scale.
  RECT ThumbRect();
  // A logical pointer position during a drag: weight 1 coarse, kFineWeight fine.
  void Drag(POINT point, int weight);

  // A slider for screen readers, its value the box's text with its unit.
  long AccRole() override;
  std::optional<std::string> AccValue() override;

 protected:
  const FaderLogic law;
  POINT dragStart{};
  double dragStartValue = 0.0;
  int trackBitmap;
  int thumbBitmap;
  int thumbX;
  int thumbOffset = FaderLogic::kThumbOffset;
  bool fine = false;

 private:
  template <typename Control>
  friend bool RouteDragMessage(Control& control, HWND hwnd, WMessage& msg);
  void OnButtonDown(const WMessage& msg);
  void OnPointerMove(POINT point);
  void OnKeyDown(WPARAM key);
  void OnWheel(const WMessage& msg);
  std::uint16_t ResetPreference() const;
  void Reset();  // 0 dB, as a press with the 0 dB key
  void Paint();

  WheelNotches wheel;
};
