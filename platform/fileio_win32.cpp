#include <windows.h>

#include <atomic>
#include <cwchar>
#include <string>

#include "platform/fileio.h"
#include "platform/fileio_internal.h"
#include "platform/log.h"
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

constexpr wchar_t kLongPrefix[] = L"\\\\?\\";

// `path` as the wide API takes it at any length. Only the long form
// ("\\?\C:\...") passes MAX_PATH, and it skips the system's own
// normalisation, so the path is made absolute and normalised first.
std::wstring SystemPath(const std::wstring& path) {
  if (path.size() < MAX_PATH || path.rfind(kLongPrefix, 0) == 0) return path;
  std::wstring full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
  const DWORD length =
      GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length == 0 || length >= full.size()) return path;
  full.resize(length);
  if (full.rfind(L"\\\\", 0) == 0) return kLongPrefix + (L"UNC" + full.substr(1));
  return kLongPrefix + full;
}

// The name a user can find: without the long form's prefix.
std::string ShownPath(const std::wstring& path) {
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return Utf8FromWide(L"\\" + path.substr(7));
  if (path.rfind(kLongPrefix, 0) == 0) return Utf8FromWide(path.substr(4));
  return Utf8FromWide(path);
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The attributes a save keeps; read-only is not among them, since a
// read-only file is not to be replaced at all.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool WriteWhole(HANDLE file, const void* data, std::size_t size) {
  DWORD written = 0;
  if (WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) == 0) return false;
  if (written == size) return true;
  SetLastError(ERROR_HANDLE_DISK_FULL);
  return false;
}

bool WriteAndFlush(HANDLE file, const void* data, std::size_t size) {
  return Step(ReplaceStep::kWrite, [&] { return WriteWhole(file, data, size); }) &&
         Step(ReplaceStep::kFlush, [&] { return FlushFileBuffers(file) != 0; });
}

