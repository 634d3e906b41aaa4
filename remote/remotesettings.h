// The remote control's settings, kept per user (never machine-wide) in the
// key kRemoteSettingsKey as four 32-bit values. Read at start-up and written
// when the Remote Control dialog is closed with OK; the preference key of the
// mixer is another key and is not touched.
#pragma once

#include <cstdint>
#include <string>

// Below HKEY_CURRENT_USER.
inline constexpr char kRemoteSettingsKey[] = "Software\\Korvane\\KorvaneVelmora\\Remote";

struct RemoteSettings {
  bool enabled = false;
  std::uint16_t port = 7420;    // where the controllers send to
  int scope = 0;                // a RemoteScope: 0 this computer only, 1 the local network
  std::uint16_t replyPort = 0;  // 0: each controller's own sending port

  bool operator==(const RemoteSettings&) const = default;
};

// The stored settings. A value that is missing, is no 32-bit number or lies
// outside its range (Enabled and Scope 0 or 1, Port 1..65535, ReplyPort
// 0..65535) reads as its default, with a line in the log. A key that cannot
// be opened, or did not exist yet, gives the defaults.
RemoteSettings ReadRemoteSettings();
// False (and logged) when the key cannot be opened or a value not written.
bool WriteRemoteSettings(const RemoteSettings& settings);

// A port typed into the dialog: 1 to 65535 in decimal digits, nothing else
// (no sign, no spaces). Leading zeros are allowed. False leaves `port` alone.
bool ParsePortText(const std::string& text, std::uint16_t* port);
