// The undo history of the mixer: arithmetic on settings images, no I/O. Each
// step keeps the image before and after one gesture of the user's and a name
// for it ("Ch 3 fader"). Writes that belong to one gesture merge into one
// step: every write of a drag, and a run of keys or wheel notches on one
// control with less than a second between them. A step that ends where it
// began is no step. The newest kMaxSteps steps are kept.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>

#include "korvaneobjects/korvanemastercontrol.h"

using SettingsImage = std::array<std::uint8_t, kSettingsImageSize>;

// How a write joins the step before it. Writes of one gesture (one drag, or
// the writes one key press makes, such as both linked master faders) always
// join; a run also joins the gesture before it on the same control.
enum class StepJoin {
  kNever,  // a gesture of its own (a click, a typed value, a reset, a command)
  kRun,    // a key or a wheel notch: joins the newest step when that is a run
           // on the same control less than kRunGapMs ago
};

class MixHistory {
 public:
  static constexpr std::size_t kMaxSteps = 200;
  // The longest pause within a run of keys or wheel notches.
  static constexpr std::int64_t kRunGapMs = 1000;

  // A write of gesture `gesture` (a serial that the caller counts) changed
  // the image from `before` to `after`; `control` is the control that took
  // the gesture (0 for a command). A new step drops every redo step.
  void Record(const SettingsImage& before, const SettingsImage& after, const std::string& what,
              StepJoin join, std::uint32_t control, std::uint64_t gesture, std::int64_t nowMs);

  bool CanUndo() const { return done > 0; }
  bool CanRedo() const { return done < steps.size(); }
  // The name of the step that Undo or Redo would take back or do again; empty
  // when there is none.
  std::string UndoName() const;
  std::string RedoName() const;
  // Steps back (or forward) and gives the image to put in place; false when
  // there is nothing to undo (redo).
  bool Undo(SettingsImage* image);
  bool Redo(SettingsImage* image);
  // No later write joins the newest step (an undo, a redo or a command came
  // between).
  void Seal();
  void Clear();
  std::size_t Size() const { return steps.size(); }

 private:
  struct Step {
    SettingsImage before;
    SettingsImage after;
    std::string what;
    StepJoin join;
    std::uint32_t control;
    std::uint64_t gesture;
    std::int64_t lastMs;
  };
  bool Joins(const SettingsImage& before, StepJoin join, std::uint32_t control,
             std::uint64_t gesture, std::int64_t nowMs) const;

  std::deque<Step> steps;
  std::size_t done = 0;  // steps[0..done) are done, the rest undone
  bool sealed = true;
};
