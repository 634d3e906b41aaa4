#include "gui/remotecontrolcommand.h"

namespace {

RemoteControlCommand registered = nullptr;

}  // namespace

void SetRemoteControlCommand(RemoteControlCommand command) { registered = command; }

RemoteControlCommand RegisteredRemoteControlCommand() { return registered; }
