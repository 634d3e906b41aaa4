// The pan knob of the strips (window class "ZWKNOB"): a knob face with an
// indicator dot 130 degrees each side of straight up. It keeps no value: the
// pan is the parameter of its control id. Dragging turns it in the motion
// mode of the preferences; the arithmetic is knoblogic's.
#pragma once

#include "windows/knoblogic.h"
#include "windows/wdrawncontrol.h"
#include "windows/wheelnotches.h"

class WKnob : public WDrawnControl {
 public:
  bool HandleMessage(WMessage& msg) override;
  const char* ClassName() const override { return "ZWKNOB"; }

  double GetValue();
  // Clamped to -1..+1, written through the parameter interface, repainted.
  void SetValue(double v);
  // point: a logical pointer position.
  void Drag(POINT point, int weight);

  // A slider for screen readers, its value the box's text in words.
  long AccRole() override;
  std::optional<std::string> AccValue() override;

 private:
  template <typename Control>
  friend bool RouteDragMessage(Control& control, HWND hwnd, WMessage& msg);
  void OnButtonDown(const WMessage& msg);
  void OnPointerMove(POINT point);
  void OnKeyDown(WPARAM key);
  void OnWheel(const WMessage& msg);
  std::uint16_t ResetPreference() const;
  void Reset();  // centre, as a press with the centre key
  void Paint();

  WheelNotches wheel;

  POINT dragStart{};
  double dragStartValue = 0.0;
  bool fine = false;
};
