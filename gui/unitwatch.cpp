#include "gui/unitwatch.h"

#include <dbt.h>

#include <atomic>
#include <cstring>

#include "korvaneobjects/fcprecords.h"
#include "korvaneobjects/korvanemastercontrol.h"

namespace {

HDEVNOTIFY registration = nullptr;
std::atomic<HWND> watching{nullptr};

// Tells the window that the set of open units changed. Posted, never sent:
// the interface loop that learns it must not wait for the GUI thread, which
// waits for the loop when it shuts the engine down.
UINT UnitsChangedMessage() {
  static const UINT message = RegisterWindowMessageA("KorvaneVelmoraUnitsChanged");
  return message;
}

GUID InterfaceClass() {
  GUID guid;
  static_assert(sizeof guid == sizeof korvane::DeviceInterfaceGuid);
  std::memcpy(&guid, &korvane::DeviceInterfaceGuid, sizeof guid);
  return guid;
}

}  // namespace

void UnitWatch::Start(HWND window) {
  DEV_BROADCAST_DEVICEINTERFACE_A filter{};
  filter.dbcc_size = sizeof filter;
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  filter.dbcc_classguid = InterfaceClass();
  // Without it the mixer still runs; it only learns of a unit that left from
  // the first transaction that fails, and of none that arrives.
  registration = RegisterDeviceNotificationA(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
  watching = window;
  if (KorvaneMasterControl* master = ExistingMasterControl())
    master->SetUnitsChangedCallback(&UnitWatch::UnitsChanged);
  ShowCaption(window);
}

void UnitWatch::Stop() {
  watching = nullptr;
  if (KorvaneMasterControl* master = ExistingMasterControl())
    master->SetUnitsChangedCallback(nullptr);
  if (registration) UnregisterDeviceNotification(registration);
  registration = nullptr;
}

bool UnitWatch::OnMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (msg == WM_DEVICECHANGE) {
    OnDeviceChange(wParam, lParam);
    *result = TRUE;
    return true;
  }
  if (msg != UnitsChangedMessage()) return false;
  ShowCaption(window);
  *result = 0;
  return true;
}

void UnitWatch::OnDeviceChange(WPARAM event, LPARAM data) {
  if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) return;
  const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
  if (header == nullptr || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE ||
      header->dbch_size < sizeof(DEV_BROADCAST_DEVICEINTERFACE_A))
    return;
  const auto* notice = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_A*>(header);
  if (!IsEqualGUID(notice->dbcc_classguid, InterfaceClass())) return;
  // After shutdown there is no engine to tell; GetMasterControl would make one.
  KorvaneMasterControl* master = ExistingMasterControl();
  if (master == nullptr) return;
  if (event == DBT_DEVICEARRIVAL)
    master->UnitArrived();
  else
    master->UnitLeft();
}

void UnitWatch::ShowCaption(HWND window) {
  // Without an engine (not started yet, or shut down) there is nothing to report.
  const KorvaneMasterControl* master = ExistingMasterControl();
  const char* caption = !master || master->ConnectedUnits() > 0 ? kCaption : kNoUnitCaption;
  char shown[64] = "";
  GetWindowTextA(window, shown, sizeof shown);
  if (std::strcmp(shown, caption) != 0) SetWindowTextA(window, caption);
}

void UnitWatch::UnitsChanged() {
  if (HWND window = watching.load()) PostMessageA(window, UnitsChangedMessage(), 0, 0);
}
