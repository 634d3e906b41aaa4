// The Win32 error codes that portable code and the simulated driver exchange.
#pragma once

#include <cstdint>

namespace platform {

constexpr std::uint32_t kErrorSuccess = 0;
constexpr std::uint32_t kErrorInvalidFunction = 1;
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr std::uint32_t kErrorNotEnoughMemory = 8;
constexpr std::uint32_t kErrorDevNotExist = 55;
constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorInsufficientBuffer = 122;
constexpr std::uint32_t kErrorMoreData = 234;
constexpr std::uint32_t kErrorNoMoreItems = 259;
constexpr std::uint32_t kErrorNoSuchDevice = 433;
constexpr std::uint32_t kErrorOperationAborted = 995;
constexpr std::uint32_t kErrorIoPending = 997;
constexpr std::uint32_t kErrorDeviceNotConnected = 1167;
constexpr std::uint32_t kErrorDeviceRemoved = 1617;
constexpr std::uint32_t kErrorInvalidUserBuffer = 1784;

constexpr std::uint32_t kInfinite = 0xFFFFFFFF;

}  // namespace platform
