#include "remote/remotesettings.h"

#include "platform/log.h"
#include "platform/prefstore.h"

namespace {

struct Range {
  std::uint32_t lowest;
  std::uint32_t highest;
};

// The value `name` when it is a number within `range`; else `fallback`.
std::uint32_t ReadValue(const platform::PrefStore& store, const char* name, Range range,
                        std::uint32_t fallback) {
  std::uint32_t value = 0;
  if (!store.ReadDword(name, &value)) {
    platform::Log("Remote control setting %s is missing or no 32-bit number; %lu is used.\n", name,
                  static_cast<unsigned long>(fallback));
    return fallback;
  }
  if (value < range.lowest || value > range.highest) {
    platform::Log("Remote control setting %s is %lu, outside %lu..%lu; %lu is used.\n", name,
                  static_cast<unsigned long>(value), static_cast<unsigned long>(range.lowest),
                  static_cast<unsigned long>(range.highest), static_cast<unsigned long>(fallback));
    return fallback;
  }
  return value;
}

}  // namespace

RemoteSettings ReadRemoteSettings() {
  const RemoteSettings defaults;
  platform::PrefStore store;
  // A key made just now holds nothing to read or to complain about: the
  // dialog has never been closed with OK for this user.
  if (store.OpenForUser(kRemoteSettingsKey) != platform::PrefStoreOpen::kOpened) return defaults;
  RemoteSettings settings;
  settings.enabled = ReadValue(store, "Enabled", {0, 1}, defaults.enabled) == 1;
  settings.port = static_cast<std::uint16_t>(ReadValue(store, "Port", {1, 65535}, defaults.port));
  settings.scope = static_cast<int>(ReadValue(store, "Scope", {0, 1}, defaults.scope));
  settings.replyPort =
      static_cast<std::uint16_t>(ReadValue(store, "ReplyPort", {0, 65535}, defaults.replyPort));
  return settings;
}

bool WriteRemoteSettings(const RemoteSettings& settings) {
  platform::PrefStore store;
  if (store.OpenForUser(kRemoteSettingsKey) == platform::PrefStoreOpen::kFailed) return false;
  const bool written = store.WriteDword("Enabled", settings.enabled ? 1 : 0) &&
                       store.WriteDword("Port", settings.port) &&
                       store.WriteDword("Scope", static_cast<std::uint32_t>(settings.scope)) &&
                       store.WriteDword("ReplyPort", settings.replyPort);
  if (!written) platform::Log("The remote control settings could not all be stored.\n");
  return written;
}

bool ParsePortText(const std::string& text, std::uint16_t* port) {
  if (text.empty()) return false;
  std::uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
    if (value > 65535) return false;
  }
  if (value == 0) return false;
  *port = static_cast<std::uint16_t>(value);
  return true;
}
