#include "remote/controllerlist.h"

#include <algorithm>

bool ControllerList::Heard(const RemoteEndpoint& sender) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = std::find_if(controllers_.begin(), controllers_.end(),
                            [&](const Controller& controller) { return controller.sender == sender; });
  Controller heard{sender};
  const bool added = found == controllers_.end();
  if (!added) {
    heard = *found;
    controllers_.erase(found);
  } else if (controllers_.size() == kMaxControllers) {
    controllers_.erase(controllers_.begin());
  }
  controllers_.push_back(heard);
  return added;
}

void ControllerList::SetMeters(const RemoteEndpoint& sender, bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (Controller& controller : controllers_)
    if (controller.sender == sender) controller.meters = on;
}

std::size_t ControllerList::Drop(const RemoteEndpoint& target, std::uint16_t replyPort) {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::erase_if(controllers_, [&](const Controller& controller) {
    return TargetOf(controller.sender, replyPort) == target;
  });
}

void ControllerList::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  controllers_.clear();
}

std::vector<ControllerList::Controller> ControllerList::Controllers() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return controllers_;
}

bool ControllerList::Any() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return !controllers_.empty();
}

bool ControllerList::AnyMeters() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::any_of(controllers_.begin(), controllers_.end(),
                     [](const Controller& controller) { return controller.meters; });
}

std::vector<RemoteEndpoint> ControllerList::Targets(std::uint16_t replyPort, bool metersOnly) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<RemoteEndpoint> targets;
  for (const Controller& controller : controllers_) {
    if (metersOnly && !controller.meters) continue;
    const RemoteEndpoint target = TargetOf(controller.sender, replyPort);
    if (std::find(targets.begin(), targets.end(), target) == targets.end()) targets.push_back(target);
  }
  return targets;
}

RemoteEndpoint ControllerList::TargetOf(const RemoteEndpoint& sender, std::uint16_t replyPort) {
  RemoteEndpoint target = sender;
  if (replyPort != 0) target.port = replyPort;
  return target;
}
