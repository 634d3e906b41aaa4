#include "panel/app/commandtarget.h"

namespace app {

bool CommandTarget::RouteCommand(unsigned id) {
  const auto found = handlers_.find(id);
  if (found == handlers_.end()) return false;
  found->second();
  return true;
}

void CommandTarget::OnCommandId(unsigned id, std::function<void()> handler) {
  handlers_[id] = std::move(handler);
}

}  // namespace app
