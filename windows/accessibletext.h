// What a screen reader is told about a control of the mixer window, with no
// window in sight: the name of each control from its parameter id and the
// selected output pair, and the spoken form of the value boxes' texts.
#pragma once

#include <cstdint>
#include <string>

// The name of the control with parameter id `id` while output pair `mix`
// (0 for outputs 1 & 2 .. 3 for 7 & 8) is selected: "Ch 3 fader",
// "Output 1 & 2 master left", "Ch 3 fader level" (its value box), "Output 2
// level" (the right output meter). Empty for an id that names no strip control.
std::string AccessibleControlName(std::uint16_t id, int mix);

// A fader box's text as it is spoken: " 6.0" -> "6.0 dB", "-inf" -> "-inf dB".
std::string SpokenFaderText(const std::string& boxText);
// A pan box's text as it is spoken: "<0>" -> "centre", "<12" -> "12 left",
// "30>" -> "30 right"; any other text is spoken as it is.
std::string SpokenPanText(const std::string& boxText);
// A meter read-out as it is spoken: "-12" -> "-12 dB".
std::string SpokenLevelText(const std::string& readOut);
