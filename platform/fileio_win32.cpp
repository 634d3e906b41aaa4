#include <windows.h>

#include <string>

#include "platform/fileio.h"
#include "platform/fileio_internal.h"
#include "platform/widetext.h"

namespace platform {
namespace internal {

void SetSystemError(std::uint32_t code) { SetLastError(code); }

}  // namespace internal
namespace {

using internal::Fail;
using internal::Step;

std::wstring FolderOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return L".";
  if (slash == 0 || path[slash - 1] == L':') return path.substr(0, slash + 1);  // "C:\", "\"
  return path.substr(0, slash);
}

// The attributes a save keeps; read-only is not among them, since a
// read-only file is not to be replaced at all.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool WriteAndFlush(HANDLE file, const void* data, std::size_t size) {
  DWORD written = 0;
  if (!Step(ReplaceStep::kWrite, [&] {
        return WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) != 0;
      }))
    return false;
  if (written != size) {
    SetLastError(ERROR_HANDLE_DISK_FULL);
    return false;
  }
  return Step(ReplaceStep::kFlush, [&] { return FlushFileBuffers(file) != 0; });
}

// Writes the temporary file whole; on failure the error is GetLastError's.
bool WriteTemporary(const std::wstring& temporary, const void* data, std::size_t size) {
  HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool written = WriteAndFlush(file, data, size);
  const DWORD writeError = GetLastError();
  // Closed in any case; only its result may be a planned failure.
  const bool closedNow = CloseHandle(file) != 0;
  const bool closed = Step(ReplaceStep::kClose, [&] { return closedNow; });
  if (!written) SetLastError(writeError);
  return written && closed;
}

// The temporary file takes the target's place. ReplaceFileW keeps the
// target's identity (its security, creation time, streams); a target that
// does not exist yet is simply renamed into place.
bool PutInPlace(const std::wstring& temporary, const std::wstring& target) {
  const DWORD moveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  auto move = [&] { return MoveFileExW(temporary.c_str(), target.c_str(), moveFlags) != 0; };
  if (GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES)
    return Step(ReplaceStep::kReplace, move);
  if (Step(ReplaceStep::kReplace, [&] {
        return ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_WRITE_THROUGH,
                            nullptr, nullptr) != 0;
      }))
    return true;
  // Without a backup name, this one error means the old file is already
  // gone and the new one still carries the temporary name: finish the move.
  return GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT && move();
}

// Whether the existing `target` can be opened as ReplaceFileW opens it.
bool MayBeReplaced(const std::wstring& target) {
  HANDLE file = CreateFileW(target.c_str(), GENERIC_READ | DELETE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

}  // namespace

bool ReadFileStart(const std::string& path, void* buffer, std::size_t capacity, std::size_t* got,
                   FileError* error) {
  *got = 0;
  HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Fail(error, GetLastError(), true);
  DWORD read = 0;
  const bool ok = ReadFile(file, buffer, static_cast<DWORD>(capacity), &read, nullptr) != 0;
  const DWORD readError = GetLastError();
  CloseHandle(file);
  if (!ok) return Fail(error, readError, false);
  *got = read;
  return true;
}

bool ReplaceFileContents(const std::string& path, const void* data, std::size_t size,
                         FileError* error) {
  const std::wstring target = WideFromUtf8(path);
  const DWORD oldAttributes = GetFileAttributesW(target.c_str());
  // A folder of that name, or a file the user protected, is not replaced:
  // that fails as opening it for writing would, before anything is made.
  if (oldAttributes != INVALID_FILE_ATTRIBUTES &&
      (oldAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
    return Fail(error, ERROR_ACCESS_DENIED, true);
  // A file another program holds without letting it be replaced fails here,
  // as opening it for writing would, before anything is made (Wine's
  // ReplaceFileW leaves a file of its own behind when it meets one).
  if (oldAttributes != INVALID_FILE_ATTRIBUTES && !MayBeReplaced(target))
    return Fail(error, GetLastError(), true);
  wchar_t temporary[MAX_PATH] = L"";
  // A unique name in the target's folder (made there as an empty file), so
  // that the last step is a rename within one volume.
  if (!Step(ReplaceStep::kCreateTemporary,
            [&] { return GetTempFileNameW(FolderOf(target).c_str(), L"kmx", 0, temporary) != 0; }))
    return Fail(error, GetLastError(), true);
  if (!WriteTemporary(temporary, data, size) || !PutInPlace(temporary, target)) {
    const DWORD failure = GetLastError();
    DeleteFileW(temporary);
    return Fail(error, failure, false);
  }
  if (oldAttributes != INVALID_FILE_ATTRIBUTES && (oldAttributes & kKeptAttributes) != 0)
    SetFileAttributesW(target.c_str(), oldAttributes & (kKeptAttributes | FILE_ATTRIBUTE_ARCHIVE));
  return true;
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(WideFromUtf8(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string SystemErrorText(std::uint32_t code) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring wide = length ? std::wstring(text, length) : std::wstring();
  if (text) LocalFree(text);
  while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L' '))
    wide.pop_back();
  if (wide.empty()) return "Error " + std::to_string(code);
  return Utf8FromWide(wide);
}

}  // namespace platform
