// How many GDI objects and device contexts the toolkit holds right now. Every
// one it makes or obtains goes through an owner (GdiObject, MemoryDc, WindowDc)
// that counts it up when made and down only when the system confirms the
// release, so a leak, or a bitmap deleted while still selected, shows here.
// The system's own count (GetGuiResources) is not available under Wine.
#pragma once

namespace gdi {

int LiveObjects();
void CountMade();
void CountReleased();

}  // namespace gdi
