#include <cstdlib>

#include "platform/appdatafolder.h"

namespace platform {

namespace {

// Only an absolute folder is taken, as the XDG rules say.
std::filesystem::path XdgFolder(const char* variable, const char* belowHome) {
  const char* value = std::getenv(variable);
  if (value && value[0] == '/') return std::filesystem::path(value);
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::filesystem::path(home) / belowHome;
  return {};
}

}  // namespace

std::filesystem::path LocalAppDataFolder() { return XdgFolder("XDG_STATE_HOME", ".local/state"); }

std::filesystem::path RoamingAppDataFolder() { return XdgFolder("XDG_CONFIG_HOME", ".config"); }

}  // namespace platform
