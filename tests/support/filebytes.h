// A test's own look at a file's bytes, past the code under test.
#pragma once

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

// The system's code for a full disk, for a test that makes a write fail.
#ifdef _WIN32
constexpr std::uint32_t kDiskFull = 112;  // ERROR_DISK_FULL
#else
constexpr std::uint32_t kDiskFull = ENOSPC;
#endif

// Every byte of the file; none when it cannot be read.
Bytes ReadAll(const std::filesystem::path& path);
// Makes the file hold exactly `bytes`, creating it when needed.
void WriteAll(const std::filesystem::path& path, const Bytes& bytes);

}  // namespace testsupport
