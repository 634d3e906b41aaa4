// The Devices page's ranking: which buttons a selection allows, where Up and
// Down move a row, and the ranks the rows' order gives the devices.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "panel/driverrecords.h"

struct RankingButtons {
  bool rename;
  bool up;
  bool down;
  bool help;  // the help text is shown while a move is possible
};

// For row `selected` (-1: none) of `count` rows.
RankingButtons RankingButtonsFor(int selected, int count);

// The row that `row` moves to, one up (step -1) or down (step +1); a row at
// the end it would leave stays where it is.
int RankingMoveTarget(int row, int count, int step);

// Gives device `deviceIds[r]` the rank r, the ids being the rows' in display
// order. False, and no rank changed, unless the ids name exactly the devices
// of `devices`, each once: rows shown before the set of units changed (a unit
// left, or failed to read in a reload) would rank the wrong units, or leave
// a unit that has no row on a rank another one gets.
bool RankInDisplayOrder(std::vector<std::unique_ptr<DeviceInfo>>& devices,
                        const std::vector<std::uint32_t>& deviceIds);