// A new empty file of a name of our own beside the target, open for writing,
// and its name in `*name`. GetTempFileNameW refuses a folder of more than
// MAX_PATH-14 characters, where the file itself may still be saved.
HANDLE CreateTemporary(const std::wstring& folder, std::wstring* name) {
  static std::atomic<unsigned> made{GetTickCount() ^ (GetCurrentProcessId() << 16)};
  for (int attempt = 0; attempt < 100; ++attempt) {
    wchar_t leaf[16];
    swprintf(leaf, 16, L"kmx%08X.tmp", made++);
    const bool atRoot = folder.back() == L'\\' || folder.back() == L'/';  // "C:\"
    *name = SystemPath(folder + (atRoot ? L"" : L"\\") + leaf);
    HANDLE file = CreateFileW(name->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return INVALID_HANDLE_VALUE;
}

// Writes the temporary file whole and closes it; on failure the error is
// GetLastError's.
bool WriteTemporary(HANDLE file, const void* data, std::size_t size) {
  const bool written = WriteAndFlush(file, data, size);
  const DWORD writeError = GetLastError();
  // Closed in any case; only its result may be a planned failure.
  const bool closedNow = CloseHandle(file) != 0;
  const bool closed = Step(ReplaceStep::kClose, [&] { return closedNow; });
  if (!written) SetLastError(writeError);
  return written && closed;
}

// A failed save that leaves the target as it was: the temporary file goes.
bool Abandon(const std::wstring& temporary, DWORD failure, FileError* error) {
  DeleteFileW(temporary.c_str());
  return Fail(error, failure, false);
}

// The new contents, whole and flushed, in a file of their own beside the
// target (on its volume, so that the last step is a rename); false, with
// `*error` filled and nothing left behind, when they cannot be.
bool WriteBeside(const std::wstring& target, const void* data, std::size_t size,
                 std::wstring* temporary, FileError* error) {
  HANDLE file = INVALID_HANDLE_VALUE;
  if (!Step(ReplaceStep::kCreateTemporary, [&] {
        return (file = CreateTemporary(FolderOf(target), temporary)) != INVALID_HANDLE_VALUE;
      }))
    return Fail(error, GetLastError(), true);
  if (!WriteTemporary(file, data, size)) return Abandon(*temporary, GetLastError(), error);
  return true;
}

// A failed save after the old file left the target's name, or after a write
// in place began: the temporary file holds the only whole copy of the new
// contents, and stays.
bool Keep(const std::wstring& temporary, DWORD failure, FileError* error) {
  Fail(error, failure, false);
  if (error != nullptr) error->keptIn = ShownPath(temporary);
  return false;
}

// The old file, kept under the backup name until the new one is in place.
void RemoveBackup(const std::wstring& backup) {
  if (!DeleteFileW(backup.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
    Log("Could not remove %s, the replaced file's backup.\n", ShownPath(backup).c_str());
}

bool MoveOver(const std::wstring& from, const std::wstring& to) {
  return MoveFileExW(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// ReplaceFileW, or what a planned failure of it leaves: the target gone for
// 1176, renamed to the backup name for 1177, as the system does before it
// reports them.
bool ReplaceOrAsPlanned(const std::wstring& target, const std::wstring& temporary,
                        const std::wstring& backup) {
  const std::uint32_t planned = internal::TakePlannedFailure(ReplaceStep::kReplace);
  if (planned == ERROR_UNABLE_TO_MOVE_REPLACEMENT) DeleteFileW(target.c_str());
  if (planned == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) MoveFileExW(target.c_str(), backup.c_str(), 0);
  if (planned != 0) {
    SetLastError(planned);
    return false;
  }
  return ReplaceFileW(target.c_str(), temporary.c_str(), backup.c_str(), REPLACEFILE_WRITE_THROUGH,
                      nullptr, nullptr) != 0;
}

// After a failed ReplaceFileW: a target still under its name was not touched.
// One gone from it (1176: deleted; 1177: under the backup name) is followed
// by the new file, or else by the old one back from the backup name; the
// temporary file then holds the only copy of the new contents, and stays.
bool Recover(const std::wstring& target, const std::wstring& temporary, const std::wstring& backup,
             DWORD failure, FileError* error) {
  if (Exists(target)) return Abandon(temporary, failure, error);
  if (Step(ReplaceStep::kMoveIntoPlace, [&] { return MoveOver(temporary, target); })) {
    RemoveBackup(backup);
    return true;
  }
  if (Exists(backup) && !Step(ReplaceStep::kPutBack, [&] { return MoveOver(backup, target); }))
    Log("The replaced file is kept in %s.\n", ShownPath(backup).c_str());
  return Keep(temporary, failure, error);
}

// The temporary file takes the target's place. ReplaceFileW keeps the
// target's identity (its security, creation time, streams); with a backup
// name of our own, the old file is never anywhere we cannot find it. A
// target that does not exist yet is simply renamed into place.
bool PutInPlace(const std::wstring& temporary, const std::wstring& target, FileError* error) {
  if (!Exists(target)) {
    if (Step(ReplaceStep::kReplace, [&] { return MoveOver(temporary, target); })) return true;
    return Abandon(temporary, GetLastError(), error);
  }
  const std::wstring backup = temporary.substr(0, temporary.size() - 3) + L"old";
  if (!ReplaceOrAsPlanned(target, temporary, backup))
    return Recover(target, temporary, backup, GetLastError(), error);
  RemoveBackup(backup);
  return true;
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

// A target that another program holds open sharing writes but not its
// deletion (an editor, a sync client) can be written, not replaced: the
// handle to write it in place, or INVALID_HANDLE_VALUE with `refusal` as the
// error when even that is refused.
HANDLE OpenToWriteInPlace(const std::wstring& target, DWORD refusal) {
  if (refusal == ERROR_SHARING_VIOLATION) {
    HANDLE file = CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
  }
  SetLastError(refusal);
  return INVALID_HANDLE_VALUE;
}

// Whether `file` now holds exactly `size` bytes of `data`, read back from the start.
bool ReadsBack(HANDLE file, const void* data, std::size_t size) {
  std::string back(size + 1, '\0');
  DWORD read = 0;
  if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
      ReadFile(file, back.data(), static_cast<DWORD>(back.size()), &read, nullptr) == 0)
    return false;
  if (read == size && back.compare(0, size, static_cast<const char*>(data), size) == 0) return true;
  SetLastError(ERROR_FILE_CORRUPT);
  return false;
}

bool WriteInPlace(HANDLE file, const void* data, std::size_t size) {
  return Step(ReplaceStep::kWriteInPlace,
              [&] { return SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0; }) &&
         WriteWhole(file, data, size) && SetEndOfFile(file) != 0 && FlushFileBuffers(file) != 0 &&
         ReadsBack(file, data, size);
}

// The save of a file that cannot be replaced: the whole new contents are
// already in the temporary file, so a write in place that fails part way
// still leaves them somewhere whole.
bool SaveInPlace(HANDLE file, const std::wstring& temporary, const std::wstring& target,
                 const void* data, std::size_t size, FileError* error) {
  const bool written = WriteInPlace(file, data, size);
  const DWORD failure = GetLastError();
  CloseHandle(file);
  if (!written) return Keep(temporary, failure, error);
  DeleteFileW(temporary.c_str());
  Log("Saved %s in place, not atomically: another program holds it open.\n",
      ShownPath(target).c_str());
  return true;
}

}  // namespace

bool ReadFileStart(const std::string& path, void* buffer, std::size_t capacity, std::size_t* got,
                   FileError* error) {
  *got = 0;
  HANDLE file = CreateFileW(SystemPath(WideFromUtf8(path)).c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
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
  const std::wstring target = SystemPath(WideFromUtf8(path));
  const DWORD oldAttributes = GetFileAttributesW(target.c_str());
  // A folder of that name, or a file the user protected, is not replaced:
  // that fails as opening it for writing would, before anything is made.
  if (oldAttributes != INVALID_FILE_ATTRIBUTES &&
      (oldAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
    return Fail(error, ERROR_ACCESS_DENIED, true);
  // A file another program holds without letting it be replaced is written
  // in place when it may be written, or else fails here, as opening it for
  // writing would, before anything is made (Wine's ReplaceFileW leaves a
  // file of its own behind when it meets one).
  HANDLE inPlace = INVALID_HANDLE_VALUE;
  if (oldAttributes != INVALID_FILE_ATTRIBUTES && !MayBeReplaced(target) &&
      (inPlace = OpenToWriteInPlace(target, GetLastError())) == INVALID_HANDLE_VALUE)
    return Fail(error, GetLastError(), true);
  std::wstring temporary;
  const bool written = WriteBeside(target, data, size, &temporary, error);
  if (inPlace != INVALID_HANDLE_VALUE) {
    if (written) return SaveInPlace(inPlace, temporary, target, data, size, error);
    CloseHandle(inPlace);
    return false;
  }
  if (!written || !PutInPlace(temporary, target, error)) return false;
  if (oldAttributes != INVALID_FILE_ATTRIBUTES && (oldAttributes & kKeptAttributes) != 0)
    SetFileAttributesW(target.c_str(), oldAttributes & (kKeptAttributes | FILE_ATTRIBUTE_ARCHIVE));
  return true;
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(SystemPath(WideFromUtf8(path)).c_str());
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
