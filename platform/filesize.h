// Cutting an open file to a length.
#pragma once

#include <cstdint>
#include <cstdio>

namespace platform {

// Flushes `file` and cuts it to `length` bytes; false on failure.
bool TruncateFile(std::FILE* file, std::uint64_t length);

}  // namespace platform
