#include "velmora/mixsteps.h"

#include <chrono>

#include "korvaneobjects/korvanemastercontrol.h"
#include "platform/log.h"
#include "velmora/korvanemix8bus.h"
#include "velmora/mixblock.h"
#include "velmora/velmora.h"

namespace {

MixHistory history;
SettingsImage savedImage{};
bool savedImageKnown = false;

// The gesture that writes belong to now: a scope's, the open drag's, or a
// fresh one per write.
std::uint64_t gestureSerial = 0;
bool inScope = false;
StepJoin scopeJoin = StepJoin::kNever;
std::uint32_t scopeControl = 0;
std::uint64_t scopeGesture = 0;
bool dragOpen = false;
std::uint64_t dragGesture = 0;

std::int64_t (*stepClock)() = nullptr;

bool inSendBatch = false;
std::uint32_t batchMixes = 0;  // one bit for each mix written inside the batch

MixChangedHook mixChangedHook = nullptr;

void MixChanged(const SettingsImage& before, const SettingsImage& after) {
  if (mixChangedHook != nullptr && before != after) mixChangedHook(before, after);
}

std::int64_t NowMs() {
  if (stepClock != nullptr) return stepClock();
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Until something marks an image saved, the image before the first change
// is the start-up one, provided nothing was unsaved then.
void NoteStartImage(const SettingsImage& before) {
  if (savedImageKnown || !savedFlag) return;
  savedImage = before;
  savedImageKnown = true;
}

void UpdateSavedFlag(const SettingsImage& now) {
  if (savedImageKnown) savedFlag = now == savedImage;
}

bool MixDiffers(const SettingsImage& a, const SettingsImage& b, int mix) {
  return MixBlockOf(a, mix) != MixBlockOf(b, mix);
}

std::string PairText(int mix) {
  return std::to_string(2 * mix + 1) + " & " + std::to_string(2 * mix + 2);
}

// What the user did, as the Undo and Redo items name it.
std::string WriteName(std::uint16_t id, int mix) {
  const int index = id & 0xF;
  const std::string channel = "Ch " + std::to_string(index + 1);
  switch (id & 0xFFF0) {
    case IDFADER:
    case IDFADERTEXT:
      if (index < 8) return channel + " fader";
      return "Output " + PairText(mix) + " master";
    case IDPAN:
    case IDPANTEXT:
      return channel + " pan";
    case IDSOLO:
      return channel + " solo";
    case IDMUTE:
      return channel + " mute";
    default:
      return "Change";
  }
}

// Puts `image` in the model; every mix that differs goes to the unit. The
// only mix that changed, when it is one, is the one returned; -1 otherwise.
int PutImage(const SettingsImage& image) {
  KorvaneMasterControl* master = GetMasterControl();
  const SettingsImage before = CurrentImage();
  NoteStartImage(before);
  master->ReadSettings(image.data());
  int changed = -1;
  int count = 0;
  for (int mix = 0; mix < kMixCount; ++mix) {
    if (!MixDiffers(before, image, mix)) continue;
    master->SendMix(static_cast<std::uint32_t>(mix));
    changed = mix;
    ++count;
  }
  const SettingsImage after = CurrentImage();
  UpdateSavedFlag(after);
  MixChanged(before, after);
  return count == 1 ? changed : -1;
}

// An undone or redone step that changed one pair shows that pair.
void ShowStep(const SettingsImage& image) {
  const int mix = PutImage(image);
  if (mix >= 0 && static_cast<std::uint32_t>(mix) != GetMasterControl()->SelectedMix())
    KMXSetInteger(IDMIXSELECT, mix);  // refreshes every control
  else
    RefreshControls(kRefreshAll, -1);
}

}  // namespace

StepScope::StepScope(StepJoin join, std::uint32_t control) : outermost(!inScope) {
  if (!outermost) return;
  inScope = true;
  scopeJoin = join;
  scopeControl = control;
  scopeGesture = ++gestureSerial;
}

StepScope::~StepScope() {
  if (outermost) inScope = false;
}

void BeginDrag() {
  dragOpen = true;
  dragGesture = ++gestureSerial;
}

void EndDrag() { dragOpen = false; }

SettingsImage CurrentImage() {
  SettingsImage image{};
  GetMasterControl()->WriteSettings(image.data());
  return image;
}

namespace {

void RecordStep(const SettingsImage& before, const SettingsImage& after, const std::string& what) {
  NoteStartImage(before);
  history.Record(before, after, what, StepJoin::kNever, 0, ++gestureSerial, NowMs());
  UpdateSavedFlag(after);
}

// A value written again is nothing to save, and leaves savedFlag alone.
void RecordMixWrite(const SettingsImage& before, const SettingsImage& after, std::uint16_t id,
                    int mix) {
  if (before == after) return;
  NoteStartImage(before);
  StepJoin join = StepJoin::kNever;
  std::uint32_t control = id;
  std::uint64_t gesture = ++gestureSerial;
  if (inScope) {
    join = scopeJoin;
    control = scopeControl;
    gesture = scopeGesture;
  } else if (dragOpen) {
    gesture = dragGesture;
  }
  history.Record(before, after, WriteName(id, mix), join, control, gesture, NowMs());
  UpdateSavedFlag(after);
  MixChanged(before, after);
}

}  // namespace

void RecordOpen(const SettingsImage& before) {
  const SettingsImage after = CurrentImage();
  RecordStep(before, after, "Open");
  MarkSaved(after);
  MixChanged(before, after);
}

void RecordWrite(const SettingsImage& before, const SettingsImage& after, std::uint16_t id) {
  RecordMixWrite(before, after, id, static_cast<int>(GetMasterControl()->SelectedMix()));
}

void WriteImage(const SettingsImage& image, std::uint16_t id, int mix) {
  const SettingsImage before = CurrentImage();
  if (before == image) return;
  GetMasterControl()->ReadSettings(image.data());
  if (inSendBatch)
    batchMixes |= 1u << mix;
  else
    GetMasterControl()->SendMix(static_cast<std::uint32_t>(mix));
  RecordMixWrite(before, CurrentImage(), id, mix);
}

MixSendBatch::MixSendBatch() : outermost(!inSendBatch) { inSendBatch = true; }

MixSendBatch::~MixSendBatch() {
  if (!outermost) return;
  inSendBatch = false;
  const std::uint32_t mixes = batchMixes;
  batchMixes = 0;
  KorvaneMasterControl* master = GetMasterControl();
  for (std::uint32_t mix = 0; master != nullptr && mix < kMixCount; ++mix)
    if (mixes & (1u << mix)) master->SendMix(mix);
}

void SetMixChangedHook(MixChangedHook hook) { mixChangedHook = hook; }

bool ApplyImageStep(const SettingsImage& image, const std::string& what) {
  const SettingsImage before = CurrentImage();
  if (before == image) {
    platform::Log("%s changes nothing.\n", what.c_str());
    return false;
  }
  PutImage(image);
  RecordStep(before, CurrentImage(), what);
  RefreshControls(kRefreshAll, -1);
  return true;
}

bool CanUndo() { return history.CanUndo(); }
bool CanRedo() { return history.CanRedo(); }
std::string UndoName() { return history.UndoName(); }
std::string RedoName() { return history.RedoName(); }

bool UndoStep() {
  SettingsImage image{};
  if (!history.Undo(&image)) return false;
  ShowStep(image);
  return true;
}

bool RedoStep() {
  SettingsImage image{};
  if (!history.Redo(&image)) return false;
  ShowStep(image);
  return true;
}

void MarkSaved() { MarkSaved(CurrentImage()); }

void MarkSaved(const SettingsImage& image) {
  savedImage = image;
  savedImageKnown = true;
  UpdateSavedFlag(CurrentImage());
}

void ResetHistory() {
  history.Clear();
  dragOpen = false;
  inScope = false;
  savedImageKnown = false;
  savedFlag = true;
}

void SetStepClockForTests(std::int64_t (*clock)()) { stepClock = clock; }
