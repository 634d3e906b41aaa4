// The result of every operation on the bus-access driver: 0 for success, one
// of the 0xE000xxxx codes below, or a Windows system error code passed through.
#pragma once

#include <cstdint>

// The engine's own names: the control panel has a DriverStatus of its own, so
// a program or test that links both cannot mix them up.
namespace korvane {

using DriverStatus = std::uint32_t;

constexpr DriverStatus kStatusSuccess = 0x00000000;
constexpr DriverStatus kStatusFailed = 0xE0000001;
constexpr DriverStatus kStatusIncompatibleVersion = 0xE0000014;
constexpr DriverStatus kStatusRejected = 0xE0000030;
constexpr DriverStatus kStatusOutOfMemory = 0xE0000100;
constexpr DriverStatus kStatusDeviceNotFound = 0xE0008001;
constexpr DriverStatus kStatusDeviceNotOpen = 0xE0008002;
constexpr DriverStatus kStatusTimeout = 0xE0008003;
constexpr DriverStatus kStatusInvalidArgument = 0xE0008008;
constexpr DriverStatus kStatusNoSuchInstance = 0xE0008010;
constexpr DriverStatus kStatusAllocationFailed = 0xE0008020;

// True for the results that say the unit behind a handle is no longer there
// (pulled out, powered off, reset off the bus): the handle will never work again.
bool MeansDeviceGone(DriverStatus code);

// The message of a status, or null when it has none of its own.
const char* StatusMessage(DriverStatus code);

// Writes "Error code 0x%08X: %s" into `buffer`, at most `size` characters and
// always zero-terminated; a null buffer or a size of 0 (or less) is left alone.
char* FormatStatus(char* buffer, int size, DriverStatus code);

}  // namespace korvane
