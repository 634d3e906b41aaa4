#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/fileio.h"
#include "platform/fileio_internal.h"

namespace platform {
namespace internal {

void SetSystemError(std::uint32_t code) { errno = static_cast<int>(code); }

}  // namespace internal
namespace {

using internal::Fail;
using internal::Step;

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteWhole(int file, const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = write(file, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (written == 0) errno = ENOSPC;
      return false;
    }
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// A new file of a unique name in `folder`, made with the permissions a new
// file gets there; its descriptor, or -1.
int CreateTemporary(const std::string& folder, std::string* name) {
  static std::atomic<unsigned> made{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    *name = folder + "/.kmx-" + std::to_string(getpid()) + "-" + std::to_string(made++) + ".tmp";
    const int file = open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (file >= 0 || errno != EEXIST) return file;
  }
  return -1;
}

bool WriteTemporary(int file, const void* data, std::size_t size) {
  const bool written = Step(ReplaceStep::kWrite, [&] { return WriteWhole(file, data, size); }) &&
                       Step(ReplaceStep::kFlush, [&] { return fsync(file) == 0; });
  const int writeError = errno;
  // Closed in any case; only its result may be a planned failure.
  const bool closedNow = close(file) == 0;
  const bool closed = Step(ReplaceStep::kClose, [&] { return closedNow; });
  if (!written) errno = writeError;
  return written && closed;
}

}  // namespace

bool ReadFileStart(const std::string& path, void* buffer, std::size_t capacity, std::size_t* got,
                   FileError* error) {
  *got = 0;
  struct stat status {};
  // A folder opens for reading here, unlike on Windows: refuse it as Windows does.
  if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) return Fail(error, EISDIR, true);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return Fail(error, static_cast<std::uint32_t>(errno), true);
  *got = std::fread(buffer, 1, capacity, file);
  const bool failed = std::ferror(file) != 0;
  const int readError = errno;
  std::fclose(file);
  if (failed) return Fail(error, static_cast<std::uint32_t>(readError), false);
  return true;
}

bool ReplaceFileContents(const std::string& path, const void* data, std::size_t size,
                         FileError* error) {
  struct stat old {};
  const bool exists = stat(path.c_str(), &old) == 0;
  // A folder of that name is not replaced: that fails as opening it would.
  if (exists && S_ISDIR(old.st_mode)) return Fail(error, EISDIR, true);

  std::string temporary;
  int file = -1;
  if (!Step(ReplaceStep::kCreateTemporary,
            [&] { return (file = CreateTemporary(FolderOf(path), &temporary)) >= 0; }))
    return Fail(error, static_cast<std::uint32_t>(errno), true);
  // The new file keeps the old one's permissions; a new one has the usual.
  if (exists) fchmod(file, old.st_mode & 07777);
  if (!WriteTemporary(file, data, size) || !Step(ReplaceStep::kReplace, [&] {
        return std::rename(temporary.c_str(), path.c_str()) == 0;
      })) {
    const int failure = errno;
    unlink(temporary.c_str());
    return Fail(error, static_cast<std::uint32_t>(failure), false);
  }
  return true;
}

bool FileExists(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

std::string SystemErrorText(std::uint32_t code) { return std::strerror(static_cast<int>(code)); }

}  // namespace platform
