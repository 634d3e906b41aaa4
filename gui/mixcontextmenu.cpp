#include "gui/mixcontextmenu.h"

#include "gui/mixclipboard.h"
#include "gui/mixcommands.h"
#include "gui/remotecontrolcommand.h"
#include "platform/widetext.h"
#include "velmora/mixsteps.h"

namespace {

void Add(HMENU menu, UINT_PTR id, const std::wstring& text, bool enabled = true) {
  AppendMenuW(menu, MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), id, text.c_str());
}

void AddSeparator(HMENU menu) { AppendMenuW(menu, MF_SEPARATOR, 0, nullptr); }

void AddSubmenu(HMENU menu, HMENU submenu, const wchar_t* text) {
  AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), text);
}

// "Undo Ch 3 fader", or "Undo" alone when there is nothing.
std::wstring StepText(const char* verb, const std::string& what, const char* key) {
  const std::string text = std::string(verb) + (what.empty() ? "" : " " + what) + "\t" + key;
  return platform::WideFromUtf8(text);
}

std::wstring Formatted(int (*format)(LCID, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int),
                       DWORD flags, const SYSTEMTIME& time) {
  wchar_t text[128] = L"";
  if (format(LOCALE_USER_DEFAULT, flags, &time, nullptr, text, 128) == 0) return L"?";
  return text;
}

}  // namespace

HMENU MixContextMenu::Build() {
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return nullptr;
  AddHistory(menu);
  AddSeparator(menu);
  AddClipboard(menu);
  AddSeparator(menu);
  AddSnapshots(menu);
  AddSeparator(menu);
  Add(menu, MixCommands::kRemoteControl, L"Remote Control...",
      RegisteredRemoteControlCommand() != nullptr);
  return menu;
}

void MixContextMenu::AddHistory(HMENU menu) {
  Add(menu, MixCommands::kUndo, StepText("Undo", UndoName(), "Ctrl+Z"), CanUndo());
  Add(menu, MixCommands::kRedo, StepText("Redo", RedoName(), "Ctrl+Y"), CanRedo());
}

void MixContextMenu::AddClipboard(HMENU menu) {
  Add(menu, MixCommands::kCopyMix, L"Copy Mix\tCtrl+C");
  Add(menu, MixCommands::kPasteMix, L"Paste Mix\tCtrl+V", MixClipboard::HoldsMix());
  HMENU pairs = CreatePopupMenu();
  const int shown = MixCommands::ShownPair();
  for (int pair = 0; pair < 4; ++pair) {
    if (pair != shown)
      Add(pairs, MixCommands::kCopyMixTo + pair,
          platform::WideFromUtf8(MixCommands::PairName(pair)));
  }
  AddSubmenu(menu, pairs, L"Copy Mix To");
}

// Each slot's file is looked at as the menu opens: a slot may have been
// filled by another mixer, or by hand.
void MixContextMenu::AddSnapshots(HMENU menu) {
  HMENU recall = CreatePopupMenu();
  HMENU store = CreatePopupMenu();
  for (int slot = 1; slot <= kSnapshotSlots; ++slot) {
    const SnapshotSlot content = ReadSnapshotSlot(slot);
    Add(recall, MixCommands::kRecallSnapshot + slot, SlotText(slot, content, false),
        content.state != SnapshotState::kEmpty);
    Add(store, MixCommands::kStoreSnapshot + slot, SlotText(slot, content, true));
  }
  AddSubmenu(menu, recall, L"Recall Snapshot");
  AddSubmenu(menu, store, L"Store Snapshot");
}

std::wstring MixContextMenu::SlotText(int slot, const SnapshotSlot& content, bool store) {
  std::wstring text = std::to_wstring(slot) + L"  ";
  if (content.state == SnapshotState::kEmpty) text += L"(empty)";
  if (content.state == SnapshotState::kUnreadable) text += L"(unreadable)";
  if (content.state == SnapshotState::kStored) text += LocalDateTime(content.storedAt);
  // An empty slot's greyed Recall item has no key: the key recalls nothing.
  if (!store && content.state == SnapshotState::kEmpty) return text;
  return text + (store ? L"\tCtrl+Shift+" : L"\tCtrl+") + std::to_wstring(slot);
}

std::wstring MixContextMenu::LocalDateTime(std::int64_t secondsUtc) {
  // FILETIME counts 100 ns intervals from 1601-01-01.
  constexpr std::int64_t kSecondsFrom1601 = 11644473600;
  const std::uint64_t ticks = static_cast<std::uint64_t>(secondsUtc + kSecondsFrom1601) * 10000000u;
  const FILETIME file{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME utc{}, local{};
  if (!FileTimeToSystemTime(&file, &utc)) return L"?";
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
  return Formatted(GetDateFormatW, DATE_SHORTDATE, local) + L" " +
         Formatted(GetTimeFormatW, TIME_NOSECONDS, local);
}

bool MixContextMenu::Open(HWND window, LPARAM where) {
  POINT at{static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
  if (where == -1) {
    at = FocusPoint(window);
  } else {
    RECT client{};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    if (!PtInRect(&client, at)) return false;
  }
  HMENU menu = Build();
  if (menu == nullptr) return false;
  // The chosen command arrives as the window's WM_COMMAND, as a key's does.
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, window,
                 nullptr);
  DestroyMenu(menu);
  return true;
}

// The middle of the focused control, or the client area's corner when no
// control of the window has the focus.
POINT MixContextMenu::FocusPoint(HWND window) {
  HWND focus = GetFocus();
  RECT rect{};
  if (focus != nullptr && IsChild(window, focus)) {
    GetWindowRect(focus, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  }
  POINT corner{0, 0};
  ClientToScreen(window, &corner);
  return corner;
}
