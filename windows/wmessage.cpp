#include "windows/wmessage.h"

#include <cstdint>

POINT WMessage::Point() const {
  const auto bits = static_cast<std::uint32_t>(lParam);
  return POINT{static_cast<std::int16_t>(bits & 0xFFFF), static_cast<std::int16_t>(bits >> 16)};
}

bool WMessage::IsModifierDown(int code) const {
  switch (code) {
    case 0:
      return (GetKeyState(VK_MENU) & 0x8000) != 0;
    case 1:
      return (wParam & MK_CONTROL) != 0;
    case 2:
      return (wParam & MK_SHIFT) != 0;
    default:
      return false;
  }
}
