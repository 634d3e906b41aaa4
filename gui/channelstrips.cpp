#include "gui/channelstrips.h"

#include <atomic>

#include "gui/controlfactory.h"
#include "gui/mixerlayout.h"
#include "gui/remotecontrol.h"
#include "korvaneobjects/korvanemastercontrol.h"
#include "velmora/velmora.h"
#include "windows/accessiblesource.h"
#include "windows/metertable.h"
#include "windows/wbufferedwindow.h"
#include "windows/windowdc.h"

namespace {

// Each entry of the layout's window, null where it could not be made.
std::vector<HWND> placedControls;
std::vector<HWND> parameterControls;
// The meters' toolkit objects, looked up once: finding a window's object asks
// the system, which a pass would do twenty times. They live until their
// windows' WM_DESTROY, which comes after the main window's, where the list is
// withdrawn and the metering thread stopped.
std::vector<WBufferedWindow*> meterControls;
// The metering thread starts before the window exists and runs while the
// window is made: it sees the meter list only once the list is complete.
std::atomic<const std::vector<WBufferedWindow*>*> publishedMeters{nullptr};
double* meterValues = nullptr;
std::atomic<bool> metersSeen{true};
// Where the metering thread sends kShowMeterChanges, and whether one is on
// its way: passes that come before the window took it add to what it shows.
std::atomic<HWND> meterWindow{nullptr};
std::atomic<bool> showPosted{false};

void RefreshEach(const std::vector<WBufferedWindow*>& objects) {
  for (WBufferedWindow* object : objects) object->Refresh();
}

// The engine reads the device less often while nobody sees the meters. While
// the window goes away there may be no engine left to tell.
void TellEngineMetersSeen(bool seen) {
  if (KorvaneMasterControl* master = ExistingMasterControl()) master->SetMetersSeen(seen);
}

void CollectChild(HWND child, std::uint16_t id) {
  if (!IsParameterControl(id)) return;
  parameterControls.push_back(child);
  if (IsMeterControl(id))
    if (auto* object = dynamic_cast<WBufferedWindow*>(WWindow::Get(child)))
      meterControls.push_back(object);
}

// Each control made, with the layout entry it was made from.
template <typename Visit>
void ForEachPlaced(Visit visit) {
  const std::vector<ControlPlacement>& layout = MixerLayout();
  for (size_t i = 0; i < placedControls.size() && i < layout.size(); ++i)
    if (placedControls[i]) visit(placedControls[i], layout[i]);
}

// The controls are made hidden; the window not shown yet, setting their style
// shows them all, and the value boxes become tab stops in the same change.
void ShowPlacedControls() {
  ForEachPlaced([](HWND control, const ControlPlacement& place) {
    const LONG_PTR added = WS_VISIBLE | (IsTabStopField(place.id) ? WS_TABSTOP : 0);
    SetWindowLongPtrA(control, GWL_STYLE, GetWindowLongPtrA(control, GWL_STYLE) | added);
  });
}

}  // namespace

void ChannelStrips::Create(HWND window, const WScale& scale) {
  placedControls.clear();
  for (const ControlPlacement& place : MixerLayout())
    placedControls.push_back(CreatePlacedControl(window, place, scale));
  ShowPlacedControls();
  CollectLists();
  meterWindow = window;
  showPosted = false;  // one posted to a window before this one died with it
  metersSeen = true;   // a window before this one may have gone minimised
  TellEngineMetersSeen(true);
  Publish(true);
  RefreshControls(kRefreshAll, -1);
}

// The lists themselves stay until the next window is made: a metering pass
// that took the meter list just before this may still be walking it.
void ChannelStrips::Release() {
  Publish(false);
  placedControls.clear();
  ReleaseScaledBackgrounds();
}

void ChannelStrips::Rescale(const WScale& scale) {
  ForEachPlaced([&scale](HWND control, const ControlPlacement& place) {
    RescalePlacedControl(control, place, scale);
  });
  ReleaseBackgroundsOfOtherScales(scale);
  RefreshControls(kRefreshAll, -1);
}

// The placed controls are the window's children in the order they were made,
// which is their order on screen and in the tab order; asking the system for
// them would cost a round trip for each.
void ChannelStrips::CollectLists() {
  parameterControls.clear();
  meterControls.clear();
  ForEachPlaced(
      [](HWND control, const ControlPlacement& place) { CollectChild(control, place.id); });
}

void ChannelStrips::Publish(bool published) {
  SetRefreshControlsHook(published ? &ChannelStrips::RefreshControls : nullptr);
  publishedMeters.store(published ? &meterControls : nullptr);
}

void ChannelStrips::RefreshControls(std::uint32_t mask, int channel) {
  if (mask == kRefreshMeters) {
    if (!metersSeen.load()) return;
    if (const std::vector<WBufferedWindow*>* meters = publishedMeters.load()) RefreshEach(*meters);
    return;
  }
  for (HWND control : parameterControls) {
    const auto id = static_cast<std::uint16_t>(GetDlgCtrlID(control));
    if (IsMeterControl(id) || !RefreshConcerns(id, mask, channel)) continue;
    WWindow* object = WWindow::Get(control);
    if (!object) continue;
    object->Refresh();
    // A screen reader follows a change made by a key, a file or the other
    // fader of a linked pair as it follows one made with the pointer.
    if (auto* source = dynamic_cast<AccessibleSource*>(object)) source->NotifyIfChanged(control);
  }
}

// A pass that changes nothing sends nothing.
void ChannelStrips::MeterUpdate() {
  if (meterValues) UpdateMeters(meterValues);
  // Controllers get the meters whether the window's can be seen or not.
  if (meterValues) RemoteControl::MetersRead(meterValues);
  if (!metersSeen.load()) return;
  const std::vector<WBufferedWindow*>* meters = publishedMeters.load();
  if (!meters) return;
  bool changed = false;
  for (WBufferedWindow* meter : *meters) changed |= meter->Update();
  if (changed && !showPosted.exchange(true))
    if (!PostMessageA(meterWindow.load(), kShowMeterChanges, 0, 0)) showPosted = false;
}

// The flag goes down before the meters are walked: a change noted after a
// meter was looked at posts again.
void ChannelStrips::ShowMeterChanges() {
  showPosted = false;
  const std::vector<WBufferedWindow*>* meters = publishedMeters.load();
  if (!meters) return;
  const HWND window = meterWindow.load();
  WindowDc screen(window, WindowDc::WithChildren{});
  for (WBufferedWindow* meter : *meters) meter->ShowChanges(window, screen.Get());
}

// A meter whose model moved while unseen is drawn now, not at the next pass:
// its widget still remembers the picture it drew before.
void ChannelStrips::SetMetersSeen(bool seen) {
  if (metersSeen.exchange(seen) == seen) return;
  TellEngineMetersSeen(seen);
  if (!seen) return;
  RefreshControls(kRefreshMeters, -1);
}

double** ChannelStrips::MeterTarget() { return &meterValues; }

const std::vector<HWND>& ChannelStrips::ParameterControls() { return parameterControls; }
