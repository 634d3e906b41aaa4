#include "gui/mixclipboard.h"

#include <cstring>
#include <string>

#include "platform/log.h"
#include "platform/widetext.h"

namespace {

// Moveable global memory holding `size` bytes of `data`, as the clipboard
// takes it; null when there is no memory.
HGLOBAL GlobalCopy(const void* data, std::size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (memory == nullptr) return nullptr;
  void* bytes = GlobalLock(memory);
  if (bytes == nullptr) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(bytes, data, size);
  GlobalUnlock(memory);
  return memory;
}

// The clipboard owns the memory once it took it; until then it is ours.
bool Offer(UINT format, const void* data, std::size_t size) {
  HGLOBAL memory = GlobalCopy(data, size);
  if (memory == nullptr) return false;
  if (SetClipboardData(format, memory) != nullptr) return true;
  GlobalFree(memory);
  return false;
}

// Another program may hold the clipboard open for a moment.
bool OpenClipboardOf(HWND owner) {
  if (OpenClipboard(owner)) return true;
  platform::Log("The clipboard could not be opened (error %lu).\n", GetLastError());
  return false;
}

}  // namespace

UINT MixClipboard::Format() {
  static const UINT format = RegisterClipboardFormatW(kFormatName);
  return format;
}

bool MixClipboard::HoldsMix() { return Format() != 0 && IsClipboardFormatAvailable(Format()); }

bool MixClipboard::Put(HWND owner, const MixBlock& block) {
  if (Format() == 0 || !OpenClipboardOf(owner)) return false;
  EmptyClipboard();
  const std::wstring text = platform::WideFromUtf8(MixBlockText(block));
  const bool put = Offer(Format(), block.data(), block.size()) &&
                   Offer(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  CloseClipboard();
  if (!put) platform::Log("The mix could not be put on the clipboard.\n");
  return put;
}

bool MixClipboard::Take(HWND owner, MixBlock* block) {
  if (!HoldsMix() || !OpenClipboardOf(owner)) return false;
  bool read = false;
  if (HANDLE memory = GetClipboardData(Format())) {
    if (const void* bytes = GlobalLock(memory)) {
      read = ReadMixBlock(bytes, GlobalSize(memory), block);
      GlobalUnlock(memory);
    }
  }
  CloseClipboard();
  return read;
}
