// One opened X-Tamber: its driver client, its command channel and the device
// path it was opened by. The interface loop keeps the list of units; the
// metering thread holds the current one while it reads its meters, so a unit
// that one thread drops is closed only once the other has let go of it.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "korvaneobjects/korvanedevicecontrol.h"
#include "korvaneobjects/qdlctrl.h"

class KorvaneUnit {
 public:
  // Takes an opened client.
  explicit KorvaneUnit(std::unique_ptr<CQdlCtrl> client);
  ~KorvaneUnit();  // the channel first, then the client, which closes the device
  KorvaneUnit(const KorvaneUnit&) = delete;
  KorvaneUnit& operator=(const KorvaneUnit&) = delete;

  KorvaneDeviceControl& Control() { return *control; }
  const std::string& Path() const { return path; }
  // Asks the driver whether the unit is still behind the handle; false only
  // when the answer says it has gone (a busy or failing driver is not that).
  bool StillThere();
  bool Gone() const { return control->DeviceGone() || lost; }

 private:
  std::unique_ptr<CQdlCtrl> client;
  std::unique_ptr<KorvaneDeviceControl> control;
  const std::string path;
  std::atomic<bool> lost{false};
};

// Device paths name one interface whatever their case.
bool SameDevicePath(const std::string& a, const std::string& b);
