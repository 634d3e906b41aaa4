#include "gui/controlfactory.h"

#include <string>

#include "platform/log.h"

namespace {

// A plain system static that shows a bitmap of the program at its natural size.
HWND PlaceBackground(HWND parent, const ControlPlacement& p) {
  const std::string resource = "#" + std::to_string(p.bitmap);
  return CreateWindowExA(0, "STATIC", resource.c_str(), WS_CHILD | WS_VISIBLE | SS_BITMAP, p.x, p.y,
                         p.cx, p.cy, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

HWND CreatePlacedControl(HWND parent, const ControlPlacement& p) {
  switch (p.kind) {
    case ControlKind::Background: return PlaceBackground(parent, p);
    default:
      platform::Log("Could not create control %04X.\n", p.id);
      return nullptr;
  }
}
