// Small whole files by name. Names are UTF-8 text throughout the portable
// code; the Windows side hands them to the wide API, so a folder may hold any
// character, whatever the system's code page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Why a file operation failed: the system's error code (GetLastError on
// Windows, errno elsewhere) and the system's own text for it.
struct FileError {
  std::uint32_t code = 0;
  std::string reason;
  // True when the file could not even be opened or created; false when it
  // failed later, with something already done.
  bool atOpen = false;
};

// Reads at most `capacity` bytes from the start of the existing file `path`
// into `buffer`; `*got` receives how many. False, with `*error` filled (it
// may be null), when the file cannot be opened or read.
bool ReadFileStart(const std::string& path, void* buffer, std::size_t capacity, std::size_t* got,
                   FileError* error);

// Makes `path` hold exactly `size` bytes of `data`, or leaves it as it was: the
// bytes go to a temporary file in the same folder, are flushed to the disk,
// and that file then takes the target's place in one step, keeping the
// target's attributes. A crash or a failure at any point leaves the old file
// whole, and a failure removes the temporary file.
bool ReplaceFileContents(const std::string& path, const void* data, std::size_t size,
                         FileError* error);

// True when `path` names an existing file (not a folder).
bool FileExists(const std::string& path);

// The system's text for an error code, without a trailing line break.
std::string SystemErrorText(std::uint32_t code);

// The steps of ReplaceFileContents, for a test that makes one of them fail.
enum class ReplaceStep { kNone, kCreateTemporary, kWrite, kFlush, kClose, kReplace };
// The next ReplaceFileContents fails at `step` as the system would with
// `code`; every later call runs normally again. kNone cancels.
void FailNextReplaceAt(ReplaceStep step, std::uint32_t code);

}  // namespace platform
