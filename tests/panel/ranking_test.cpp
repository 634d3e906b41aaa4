#include "panel/ranking.h"

#include <gtest/gtest.h>

namespace {

TEST(Ranking, ButtonsMovesAndRanksFollowTheRows) {
  // One device cannot move; with none selected nothing is possible.
  const RankingButtons alone = RankingButtonsFor(0, 1);
  EXPECT_TRUE(alone.rename && !alone.up && !alone.down && !alone.help);
  const RankingButtons none = RankingButtonsFor(-1, 3);
  EXPECT_FALSE(none.rename || none.up || none.down || none.help);
  const RankingButtons bottom = RankingButtonsFor(2, 3);
  EXPECT_TRUE(bottom.up && !bottom.down && bottom.help);
  EXPECT_EQ(RankingMoveTarget(0, 3, -1), 0);
  EXPECT_EQ(RankingMoveTarget(2, 3, +1), 2);

  std::vector<std::unique_ptr<DeviceInfo>> devices;
  for (int i = 0; i < 3; ++i)
    devices.push_back(std::make_unique<DeviceInfo>(DeviceInfo{0, 9, {}, {}}));
  // The third device moved up twice; an index without a device is passed over.
  RankInDisplayOrder(devices, {2, 0, 1, 7});
  EXPECT_EQ(devices[0]->rank, 1u);
  EXPECT_EQ(devices[1]->rank, 2u);
  EXPECT_EQ(devices[2]->rank, 0u);
}

}  // namespace
