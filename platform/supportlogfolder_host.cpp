// The support logs' folder on the host: Korvane in the user's state folder
// (XDG_STATE_HOME, else ~/.local/state).
#include <cstdlib>

#include "platform/supportlog.h"

namespace platform {

std::filesystem::path SupportLogFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && state[0] == '/') return std::filesystem::path(state) / "Korvane";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::filesystem::path(home) / ".local" / "state" / "Korvane";
  return {};
}

}  // namespace platform
