#include "velmora/mixhistory.h"

std::string MixHistory::UndoName() const { return CanUndo() ? steps[done - 1].what : ""; }

std::string MixHistory::RedoName() const { return CanRedo() ? steps[done].what : ""; }

// Only the newest step, still done and not sealed, takes more writes, and only
// when the write starts where the step ends (nothing unrecorded came between).
bool MixHistory::Joins(const SettingsImage& before, StepJoin join, std::uint32_t control,
                       std::uint64_t gesture, std::int64_t nowMs) const {
  if (sealed || done == 0 || done != steps.size()) return false;
  const Step& newest = steps.back();
  if (newest.after != before) return false;
  if (newest.gesture == gesture) return true;
  return join == StepJoin::kRun && newest.join == StepJoin::kRun && newest.control == control &&
         nowMs >= newest.lastMs && nowMs - newest.lastMs < kRunGapMs;
}

void MixHistory::Record(const SettingsImage& before, const SettingsImage& after,
                        const std::string& what, StepJoin join, std::uint32_t control,
                        std::uint64_t gesture, std::int64_t nowMs) {
  if (before == after) return;
  if (Joins(before, join, control, gesture, nowMs)) {
    Step& newest = steps.back();
    newest.after = after;
    newest.gesture = gesture;
    newest.lastMs = nowMs;
    // Back where it began: the gesture changed nothing after all.
    if (newest.after == newest.before) {
      steps.pop_back();
      --done;
      sealed = true;
    }
    return;
  }
  steps.erase(steps.begin() + static_cast<std::ptrdiff_t>(done), steps.end());
  steps.push_back(Step{before, after, what, join, control, gesture, nowMs});
  if (steps.size() > kMaxSteps) steps.pop_front();
  done = steps.size();
  sealed = false;
}

bool MixHistory::Undo(SettingsImage* image) {
  if (!CanUndo()) return false;
  --done;
  *image = steps[done].before;
  sealed = true;
  return true;
}

bool MixHistory::Redo(SettingsImage* image) {
  if (!CanRedo()) return false;
  *image = steps[done].after;
  ++done;
  sealed = true;
  return true;
}

void MixHistory::Seal() { sealed = true; }

void MixHistory::Clear() {
  steps.clear();
  done = 0;
  sealed = true;
}
