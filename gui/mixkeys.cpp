#include "gui/mixkeys.h"

#include <vector>

#include "gui/mixcommands.h"
#include "velmora/snapshots.h"

namespace {

bool IsDown(int key) { return GetKeyState(key) < 0; }

bool IsEditControl(HWND window) {
  char name[16] = "";
  return GetClassNameA(window, name, sizeof name) > 0 && lstrcmpiA(name, "Edit") == 0;
}

}  // namespace

HACCEL MixKeys::Shortcuts() {
  static const HACCEL table = [] {
    std::vector<ACCEL> keys = {
        {FCONTROL | FVIRTKEY, 'Z', MixCommands::kUndo},
        {FCONTROL | FVIRTKEY, 'Y', MixCommands::kRedo},
        {FCONTROL | FSHIFT | FVIRTKEY, 'Z', MixCommands::kRedo},
        {FCONTROL | FVIRTKEY, 'C', MixCommands::kCopyMix},
        {FCONTROL | FVIRTKEY, 'V', MixCommands::kPasteMix},
    };
    for (WORD slot = 1; slot <= kSnapshotSlots; ++slot) {
      const WORD digit = static_cast<WORD>('0' + slot);
      keys.push_back(
          {FCONTROL | FVIRTKEY, digit, static_cast<WORD>(MixCommands::kRecallSnapshot + slot)});
      keys.push_back({FCONTROL | FSHIFT | FVIRTKEY, digit,
                      static_cast<WORD>(MixCommands::kStoreSnapshot + slot)});
    }
    return CreateAcceleratorTableA(keys.data(), static_cast<int>(keys.size()));
  }();
  return table;
}

// Shift+F10 arrives as a system key; the Menu key's release would open a
// control's own menu as well, so it is taken too.
bool MixKeys::OpensMenu(const MSG& msg) {
  const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
  if (msg.wParam == VK_APPS) return down || msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP;
  return down && msg.wParam == VK_F10 && IsDown(VK_SHIFT) && !IsDown(VK_CONTROL) &&
         !IsDown(VK_MENU);
}

// Ctrl+Shift+Z too: a box reads it as the same text undo.
bool MixKeys::IsTextKey(const MSG& msg) {
  switch (msg.wParam) {
    case 'Z':
    case 'X':
    case 'C':
    case 'V':
      return IsEditControl(msg.hwnd);
    default:
      return false;
  }
}

bool MixKeys::Take(const MSG& msg, HWND mainWindow) {
  if (OpensMenu(msg)) {
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)
      SendMessageW(mainWindow, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(msg.hwnd), -1);
    return true;
  }
  if (msg.message != WM_KEYDOWN || IsTextKey(msg)) return false;
  MSG copy = msg;
  return TranslateAcceleratorA(mainWindow, Shortcuts(), &copy) != 0;
}
