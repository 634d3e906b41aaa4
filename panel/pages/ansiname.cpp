#include "panel/pages/ansiname.h"

#include "panel/namerules.h"

std::string AnsiName(std::wstring_view text, UINT codePage) {
  return FitName(text, [codePage](std::wstring_view character) {
    const int units = static_cast<int>(character.size());
    const int length =
        WideCharToMultiByte(codePage, 0, character.data(), units, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
      WideCharToMultiByte(codePage, 0, character.data(), units, bytes.data(), length, nullptr,
                          nullptr);
    return bytes;
  });
}
