// The host's preference store: one text file per key, of "name=value" lines
// with the value in decimal. Every read parses the file afresh and every write
// rewrites it, so two processes see each other's stores as the registry would
// show them. The file is treated as untrusted: lines that are too long, lack a
// '=', or carry something other than a DWORD read as missing values.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/prefstore.h"

namespace platform {
namespace {

PrefStoreFault forcedFault = PrefStoreFault::kNone;

constexpr char kDefaultFolder[] = "/var/tmp/korvane";
constexpr std::size_t kMaxLine = 256;        // longer lines are ignored
constexpr std::size_t kMaxFile = 64 * 1024;  // the rest of a larger file is ignored

std::string StorePath(const char* subkey) {
  const char* fromEnvironment = std::getenv("KORVANE_PREFS_FILE");
  if (fromEnvironment && *fromEnvironment) return fromEnvironment;
  std::string name = subkey ? subkey : "";
  const std::size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  if (name.empty()) name = "prefs";
  return std::string(kDefaultFolder) + "/" + name;
}

// Creates every missing folder above `path`. The default folder is shared by
// every user of the machine, so it is open to all of them and sticky, as
// /var/tmp is; folders of a path from the environment get the usual mode.
bool MakeParentFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    const std::string folder = path.substr(0, slash);
    if (mkdir(folder.c_str(), 0777) == 0) {
      if (folder == kDefaultFolder) chmod(folder.c_str(), 01777);  // past the umask
    } else if (errno != EEXIST) {
      return false;
    }
  }
  return true;
}

struct Line {
  std::string name;
  std::string value;  // as written, possibly not a number
};

bool ParseDword(const std::string& text, std::uint32_t* value) {
  if (text.empty() || text.size() > 10) return false;
  std::uint64_t number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + static_cast<unsigned>(c - '0');
  }
  if (number > 0xFFFFFFFFu) return false;
  *value = static_cast<std::uint32_t>(number);
  return true;
}

// The well-formed lines of the file, in order; false when it cannot be read.
bool ReadLines(const std::string& path, std::vector<Line>* lines) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  std::string text(kMaxFile, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), file));
  const bool cut = text.size() == kMaxFile && std::fgetc(file) != EOF;
  std::fclose(file);
  if (cut) text.erase(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);

  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t equals = line.find('=');
    if (line.size() > kMaxLine || equals == std::string::npos || equals == 0) continue;
    if (line.find('\0') != std::string::npos) continue;
    lines->push_back(Line{line.substr(0, equals), line.substr(equals + 1)});
  }
  return true;
}

bool WriteLines(const std::string& path, const std::vector<Line>& lines) {
  std::string text;
  for (const Line& line : lines) text += line.name + "=" + line.value + "\n";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

struct PrefStore::Impl {
  std::string path;
};

PrefStore::PrefStore() = default;
PrefStore::~PrefStore() { Close(); }

PrefStoreOpen PrefStore::Open(const char* subkey) {
  Close();
  if (forcedFault != PrefStoreFault::kNone) return PrefStoreOpen::kFailed;
  const std::string path = StorePath(subkey);

  PrefStoreOpen result = PrefStoreOpen::kOpened;
  int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);  // full access, as the key asks
  if (fd < 0 && errno == ENOENT && MakeParentFolders(path)) {
    fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      if (path.rfind(std::string(kDefaultFolder) + "/", 0) == 0) fchmod(fd, 0666);
      result = PrefStoreOpen::kCreated;
    } else if (errno == EEXIST) {  // another process created it meanwhile
      fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    }
  }
  if (fd < 0) return PrefStoreOpen::kFailed;
  close(fd);
  impl_ = std::make_unique<Impl>(Impl{path});
  return result;
}

PrefStoreOpen PrefStore::OpenForUser(const char* subkey) { return Open(subkey); }

bool PrefStore::IsOpen() const { return impl_ != nullptr; }

PrefScope PrefStore::Scope() const { return impl_ ? PrefScope::kMachine : PrefScope::kNone; }

bool PrefStore::ReadDword(const char* name, std::uint32_t* value) const {
  std::vector<Line> lines;
  if (!impl_ || !name || !value || !ReadLines(impl_->path, &lines)) return false;
  // Like a registry value, a name has one value: its first line counts.
  for (const Line& line : lines) {
    if (line.name == name) return ParseDword(line.value, value);
  }
  return false;
}

bool PrefStore::WriteDword(const char* name, std::uint32_t value) {
  if (!impl_ || !name || !*name || std::strchr(name, '=') || std::strchr(name, '\n')) return false;
  std::vector<Line> lines;
  ReadLines(impl_->path, &lines);  // a vanished file is simply written anew
  // The value keeps its place in the file; stray duplicates of it go.
  std::vector<Line> kept;
  bool placed = false;
  for (Line& line : lines) {
    if (line.name != name) {
      kept.push_back(std::move(line));
    } else if (!placed) {
      kept.push_back(Line{name, std::to_string(value)});
      placed = true;
    }
  }
  if (!placed) kept.push_back(Line{name, std::to_string(value)});
  return WriteLines(impl_->path, kept);
}

void PrefStore::Close() { impl_.reset(); }

void SetPrefStoreFault(PrefStoreFault fault) { forcedFault = fault; }

void SetPrefStoreKeyPrefix(const std::string&) {}

}  // namespace platform
