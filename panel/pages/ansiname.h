// A typed name as the driver's name field takes it: text of the system's
// ANSI code page, whole characters, at most 39 bytes.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// `codePage` is the system's ANSI code page unless a test names another.
std::string AnsiName(std::wstring_view text, UINT codePage = CP_ACP);
