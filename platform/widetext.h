// UTF-8 text, as the portable code keeps it, to and from the UTF-16 of the
// Windows wide API. Windows only. Bytes that are no UTF-8 become U+FFFD.
#pragma once

#include <string>

namespace platform {

std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);

}  // namespace platform
