// A second process for the device-lock test: takes the machine-wide device
// lock, says so through the named event "<name>", holds the lock until the
// test sets "<name>.release", then sets "<name>.releasing" and lets go.
#include <windows.h>

#include <string>

#include "korvaneobjects/korvanedevicecontrol.h"
#include "platform/namedmutex.h"

namespace {

bool Set(const std::string& name) {
  HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, name.c_str());
  if (event == nullptr) return false;
  SetEvent(event);
  CloseHandle(event);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string name = argv[1];
  platform::NamedMutex lock(kDeviceLockName);
  if (!lock.Lock(5000)) return 1;
  HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, (name + ".release").c_str());
  if (release == nullptr || !Set(name)) return 1;
  // A test that died never releases; the lock must not stay held for ever.
  const DWORD waited = WaitForSingleObject(release, 60000);
  CloseHandle(release);
  if (waited != WAIT_OBJECT_0 || !Set(name + ".releasing")) return 1;
  return lock.Unlock() ? 0 : 1;
}
