#include "platform/supportlog.h"

#include <cstring>
#include <system_error>

#include "platform/appdatafolder.h"
#include "platform/log.h"

namespace platform {
namespace {

std::FILE* OpenForAppend(const std::filesystem::path& path) {
#ifdef _WIN32
  // Wide, so that a user name outside the ANSI code page still works.
  return _wfopen(path.c_str(), L"ab");
#else
  return std::fopen(path.c_str(), "ab");
#endif
}

// A stem that stays inside the folder: no separators, no "..", not empty.
bool IsPlainStem(const std::string& program) {
  if (program.empty() || program == "." || program == "..") return false;
  return program.find_first_of("/\\:") == std::string::npos;
}

// The program's log: made once, never destroyed, so that texts logged while
// static objects are torn down still find it.
SupportLog* programLog = nullptr;

// A path for a log line. Windows paths are UTF-16 and may hold what UTF-8
// cannot express (a lone surrogate); the conversion throws then.
std::string PathText(const std::filesystem::path& path) {
  try {
    return path.string();
  } catch (...) {
    return "?";
  }
}

void CopyToProgramLog(const char* text, void* context) {
  static_cast<SupportLog*>(context)->Write(text);
}

}  // namespace

SupportLog::~SupportLog() { Close(); }

bool SupportLog::Open(const std::filesystem::path& folder, const std::string& program,
                      std::uint64_t cap) {
  Close();
  if (folder.empty() || !IsPlainStem(program) || cap == 0) return false;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) return false;
  path_ = folder / (program + ".log");
  cap_ = cap;
  return OpenFile();
}

bool SupportLog::OpenFile() {
  file_ = OpenForAppend(path_);
  if (!file_) return false;
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path_, error);
  size_ = error ? 0 : size;
  // A file left by an earlier run ends wherever that run stopped; a rotation
  // waits for nothing then, so the new text starts where a line would.
  atLineStart_ = true;
  return true;
}

void SupportLog::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

void SupportLog::Write(const char* text) {
  if (!file_ || !text) return;
  const std::size_t length = std::strlen(text);
  // Past the cap only at a line boundary; a text that never ends its line
  // still rotates at twice the cap, so the files stay bounded.
  if (size_ > 0 && size_ + length > cap_ && (atLineStart_ || size_ >= 2 * cap_)) Rotate();
  if (!file_) return;
  if (std::fwrite(text, 1, length, file_) == length) size_ += length;
  std::fflush(file_);  // a crash right after must not lose the line that explains it
  if (length > 0) atLineStart_ = text[length - 1] == '\n';
}

void SupportLog::Rotate() {
  Close();
  std::filesystem::path old = path_;
  old += ".old";
  std::error_code error;
  std::filesystem::remove(old, error);
  std::filesystem::rename(path_, old, error);
  if (error) {
    // Another copy of the program still holds the file open (Windows does not
    // rename it then): start it afresh, which keeps the cap at the cost of
    // the older lines.
    std::filesystem::resize_file(path_, 0, error);
  }
  OpenFile();
}

std::filesystem::path SupportLogFolder() {
  const std::filesystem::path local = LocalAppDataFolder();
  return local.empty() ? local : local / "Korvane";
}

bool OpenSupportLog(const char* program) {
  CloseSupportLog();
  if (!programLog) programLog = new SupportLog;
  const std::filesystem::path folder = SupportLogFolder();
  if (!program || !programLog->Open(folder, program)) {
    Log("Support log: cannot open %s in \"%s\"; logging to standard output only.\n",
        program ? program : "(null)", PathText(folder).c_str());
    return false;
  }
  SetLogCopy(&CopyToProgramLog, programLog);
  return true;
}

void CloseSupportLog() {
  SetLogCopy(nullptr, nullptr);
  if (programLog) programLog->Close();
}

}  // namespace platform
