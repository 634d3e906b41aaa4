#include "gui/mixcommands.h"

#include "gui/fileerrorbox.h"
#include "gui/mixclipboard.h"
#include "gui/remotecontrolcommand.h"
#include "platform/log.h"
#include "velmora/mixblock.h"
#include "velmora/mixsteps.h"
#include "velmora/snapshots.h"
#include "velmora/velmora.h"

namespace {

bool InRange(int id, int first, int count) { return id >= first && id < first + count; }

}  // namespace

bool MixCommands::Run(HWND owner, int id) {
  if (id == kUndo) {
    UndoStep();
  } else if (id == kRedo) {
    RedoStep();
  } else if (id == kCopyMix) {
    CopyMix(owner);
  } else if (id == kPasteMix) {
    PasteMix(owner);
  } else if (InRange(id, kCopyMixTo, 4)) {
    CopyMixTo(id - kCopyMixTo);
  } else if (InRange(id, kRecallSnapshot + 1, kSnapshotSlots)) {
    RecallSnapshot(owner, id - kRecallSnapshot);
  } else if (InRange(id, kStoreSnapshot + 1, kSnapshotSlots)) {
    StoreSnapshot(owner, id - kStoreSnapshot);
  } else if (id == kRemoteControl) {
    // A command id can arrive while the menu's item is greyed (another
    // program may post it): without a command it does nothing.
    if (RemoteControlCommand command = RegisteredRemoteControlCommand()) command(owner);
  } else {
    return false;
  }
  return true;
}

// The selector's value; anything but 1 to 3 shows the first pair.
int MixCommands::ShownPair() {
  const std::int32_t selected = KMXGetInteger(IDMIXSELECT);
  return selected >= 1 && selected <= 3 ? selected : 0;
}

std::string MixCommands::PairName(int pair) {
  return "Out " + std::to_string(2 * pair + 1) + "-" + std::to_string(2 * pair + 2);
}

void MixCommands::CopyMix(HWND owner) {
  MixClipboard::Put(owner, MixBlockOf(CurrentImage(), ShownPair()));
}

void MixCommands::PasteMix(HWND owner) {
  MixBlock block;
  if (!MixClipboard::Take(owner, &block)) return;
  SettingsImage image = CurrentImage();
  PutMixBlock(&image, ShownPair(), block);
  ApplyImageStep(image, "Paste Mix");
}

// The pair shown stays; the step shows the target only when undone or redone.
void MixCommands::CopyMixTo(int pair) {
  const int shown = ShownPair();
  if (pair == shown) return;
  SettingsImage image = CurrentImage();
  PutMixBlock(&image, pair, MixBlockOf(image, shown));
  ApplyImageStep(image, "Copy Mix To " + PairName(pair));
}

// An empty slot reached by its key is no error: the user may not know which
// slots are filled.
void MixCommands::RecallSnapshot(HWND owner, int slot) {
  if (ReadSnapshotSlot(slot).state == SnapshotState::kEmpty) {
    platform::Log("Snapshot %d is empty; nothing was recalled.\n", slot);
    return;
  }
  SettingsImage image;
  SettingsFileError error;
  if (!ReadSnapshot(slot, &image, &error)) {
    TellFileError(owner, "Could not recall the snapshot from", error);
    return;
  }
  ApplyImageStep(image, "Snapshot " + std::to_string(slot));
}

void MixCommands::StoreSnapshot(HWND owner, int slot) {
  SettingsFileError error;
  if (!::StoreSnapshot(slot, CurrentImage(), &error))
    TellFileError(owner, "Could not store the snapshot in", error);
}
