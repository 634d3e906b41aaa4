// Strings of the program's string table, and the boundary between the
// driver's 8-bit names (text in the system's ANSI code page) and the
// program's UTF-16 text.
#pragma once

#include <string>
#include <string_view>

namespace app {

// The string `id` of this module's string table; empty when there is none.
std::wstring LoadResString(unsigned id);

// The text before the first line break (a menu prompt's status-bar part).
std::wstring PromptText(unsigned id);

std::wstring FromAnsi(std::string_view text);
// Characters the code page cannot hold become its default character.
std::string ToAnsi(std::wstring_view text);

// printf-style formatting into a wide string (at most 1023 characters).
std::wstring Format(const wchar_t* format, ...);

}  // namespace app
