// The rules of the control panel's shell and pages that need no window: the
// command line, the pages' tags, the buffer sliders' scales, the clock-master
// list and the draining of the driver's notifications. The Win32 pages only
// translate messages into calls to these and show what they return.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "panel/drivercontrol.h"
#include "panel/driverrecords.h"

// ---- Shell ----

// Whether the option "-asio" (in any case) is one of the command line's
// blank-separated tokens; a longer token that begins with it does not count.
bool HasAsioOption(std::wstring_view commandLine);

// The pages, in the order the view creates them.
enum class PanelPage { kSettings, kDevices, kInputChannels, kOutputChannels, kStreams, kSync };
constexpr int kPanelPageCount = 6;

// Tree items carry their page's tag in the top byte of their 32-bit data.
constexpr std::uint32_t kPageTagSettings = 0x11000000;
constexpr std::uint32_t kPageTagDevices = 0x12000000;
constexpr std::uint32_t kPageTagInputChannels = 0x13000000;
constexpr std::uint32_t kPageTagOutputChannels = 0x14000000;
constexpr std::uint32_t kPageTagStreams = 0x16000000;
constexpr std::uint32_t kPageTagSync = 0x18000000;

std::uint32_t PageTag(PanelPage page);
// The page an item's data names, by its top byte; none for any other value.
std::optional<PanelPage> PageOfItemData(std::uint64_t itemData);

// A notification handler reads at most this many records per message: a
// driver that never ends its queue must not hold the window's thread.
constexpr int kMaxNotificationsPerMessage = 256;

// Reads and drops the notifier's queued notifications until a read fails (or
// the limit); true when any of them reported a change of the configuration
// (kinds 2 and 3), so the pages must reload once.
bool DrainNotifications(CDriverControl& notifier);

// ---- Settings page ----

// How a buffer slider stands, in slider positions.
struct SliderScale {
  std::uint32_t minimum;
  std::uint32_t maximum;
  std::uint32_t tickFrequency;  // also the page size
  std::uint32_t position;
};

// The slider for depths from `lo` to `hi` µs in steps of `unit` µs standing at
// `value` µs: a tick every fortieth of the range, at least every position.
// None when the driver's numbers make no scale (a unit of 0, a maximum below
// the minimum): the buffer reads as failed.
std::optional<SliderScale> ScaleSlider(std::uint32_t unit, std::uint32_t lo, std::uint32_t hi,
                                       std::uint32_t value);

// The stream buffer's slider from the driver's own minimum, maximum and step.
std::optional<SliderScale> StreamSliderScale(const BufferSetting& stream);
// The ASIO and WDM sliders: 500 µs steps from 500 to 80,000 µs.
constexpr std::uint32_t kDeviceBufferUnitUs = 500;
constexpr std::uint32_t kDeviceBufferMinUs = 500;
constexpr std::uint32_t kDeviceBufferMaxUs = 80000;
std::optional<SliderScale> DeviceSliderScale(const BufferSetting& buffer);

// ---- Synchronisation page ----

// The item data of the list's "PC Driver" row; device rows carry their
// device's id (a 32-bit word, never -1 as a pointer-sized integer).
constexpr std::intptr_t kPcDriverRow = -1;

// What the clock-master list does when the check box of `row` changed to
// `checked` while `checkedRow` was the master's row (-1: none).
struct ClockMasterCheck {
  int checkedRow;      // the master's row afterwards
  bool uncheckOthers;  // every other row loses its check
  bool checkAgain;     // the row's check comes back: the master cannot be unchecked
  bool choiceChanged;  // a new master was chosen (the sources "Apply" is due)
};
ClockMasterCheck CheckClockMasterRow(int row, bool checked, int checkedRow);

// The clock master and rate mode for the row with `itemData`: the PC driver
// (its rate is then set by hand) or the device of `devices` whose id it is.
// False, and nothing changed, when `devices` holds no such device (it left,
// or failed to read in a reload since the row was made).
bool ChooseClockMaster(std::intptr_t itemData,
                       const std::vector<std::unique_ptr<DeviceInfo>>& devices, ClockMaster* master,
                       std::uint32_t* rateMode);

// The row of the rate list to select: the first rate equal to the current
// one, -1 for none.
int CurrentRateIndex(const RateInfo& info);

// The first mode of `info` whose sourceId is the current source's, -1 for none.
int CurrentModeIndex(const SyncInfo& info);
