// Command routing: a command target keeps a table from command ids (menu
// items, buttons) to handlers. The frame offers a menu command to its view
// first, then to itself, then to the application; the first target whose
// table knows the id handles it.
#pragma once

#include <functional>
#include <map>

namespace app {

class CommandTarget {
 public:
  virtual ~CommandTarget() = default;

  // True when this target has a handler for `id` (and ran it).
  bool RouteCommand(unsigned id);

 protected:
  void OnCommandId(unsigned id, std::function<void()> handler);

 private:
  std::map<unsigned, std::function<void()>> handlers_;
};

}  // namespace app
