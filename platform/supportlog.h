// The support log. The programs are GUI programs without a console, so a user
// who reports a problem has no standard output to send: every diagnostic text
// is also appended, byte for byte, to <program>.log in the user's local
// application-data folder (Windows: %LOCALAPPDATA%\Korvane; host:
// $XDG_STATE_HOME/Korvane, else ~/.local/state/Korvane). Standard output (or a
// test's sink) keeps receiving every text as before.
//
// The log is capped by rotation: once appending a text would take the file
// past the cap (1 MiB) and the file ends at a line boundary, it becomes
// <program>.log.old (replacing the previous one) and a new file begins. So the
// newest megabyte of lines is always on disk, in the two files together, and
// they never hold more than about twice the cap. A line is never split between
// the files and never altered.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace platform {

constexpr std::uint64_t kSupportLogCap = 1024 * 1024;

// Opens the program's support log in the user's folder and starts copying
// every logged text into it. `program` is the file's stem ("velmora_app").
// False, with a log line saying why, when there is no such folder or the file
// cannot be opened or created; the program then logs to standard output only.
bool OpenSupportLog(const char* program);
// Stops copying and closes the file (tests; programs leave it open to the end).
void CloseSupportLog();

// One log file with its rotation. Not thread-safe by itself: the log calls it
// with its lock held.
class SupportLog {
 public:
  SupportLog() = default;
  ~SupportLog();
  SupportLog(const SupportLog&) = delete;
  SupportLog& operator=(const SupportLog&) = delete;

  // Creates `folder` if needed and opens <folder>/<program>.log for
  // appending. False when `program` is not a plain file stem or the folder or
  // file cannot be had.
  bool Open(const std::filesystem::path& folder, const std::string& program,
            std::uint64_t cap = kSupportLogCap);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }
  const std::filesystem::path& Path() const { return path_; }

  // Appends `text` unchanged, rotating first when it would pass the cap.
  void Write(const char* text);

 private:
  bool OpenFile();
  void Rotate();

  std::FILE* file_ = nullptr;
  std::filesystem::path path_;
  std::uint64_t cap_ = kSupportLogCap;
  std::uint64_t size_ = 0;
  bool atLineStart_ = true;  // the file ends with a line break (or is empty)
};

// The folder of the support logs; empty when the system names none.
std::filesystem::path SupportLogFolder();

}  // namespace platform
