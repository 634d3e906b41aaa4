// A plain pause of the calling thread. On Windows it is the system's Sleep,
// which under Wine costs no wineserver round trip; the C++ library's
// sleep_for of this tool chain waits on an event and costs one each time. The
// metering thread pauses twenty times a second all day.
#pragma once

#include <cstdint>

namespace platform {

void Pause(std::uint32_t milliseconds);

}  // namespace platform
