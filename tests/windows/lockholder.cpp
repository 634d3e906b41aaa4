// A second process for the device-lock test: takes the machine-wide device
// lock, says so through the named event "<name>", holds the lock for the time
// given in milliseconds, sets "<name>.releasing" and lets go.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "korvaneobjects/korvanedevicecontrol.h"
#include "platform/namedmutex.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  platform::NamedMutex lock(kDeviceLockName);
  if (!lock.Lock(5000)) return 1;
  HANDLE held = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
  if (held == nullptr) return 1;
  SetEvent(held);
  CloseHandle(held);
  Sleep(static_cast<DWORD>(std::atoi(argv[2])));
  const std::string releasingName = std::string(argv[1]) + ".releasing";
  HANDLE releasing = OpenEventA(EVENT_MODIFY_STATE, FALSE, releasingName.c_str());
  if (releasing == nullptr) return 1;
  SetEvent(releasing);
  CloseHandle(releasing);
  return lock.Unlock() ? 0 : 1;
}
