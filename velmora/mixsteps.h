// Undo, redo and whole-image steps on top of the parameter interface. Every
// write of the interface that changes what a settings file keeps is recorded
// in the session's history; the controls only say how their writes group
// (StepScope, BeginDrag/EndDrag). Used on the GUI thread only.
#pragma once

#include <cstdint>
#include <string>

#include "velmora/mixhistory.h"

// The writes inside a scope are one gesture of `control` (its parameter id),
// joined as `join` says. Outside any scope and any drag, each write is a
// gesture of its own. Scopes do not nest: an inner one is the outer's.
class StepScope {
 public:
  StepScope(StepJoin join, std::uint32_t control);
  ~StepScope();
  StepScope(const StepScope&) = delete;
  StepScope& operator=(const StepScope&) = delete;

 private:
  bool outermost;
};

// A drag from button-down to the release of the pointer: every write between
// is one gesture. A drag left open is ended by the next one.
void BeginDrag();
void EndDrag();

// Records a file the caller loaded into the model from `before` (Open): a
// step, and the loaded image is the saved one now.
void RecordOpen(const SettingsImage& before);
// Records a write of the parameter interface to control `id` of the shown mix.
void RecordWrite(const SettingsImage& before, const SettingsImage& after, std::uint16_t id);
// A write to control `id` of mix `mix` that is not shown, as a whole image:
// the model takes it, the unit gets the mix, and the step is recorded.
void WriteImage(const SettingsImage& image, std::uint16_t id, int mix);

// Inside a batch, the unit gets each mix that WriteImage changed once, when
// the outermost batch ends, rather than once a write: the engine's queue
// would keep only the last of them anyway, and under a flood of remote
// writes every push is a lock and a wake of the engine's thread.
class MixSendBatch {
 public:
  MixSendBatch();
  ~MixSendBatch();
  MixSendBatch(const MixSendBatch&) = delete;
  MixSendBatch& operator=(const MixSendBatch&) = delete;

 private:
  bool outermost;
};

// Called after every change of what a settings file keeps, whatever made it
// (a control, a file, undo, a paste, a snapshot, the network), with the
// images before and after; null for none.
using MixChangedHook = void (*)(const SettingsImage& before, const SettingsImage& after);
void SetMixChangedHook(MixChangedHook hook);

// The settings image of the model now.
SettingsImage CurrentImage();

// Puts `image` in place as one step named `what` ("Paste Mix", "Snapshot 2"):
// every mix that changed goes to the unit, the controls are refreshed. False
// (and nothing recorded) when it changes nothing.
bool ApplyImageStep(const SettingsImage& image, const std::string& what);

bool CanUndo();
bool CanRedo();
std::string UndoName();  // "Ch 3 fader"; empty when there is nothing to undo
std::string RedoName();
// Puts back the image before (after) the step, sends every mix that changed
// and shows the output pair the step changed when it changed only one.
bool UndoStep();
bool RedoStep();

// The image Save last wrote or Open last read (or the one at start-up):
// savedFlag is true exactly while the model holds it.
void MarkSaved();
void MarkSaved(const SettingsImage& image);

// A new session's history: empty, nothing unsaved, and the image before the
// next change taken as the saved one (tests, and the window's creation).
void ResetHistory();
// The clock that times runs, in milliseconds (tests); null restores the
// steady clock.
void SetStepClockForTests(std::int64_t (*clock)());
