// A test's own look at a file's bytes, past the code under test.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

// Every byte of the file; none when it cannot be read.
Bytes ReadAll(const std::filesystem::path& path);
// Makes the file hold exactly `bytes`, creating it when needed.
void WriteAll(const std::filesystem::path& path, const Bytes& bytes);

}  // namespace testsupport
