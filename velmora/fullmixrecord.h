// The gains of one stereo mix in device order, as the model builds them and
// the command channel sends them.
#pragma once

constexpr int kFullMixRecordSize = 35;

struct FullMixRecord {
  // 0..15: sources 0..15 into the left output; 16..31: into the right output;
  // 32, 33: left and right master gain; 34: the mix index, as a double.
  double gains[kFullMixRecordSize];
};
