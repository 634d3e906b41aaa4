#include "panel/ranking.h"

RankingButtons RankingButtonsFor(int selected, int count) {
  RankingButtons buttons{};
  const bool chosen = selected >= 0 && selected < count;
  buttons.rename = chosen;
  buttons.up = chosen && count > 1 && selected != 0;
  buttons.down = chosen && count > 1 && selected != count - 1;
  buttons.help = buttons.up || buttons.down;
  return buttons;
}

int RankingMoveTarget(int row, int count, int step) {
  const int target = row + step;
  return target < 0 || target >= count ? row : target;
}

void RankInDisplayOrder(std::vector<std::unique_ptr<DeviceInfo>>& devices,
                        const std::vector<std::size_t>& order) {
  for (std::size_t rank = 0; rank < order.size(); ++rank)
    if (order[rank] < devices.size() && devices[order[rank]])
      devices[order[rank]]->rank = static_cast<std::uint32_t>(rank);
}
