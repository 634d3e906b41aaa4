// The mixer's own commands in the window made in this process: the context
// menu, the keys through the program's message loop, the clipboard and the
// snapshot slots.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gui/mixclipboard.h"
#include "gui/mixcommands.h"
#include "gui/mixcontextmenu.h"
#include "gui/remotecontrolcommand.h"
#include "platform/log.h"
#include "tests/gui/mixerwindowfixture.h"
#include "velmora/mixblock.h"
#include "velmora/mixsteps.h"
#include "velmora/snapshots.h"

namespace {

std::wstring ItemText(HMENU menu, int position) {
  wchar_t text[128] = L"";
  GetMenuStringW(menu, static_cast<UINT>(position), text, 128, MF_BYPOSITION);
  return text;
}

bool IsGreyed(HMENU menu, int position) {
  return (GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_GRAYED) != 0;
}

std::vector<std::wstring> ItemTexts(HMENU menu) {
  std::vector<std::wstring> texts;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) texts.push_back(ItemText(menu, i));
  return texts;
}

// Puts `size` bytes in our clipboard format, as another program might.
void PutOnClipboard(const void* data, std::size_t size) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(GlobalLock(memory), data, size);
  GlobalUnlock(memory);
  SetClipboardData(MixClipboard::Format(), memory);
  CloseClipboard();
}

std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE memory = GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(GlobalLock(memory));
    GlobalUnlock(memory);
  }
  CloseClipboard();
  return text;
}

// The texts of the popup menu that this thread opens while `open` runs; the
// menu is closed again at once.
std::vector<std::wstring> PopupOpenedBy(const std::function<void()>& open) {
  static std::vector<std::wstring> seen;
  seen.clear();
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND popup = nullptr;  // this thread's: another test's menu may be open as well
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM found) -> BOOL {
          char name[16] = "";
          GetClassNameA(window, name, sizeof name);
          if (lstrcmpA(name, "#32768") != 0 || !IsWindowVisible(window)) return TRUE;
          *reinterpret_cast<HWND*>(found) = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&popup));
    if (popup == nullptr) return;
    auto* menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
    if (menu != nullptr) seen = ItemTexts(menu);
    EndMenu();
  });
  open();
  KillTimer(nullptr, timer);
  return seen;
}

class MixCommandsWindow : public MixerWindow {
 protected:
  void SetUp() override {
    MixerWindow::SetUp();
    ClearSlots();
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      CloseClipboard();
    }
  }
  void TearDown() override {
    ClearSlots();
    SetKeys(false, false);
    MixerWindow::TearDown();
  }

  // The test prefix's own slots: none is a user's.
  static void ClearSlots() {
    std::error_code ignored;
    for (int slot = 1; slot <= kSnapshotSlots; ++slot)
      std::filesystem::remove_all(platform::WideFromUtf8(SnapshotPath(slot)), ignored);
  }

  static void SetKeys(bool control, bool shift) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = control ? 0x80 : 0;
    keys[VK_SHIFT] = keys[VK_LSHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
  }

  // A key pressed in `target` with the modifiers given, through the
  // program's own message loop.
  void Key(HWND target, WPARAM key, bool control, bool shift = false) {
    SetKeys(control, shift);
    const bool system = key == VK_F10;
    MSG msg{target, static_cast<UINT>(system ? WM_SYSKEYDOWN : WM_KEYDOWN), key, 1, 0, {}};
    VelmoraApp::Dispatch(msg, window);
    testsupport::PumpPending();
    SetKeys(false, false);
  }

  HWND Control(int id) const { return GetDlgItem(window, id); }
  void ShowPair(int pair) {
    const HWND selector = Control(IDMIXSELECT);
    SendMessageA(selector, CB_SETCURSEL, static_cast<WPARAM>(pair), 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDMIXSELECT, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(selector));
  }
  bool DeviceMixesEqual(int a, int b) {
    return testsupport::PumpUntil([&] {
      const auto state = machine->State(0);
      return state.mixes[a] == state.mixes[b];
    });
  }

  std::vector<std::wstring> Menu() {
    HMENU menu = MixContextMenu::Build();
    std::vector<std::wstring> texts = ItemTexts(menu);
    DestroyMenu(menu);
    return texts;
  }
};

}  // namespace

