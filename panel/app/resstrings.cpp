#include "panel/app/resstrings.h"

#include <windows.h>

#include <cstdarg>
#include <cwchar>

namespace app {

std::wstring LoadResString(unsigned id) {
  const wchar_t* text = nullptr;
  // With a zero buffer size the call hands out the resource's own text,
  // which is not zero-terminated: its length is the result.
  const int length =
      LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
  if (length <= 0 || text == nullptr) return {};
  return std::wstring(text, static_cast<std::size_t>(length));
}

std::wstring PromptText(unsigned id) {
  const std::wstring text = LoadResString(id);
  return text.substr(0, text.find(L'\n'));
}

std::wstring FromAnsi(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
  return wide;
}

std::string ToAnsi(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length =
      WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  if (length > 0)
    WideCharToMultiByte(CP_ACP, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
  return narrow;
}

std::wstring Format(const wchar_t* format, ...) {
  wchar_t buffer[1024];
  va_list arguments;
  va_start(arguments, format);
  const int length = std::vswprintf(buffer, sizeof buffer / sizeof buffer[0], format, arguments);
  va_end(arguments);
  return length < 0 ? std::wstring() : std::wstring(buffer, static_cast<std::size_t>(length));
}

}  // namespace app
