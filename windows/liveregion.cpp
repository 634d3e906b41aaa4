#include "windows/liveregion.h"

#include <oleacc.h>

#include "platform/log.h"
#include "windows/waccessible.h"

namespace {

// In a static link the import library's ids are not the interfaces' ids, and
// the live-setting property is in no header of this build.
constexpr CLSID kClsidAccPropServices = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID kIidAccPropServices = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kLiveSettingProperty = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
// A reader speaks an assertive region's change at once, interrupting.
constexpr long kAssertive = 2;

}  // namespace

LiveRegion::~LiveRegion() { Detach(); }

void LiveRegion::Attach(HWND control) {
  Detach();
  control_ = control;
  if (control_ == nullptr) return;
  EnsureCom();
  void* services = nullptr;
  if (FAILED(CoCreateInstance(kClsidAccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                              kIidAccPropServices, &services)) ||
      services == nullptr) {
    // The change events still go out; only readers that ask which texts are
    // live regions miss the mark.
    platform::Log("No accessible property services: window %p is no live region.\n",
                  static_cast<void*>(control_));
    return;
  }
  services_ = static_cast<IAccPropServices*>(services);
  VARIANT assertive;
  VariantInit(&assertive);
  assertive.vt = VT_I4;
  assertive.lVal = kAssertive;
  if (FAILED(services_->SetHwndProp(control_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                    kLiveSettingProperty, assertive)))
    platform::Log("Window %p could not be made a live region.\n", static_cast<void*>(control_));
}

void LiveRegion::Detach() {
  if (services_ != nullptr) {
    MSAAPROPID property = kLiveSettingProperty;
    services_->ClearHwndProps(control_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &property,
                              1);
    services_->Release();
  }
  services_ = nullptr;
  control_ = nullptr;
}

void LiveRegion::Announce() const {
  if (control_ != nullptr)
    NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, control_, OBJID_CLIENT, CHILDID_SELF);
}
