#include "korvaneobjects/driverstatus.h"

#include <cstdio>
#include <iterator>

#include "platform/errors.h"

namespace korvane {
namespace {

struct StatusText {
  DriverStatus code;
  const char* message;
};

// Looked up from the top, first match wins. The texts are single-byte
// Windows-1252 strings: the mark in "doesn\xB4t" is the acute accent 0xB4.
constexpr StatusText kStatusTexts[] = {
    {0x00000000, "No error."},
    {0xE0000001, "Operation failed."},
    {0xE0000011, "API Version does not match."},
    {0xE0000030, "Operation rejected."},
    {0xE0000100, "Out of memory."},
    {0xE0000110, "Packet pool empty."},
    {0xE0000300, "Invalid parameter."},
    {0xE0000304, "Requested byte count doesn\xB4t match buffer size."},
    {0xE0000305, "Size of buffer is invalid."},
    {0xE0000320, "Output buffer too small."},
    {0xE0000340, "Handle already used by an object of this type."},
    {0xE0000342, "Handle not associated with required object."},
    {0xE0000350, "Bus reset detected."},
    {0xE0000351, "Invalid reset generation count."},
    {0xE0000401, "Invalid local host info type."},
    {0xE0000403, "Unsupported type of lock operation."},
    {0xE0000404, "Unsupported speed selected."},
    {0xE0008001, "Device not found."},
    {0xE0008002, "Device not open."},
    {0xE0008003, "Request timeout interval has expired."},
    {0xE0008008, "Invalid parameter in function call."},
    {0xE0008010, "No such device instance."},
    {0xE0008020, "Memory allocation failed."},
};
static_assert(std::size(kStatusTexts) == 23);

}  // namespace

bool MeansDeviceGone(DriverStatus code) {
  switch (code) {
    case platform::kErrorInvalidHandle:
    case platform::kErrorDevNotExist:
    case platform::kErrorNoSuchDevice:
    case platform::kErrorDeviceNotConnected:
    case platform::kErrorDeviceRemoved:
    case kStatusDeviceNotFound:
      return true;
    default:
      return false;
  }
}

const char* StatusMessage(DriverStatus code) {
  for (const StatusText& entry : kStatusTexts)
    if (entry.code == code) return entry.message;
  return nullptr;
}

char* FormatStatus(char* buffer, int size, DriverStatus code) {
  if (buffer == nullptr || size <= 0) return buffer;
  const char* message = StatusMessage(code);
  std::snprintf(buffer, static_cast<std::size_t>(size), "Error code 0x%08X: %s",
                static_cast<unsigned>(code), message ? message : "Windows system error code.");
  buffer[size - 1] = '\0';
  return buffer;
}

}  // namespace korvane
