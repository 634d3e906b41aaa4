// What the context menu's "Remote Control..." does. The program registers it
// where the network side is started; until then the item is greyed.
#pragma once

#include <windows.h>

using RemoteControlCommand = void (*)(HWND owner);

// Null takes it away again.
void SetRemoteControlCommand(RemoteControlCommand command);
// Null when none is registered.
RemoteControlCommand RegisteredRemoteControlCommand();
