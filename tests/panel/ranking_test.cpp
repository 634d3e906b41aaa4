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
  for (std::uint32_t id : {0x101u, 0x102u, 0x103u})
    devices.push_back(std::make_unique<DeviceInfo>(DeviceInfo{id, 9, {}, {}}));
  // The third device moved up twice.
  ASSERT_TRUE(RankInDisplayOrder(devices, {0x103, 0x101, 0x102}));
  EXPECT_EQ(devices[0]->rank, 1u);
  EXPECT_EQ(devices[1]->rank, 2u);
  EXPECT_EQ(devices[2]->rank, 0u);
}

TEST(Ranking, RowsOfAnotherSetOfUnitsRankNothing) {
  std::vector<std::unique_ptr<DeviceInfo>> devices;
  for (std::uint32_t id : {0x101u, 0x103u})
    devices.push_back(std::make_unique<DeviceInfo>(DeviceInfo{id, 9, {}, {}}));
  // A unit left (0x102), one has no row (0x103 arrived), one row twice.
  EXPECT_FALSE(RankInDisplayOrder(devices, {0x103, 0x102, 0x101}));
  EXPECT_FALSE(RankInDisplayOrder(devices, {0x101}));
  EXPECT_FALSE(RankInDisplayOrder(devices, {0x101, 0x101}));
  EXPECT_EQ(devices[0]->rank, 9u);
  EXPECT_EQ(devices[1]->rank, 9u);
}

}  // namespace
