// Undo, redo and whole-image steps on top of the parameter interface. Every
// write of the interface that changes what a settings file keeps is recorded
// in the session's history; the controls only say how their writes group
// (StepScope, BeginDrag/EndDrag). Used on the GUI thread only.
#pragma once

#include <cstdint>
#include <string>

#include "velmora/mixhistory.h"

// Writes inside a scope join as `join` says (the default, outside any scope,
// is a step per write). Scopes do not nest; the innermost counts.
class StepScope {
 public:
  explicit StepScope(StepJoin join);
  ~StepScope();
  StepScope(const StepScope&) = delete;
  StepScope& operator=(const StepScope&) = delete;

 private:
  StepJoin previous;
};

// A drag from button-down to the release of the pointer: every write between
// is one step.
void BeginDrag();
void EndDrag();

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

// A new session's history: empty, and the present image saved (tests, and
// the window's creation).
void ResetHistory();