TEST_F(MixCommandsWindow, TheMenuNamesTheStepsAndGreysWhatCannotBeDone) {
  Open();
  HMENU menu = MixContextMenu::Build();
  const std::vector<std::wstring> items = ItemTexts(menu);
  ASSERT_EQ(items.size(), 11u);
  EXPECT_EQ(items[0], L"Undo\tCtrl+Z");
  EXPECT_TRUE(IsGreyed(menu, 0));
  EXPECT_EQ(items[1], L"Redo\tCtrl+Y");
  EXPECT_TRUE(IsGreyed(menu, 1));
  EXPECT_EQ(items[3], L"Copy Mix\tCtrl+C");
  EXPECT_FALSE(IsGreyed(menu, 3));
  EXPECT_EQ(items[4], L"Paste Mix\tCtrl+V");
  EXPECT_TRUE(IsGreyed(menu, 4)) << "nothing on the clipboard";
  EXPECT_EQ(items[5], L"Copy Mix To");
  EXPECT_EQ(ItemTexts(GetSubMenu(menu, 5)),
            (std::vector<std::wstring>{L"Out 3-4", L"Out 5-6", L"Out 7-8"}));
  EXPECT_EQ(items[7], L"Recall Snapshot");
  EXPECT_EQ(items[8], L"Store Snapshot");
  HMENU recall = GetSubMenu(menu, 7);
  ASSERT_EQ(GetMenuItemCount(recall), 8);
  EXPECT_EQ(ItemText(recall, 1), L"2  (empty)");
  EXPECT_TRUE(IsGreyed(recall, 1));
  EXPECT_EQ(ItemText(GetSubMenu(menu, 8), 7), L"8  (empty)\tCtrl+Shift+8");
  EXPECT_FALSE(IsGreyed(GetSubMenu(menu, 8), 7));
  DestroyMenu(menu);

  // A fader moved, then a copy to another pair: each is a step named for
  // what it did; the pairs offered are those not shown.
  KMXSetFloat(IDFADER + 2, 0.5);
  EXPECT_EQ(Menu()[0], L"Undo Ch 3 fader\tCtrl+Z");
  ShowPair(2);
  menu = MixContextMenu::Build();
  EXPECT_EQ(ItemTexts(GetSubMenu(menu, 5)),
            (std::vector<std::wstring>{L"Out 1-2", L"Out 3-4", L"Out 7-8"}));
  DestroyMenu(menu);
  Command(MixCommands::kCopyMixTo + 0);
  EXPECT_EQ(Menu()[0], L"Undo Copy Mix To Out 1-2\tCtrl+Z");
  Command(MixCommands::kUndo);
  menu = MixContextMenu::Build();
  EXPECT_EQ(ItemText(menu, 1), L"Redo Copy Mix To Out 1-2\tCtrl+Y");
  EXPECT_FALSE(IsGreyed(menu, 1));
  DestroyMenu(menu);
}

namespace {

HWND remoteControlOwner = nullptr;

void RecordRemoteControl(HWND owner) { remoteControlOwner = owner; }

}  // namespace

