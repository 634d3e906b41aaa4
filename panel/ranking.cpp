#include "panel/ranking.h"

#include <algorithm>

#include "panel/driverdata.h"

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

bool RankInDisplayOrder(std::vector<std::unique_ptr<DeviceInfo>>& devices,
                        const std::vector<std::uint32_t>& deviceIds) {
  if (deviceIds.size() != devices.size()) return false;
  std::vector<DeviceInfo*> ranked;
  for (std::uint32_t id : deviceIds) {
    DeviceInfo* device = RecordOf(devices, id);
    if (device == nullptr || std::find(ranked.begin(), ranked.end(), device) != ranked.end())
      return false;
    ranked.push_back(device);
  }
  for (std::size_t rank = 0; rank < ranked.size(); ++rank)
    ranked[rank]->rank = static_cast<std::uint32_t>(rank);
  return true;
}
