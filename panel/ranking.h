// The Devices page's ranking: which buttons a selection allows, where Up and
// Down move a row, and the ranks the rows' order gives the devices.
#pragma once

#include <cstddef>
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

// Gives the device at collection index `order[r]` the rank r. Indices
// without a device are passed over; devices no row names keep their rank.
void RankInDisplayOrder(std::vector<std::unique_ptr<DeviceInfo>>& devices,
                        const std::vector<std::size_t>& order);
