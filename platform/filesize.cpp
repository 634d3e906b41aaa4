#include "platform/filesize.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace platform {

bool TruncateFile(std::FILE* file, std::uint64_t length) {
  if (std::fflush(file) != 0) return false;
#ifdef _WIN32
  return _chsize_s(_fileno(file), static_cast<long long>(length)) == 0;
#else
  return ftruncate(fileno(file), static_cast<off_t>(length)) == 0;
#endif
}

}  // namespace platform
