// The user's own folders for the programs' files. Windows names two: the
// local one (%LOCALAPPDATA%), which stays on this machine, and the roaming
// one (%APPDATA%), which follows the user to other machines of a domain. The
// host stands in with its state folder ($XDG_STATE_HOME, else
// ~/.local/state) and its configuration folder ($XDG_CONFIG_HOME, else
// ~/.config).
#pragma once

#include <filesystem>

namespace platform {

// Empty when the system names no such folder.
std::filesystem::path LocalAppDataFolder();
std::filesystem::path RoamingAppDataFolder();

}  // namespace platform
