#include <windows.h>

#include "platform/pause.h"

namespace platform {

void Pause(std::uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace platform
