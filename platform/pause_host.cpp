#include <chrono>
#include <thread>

#include "platform/pause.h"

namespace platform {

void Pause(std::uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace platform
