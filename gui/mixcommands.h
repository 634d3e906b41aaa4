// The mixer's own commands, on keys and in its context menu: undo and redo,
// a mix copied through the clipboard or onto another output pair, the eight
// snapshots, and the way to the remote control's settings. Each change is one step of the history. Their ids lie
// apart from menu 125's and from the controls'.
#pragma once

#include <windows.h>

#include <string>

class MixCommands {
 public:
  static constexpr int kUndo = 41001;
  static constexpr int kRedo = 41002;
  static constexpr int kCopyMix = 41003;
  static constexpr int kPasteMix = 41004;
  static constexpr int kCopyMixTo = 41010;       // + the output pair, 0..3
  static constexpr int kRecallSnapshot = 41020;  // + the slot, 1..8
  static constexpr int kStoreSnapshot = 41030;   // + the slot, 1..8
  static constexpr int kRemoteControl = 41040;   // the registered RemoteControlCommand

  // Carries out command `id`; false when it is none of these.
  static bool Run(HWND owner, int id);

  // The output pair (0..3) whose mix the window shows.
  static int ShownPair();
  // "Out 1-2" … "Out 7-8".
  static std::string PairName(int pair);

 private:
  static void CopyMix(HWND owner);
  static void PasteMix(HWND owner);
  static void CopyMixTo(int pair);
  static void RecallSnapshot(HWND owner, int slot);
  static void StoreSnapshot(HWND owner, int slot);
};