// The last item, after a separator, is greyed until the program registers
// what it does; the command id does nothing without it.
// The window registers the remote control's dialog as it opens; without a
// command the item is greyed and does nothing.
TEST_F(MixCommandsWindow, RemoteControlIsTheLastItemAndGreyedWithoutACommand) {
  Open();
  HMENU menu = MixContextMenu::Build();
  const int last = GetMenuItemCount(menu) - 1;
  EXPECT_EQ(ItemText(menu, last), L"Remote Control...");
  EXPECT_EQ(GetMenuItemID(menu, last), static_cast<UINT>(MixCommands::kRemoteControl));
  EXPECT_TRUE(GetMenuState(menu, static_cast<UINT>(last - 1), MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_FALSE(IsGreyed(menu, last)) << "the window's own command";
  DestroyMenu(menu);

  remoteControlOwner = nullptr;
  SetRemoteControlCommand(RecordRemoteControl);
  Command(MixCommands::kRemoteControl);
  EXPECT_EQ(remoteControlOwner, window);

  remoteControlOwner = nullptr;
  SetRemoteControlCommand(nullptr);
  menu = MixContextMenu::Build();
  EXPECT_TRUE(IsGreyed(menu, GetMenuItemCount(menu) - 1));
  DestroyMenu(menu);
  Command(MixCommands::kRemoteControl);
  EXPECT_EQ(remoteControlOwner, nullptr);
}

TEST_F(MixCommandsWindow, ACopiedMixPastesIntoAnotherPairAndReachesTheDevice) {
  Open();
  KMXSetFloat(IDFADER + 0, 0.5);
  KMXSetInteger(IDSOLO + 0, 1);
  const double pan = KMXGetFloat(IDPAN + 0);
  Command(MixCommands::kCopyMix);
  EXPECT_TRUE(MixClipboard::HoldsMix());
  const std::wstring text = ClipboardText();
  // Half the gain is -6.0 dB; the other channels are down.
  EXPECT_EQ(text.rfind(L"Ch 1\t-6.0 dB\tcentre\tsolo on\tmute off\r\nCh 2\t-inf dB\t", 0), 0u)
      << platform::Utf8FromWide(text);
  HMENU menu = MixContextMenu::Build();
  EXPECT_FALSE(IsGreyed(menu, 4)) << "Paste Mix";
  DestroyMenu(menu);
  const std::string shown = ControlText(IDFADERTEXT + 0);

  ShowPair(2);
  ASSERT_EQ(KMXGetInteger(IDMIXSELECT), 2);
  EXPECT_NE(KMXGetFloat(IDFADER + 0), 0.5);
  Command(MixCommands::kPasteMix);
  EXPECT_NEAR(KMXGetFloat(IDFADER + 0), 0.5, 1.0 / 32768);
  EXPECT_EQ(KMXGetInteger(IDSOLO + 0), 1);
  EXPECT_DOUBLE_EQ(KMXGetFloat(IDPAN + 0), pan);
  EXPECT_EQ(ControlText(IDFADERTEXT + 0), shown);
  EXPECT_TRUE(DeviceMixesEqual(0, 2));
  EXPECT_EQ(UndoName(), "Paste Mix");

  Command(MixCommands::kUndo);
  EXPECT_NE(KMXGetFloat(IDFADER + 0), 0.5);
  EXPECT_TRUE(testsupport::PumpUntil([&] {
    const auto state = machine->State(0);
    return state.mixes[2] != state.mixes[0];
  }));
}

TEST_F(MixCommandsWindow, CopyMixToWritesTheOtherPairAndKeepsTheShownOne) {
  Open();
  KMXSetFloat(IDFADER + 4, 0.25);
  KMXSetInteger(IDMUTE + 6, 1);
  const SettingsImage before = CurrentImage();
  Command(MixCommands::kCopyMixTo + 3);
  EXPECT_EQ(KMXGetInteger(IDMIXSELECT), 0);
  EXPECT_EQ(SendMessageA(Control(IDMIXSELECT), CB_GETCURSEL, 0, 0), 0);
  const SettingsImage after = CurrentImage();
  EXPECT_EQ(MixBlockOf(after, 3), MixBlockOf(before, 0));
  EXPECT_EQ(MixBlockOf(after, 1), MixBlockOf(before, 1)) << "only the target changes";
  EXPECT_TRUE(DeviceMixesEqual(0, 3));
  EXPECT_EQ(UndoName(), "Copy Mix To Out 7-8");
}

TEST_F(MixCommandsWindow, AMalformedClipboardMixIsRefusedAndNothingChanges) {
  Open();
  KMXSetFloat(IDFADER + 0, 0.5);
  const SettingsImage before = CurrentImage();
  const std::string lastStep = UndoName();
  platform::LogCapture log;

  MixBlock block = MixBlockOf(before, 1);
  PutOnClipboard(block.data(), block.size() - 1);  // one byte short
  Command(MixCommands::kPasteMix);
  EXPECT_EQ(CurrentImage(), before);
  block[3] = 2;  // a mute byte a file never holds
  PutOnClipboard(block.data(), block.size());
  Command(MixCommands::kPasteMix);
  EXPECT_EQ(CurrentImage(), before);
  EXPECT_EQ(UndoName(), lastStep) << "no step recorded";
  EXPECT_GE(log.Lines().size(), 2u) << "each refusal is logged";
  EXPECT_TRUE(boxes.empty());
}

// Through the program's message loop: in a value box the text keys are the
// box's own; anywhere else they are the mixer's.
TEST_F(MixCommandsWindow, TheTextKeysStayAValueBoxsOwnAndWorkTheMixElsewhere) {
  Open();
  KMXSetFloat(IDFADER + 2, 0.5);
  const SettingsImage changed = CurrentImage();
  HWND box = Control(IDFADERTEXT + 2);
  SetFocus(box);
  SetWindowTextA(box, "-3");
  Key(box, 'Z', true);
  EXPECT_EQ(CurrentImage(), changed) << "Ctrl+Z in a box undoes no step";
  Key(box, 'C', true);
  EXPECT_FALSE(MixClipboard::HoldsMix()) << "Ctrl+C in a box copies no mix";

  HWND fader = Control(IDFADER + 2);
  SetFocus(fader);
  Key(fader, 'Z', true);
  EXPECT_NE(CurrentImage(), changed);
  Key(fader, 'Y', true);
  EXPECT_EQ(CurrentImage(), changed);
  Key(fader, 'Z', true);
  Key(fader, 'Z', true, true);  // Ctrl+Shift+Z redoes too
  EXPECT_EQ(CurrentImage(), changed);
  Key(fader, 'C', true);
  EXPECT_TRUE(MixClipboard::HoldsMix());
  ShowPair(1);
  Key(Control(IDMIXSELECT), 'V', true);
  EXPECT_EQ(MixBlockOf(CurrentImage(), 1), MixBlockOf(changed, 0));
}

TEST_F(MixCommandsWindow, TheRightButtonAndShiftF10OpenTheMenuAndAValueBoxKeepsItsOwn) {
  Open();
  HWND fader = Control(IDFADER + 1);
  const std::vector<std::wstring> onFader = PopupOpenedBy([&] {
    SendMessageA(fader, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 40));
    SendMessageA(fader, WM_RBUTTONUP, 0, MAKELPARAM(5, 40));
  });
  ASSERT_FALSE(onFader.empty());
  EXPECT_EQ(onFader.front(), L"Undo\tCtrl+Z");

  HWND box = Control(IDPANTEXT + 1);
  SetFocus(box);
  const std::vector<std::wstring> inBox = PopupOpenedBy([&] {
    SendMessageA(box, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 3));
    SendMessageA(box, WM_RBUTTONUP, 0, MAKELPARAM(3, 3));
  });
  ASSERT_FALSE(inBox.empty()) << "the box's own menu";
  EXPECT_NE(inBox.front(), L"Undo\tCtrl+Z");

  // From the keyboard the menu comes from the box as from any control.
  EXPECT_EQ(PopupOpenedBy([&] { Key(box, VK_F10, false, true); }), onFader);
  EXPECT_EQ(PopupOpenedBy([&] { Key(fader, VK_APPS, false); }), onFader);
}

