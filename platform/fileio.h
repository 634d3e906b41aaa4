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
  // Set when the system took the old file from the target's name and the new
  // one could not follow it there: the file that holds the new contents,
  // whole. The old file is back under the name when it could be put back.
  std::string keptIn;
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
// whole, and a failure removes the temporary file; except where the system
// took the old file from its name and the new one cannot follow: the old
// one is put back where it can be, and the temporary file stays, whole,
// named by `error->keptIn`.
// On Windows, a file another program holds open sharing writes but not its
// replacement is written in place instead, flushed and read back (logged).
bool ReplaceFileContents(const std::string& path, const void* data, std::size_t size,
                         FileError* error);

// True when `path` names an existing file (not a folder).
bool FileExists(const std::string& path);

// The system's text for an error code, without a trailing line break.
std::string SystemErrorText(std::uint32_t code);

// The steps of ReplaceFileContents, for a test that makes one of them fail.
// The last three are Windows' alone: the move that finishes a replacement
// which took the old file away, putting the old file back from its backup
// name, and a write in place.
enum class ReplaceStep {
  kNone,
  kCreateTemporary,
  kWrite,
  kFlush,
  kClose,
  kReplace,
  kMoveIntoPlace,
  kPutBack,
  kWriteInPlace
};
// The next ReplaceFileContents that reaches `step` fails there as the system
// would with `code`; later ones run normally again. Failures planned at
// different steps hold together, so one save can meet several. On Windows a
// replacement planned to fail with ERROR_UNABLE_TO_MOVE_REPLACEMENT (1176)
// first removes the target, and with ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 (1177)
// renames it to the backup name, as the system leaves them. kNone cancels
// every planned failure.
void FailNextReplaceAt(ReplaceStep step, std::uint32_t code);

}  // namespace platform
