#include "korvaneobjects/korvaneunit.h"

#include <cctype>

using namespace korvane;

KorvaneUnit::KorvaneUnit(std::unique_ptr<CQdlCtrl> opened)
    : client(std::move(opened)),
      control(std::make_unique<KorvaneDeviceControl>(client.get())),
      path(client->DevicePath()) {}

KorvaneUnit::~KorvaneUnit() {
  control.reset();
  client.reset();
}

bool KorvaneUnit::StillThere() {
  if (Gone()) return false;
  DriverVersion version{};
  if (MeansDeviceGone(client->GetVersion(&version))) lost = true;
  return !lost;
}

bool SameDevicePath(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}