TEST_F(MixCommandsWindow, ASnapshotIsStoredAndRecalledAsOneStep) {
  Open();
  KMXSetFloat(IDFADER + 5, 0.5);
  const SettingsImage stored = CurrentImage();
  Command(MixCommands::kStoreSnapshot + 2);
  EXPECT_TRUE(boxes.empty());
  HMENU menu = MixContextMenu::Build();
  const std::wstring item = ItemText(GetSubMenu(menu, 7), 1);
  EXPECT_EQ(item.rfind(L"2  ", 0), 0u);
  EXPECT_EQ(item.find(L"(empty)"), std::wstring::npos);
  EXPECT_EQ(item.substr(item.size() - 7), L"\tCtrl+2");
  EXPECT_FALSE(IsGreyed(GetSubMenu(menu, 7), 1));
  DestroyMenu(menu);

  KMXSetFloat(IDFADER + 5, 0.125);
  ShowPair(3);
  KMXSetInteger(IDMUTE + 0, 1);
  Command(MixCommands::kRecallSnapshot + 2);
  EXPECT_EQ(CurrentImage(), stored);
  EXPECT_EQ(UndoName(), "Snapshot 2");
  EXPECT_TRUE(DeviceMixesEqual(3, 1)) << "pair 4's mute went back, to the device too";

  // An empty slot reached by its key: nothing happens, and nothing is asked.
  const SettingsImage now = CurrentImage();
  Command(MixCommands::kRecallSnapshot + 6);
  EXPECT_EQ(CurrentImage(), now);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(MixCommandsWindow, AnUnreadableSlotIsShownSoAndKeptUntilAStore) {
  Open();
  const std::filesystem::path file = platform::WideFromUtf8(SnapshotPath(3));
  std::filesystem::create_directories(file.parent_path());
  { std::ofstream(file, std::ios::binary) << "not a mix"; }
  HMENU menu = MixContextMenu::Build();
  EXPECT_EQ(ItemText(GetSubMenu(menu, 7), 2), L"3  (unreadable)\tCtrl+3");
  EXPECT_EQ(ItemText(GetSubMenu(menu, 8), 2), L"3  (unreadable)\tCtrl+Shift+3");
  DestroyMenu(menu);

  const SettingsImage before = CurrentImage();
  Command(MixCommands::kRecallSnapshot + 3);
  EXPECT_EQ(CurrentImage(), before);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text.rfind("Could not recall the snapshot from\n" + SnapshotPath(3), 0), 0u)
      << boxes[0].text;
  EXPECT_EQ(std::filesystem::file_size(file), 9u) << "left as it was";

  Command(MixCommands::kStoreSnapshot + 3);
  EXPECT_EQ(std::filesystem::file_size(file), static_cast<std::uintmax_t>(kSettingsImageSize));
}

TEST_F(MixCommandsWindow, AStoreThatFailsSaysWhereAndWhy) {
  Open();
  // A folder where the slot's file would be: no file can replace it.
  std::filesystem::create_directories(platform::WideFromUtf8(SnapshotPath(5)));
  Command(MixCommands::kStoreSnapshot + 5);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text.rfind("Could not store the snapshot in\n" + SnapshotPath(5) + "\n\n", 0),
            0u)
      << boxes[0].text;
  EXPECT_GT(boxes[0].text.size(),
            ("Could not store the snapshot in\n" + SnapshotPath(5) + "\n\n").size())
      << "with the system's reason";
}
