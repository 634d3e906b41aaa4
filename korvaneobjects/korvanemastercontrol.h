// The mixer engine's one entry point: owns the model, the queue and the FW
// interface; every change goes into the model and then, as the whole affected
// stereo mix, into the queue for the device. Used on the GUI thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "korvaneobjects/korvanefwinterface.h"

class KorvaneFIFO;
class KorvaneMix8Bus;

constexpr int kSettingsImageSize = 212;
// The first two bytes of a settings image: its layout's revision and the
// number of units it holds mixes for.
constexpr std::uint8_t kSettingsRevision = 1;
constexpr std::uint8_t kSettingsDevices = 1;

class KorvaneMasterControl {
 public:
  KorvaneMasterControl();
  ~KorvaneMasterControl();  // runs Shutdown
  KorvaneMasterControl(const KorvaneMasterControl&) = delete;
  KorvaneMasterControl& operator=(const KorvaneMasterControl&) = delete;

  // Starts the engine; the number of devices, 0 when none can be used.
  std::uint32_t InitKorvaneMasterControl(MeterCallback meterCallback);
  void SetMeterTarget(double** target) { meterTarget = target; }
  void StartMetering();
  // The window tells whether its meters can be seen (minimised or hidden, they
  // cannot); the engine reads the device less often while they cannot.
  void SetMetersSeen(bool seen);

  void SelectMix(std::uint32_t mix);
  void SetSolo(int channel, bool on);
  void SetMute(int channel, bool on);
  void SetFader(int channel, double gain);
  void SetPan(int channel, double pan);
  void SetMaster(int side, double gain);
  void SetMixerEnable(bool on);
  void ClearOvers();
  void SendCurrentMix();
  void SendAllMixes();
  void SendMix(std::uint32_t mix);  // 0..3

  // A device interface of the driver's class arrived or left (the main
  // window's device notifications). An arrival queues the opening of the new
  // units and then the whole present state: every mix, then the mixer enable
  // as the model holds it, so that a unit that was away, or is new, plays
  // what the window shows.
  void UnitArrived();
  void UnitLeft();
  // The units open now; 0 before start-up and after shutdown.
  std::uint32_t ConnectedUnits() const;
  // Called on the interface loop's thread whenever units were opened or dropped.
  void SetUnitsChangedCallback(UnitsChangedCallback callback);

  double GetFader(int channel);  // 8, 9: the left and right master
  double GetPan(int channel);
  bool GetSolo(int channel);
  bool GetMute(int channel);  // the effective mute, solo included

  // The settings image (kSettingsImageSize bytes) of the four mixes.
  void WriteSettings(std::uint8_t* buffer);
  void ReadSettings(const std::uint8_t* buffer);

  void Shutdown();

  std::uint32_t SelectedMix() const { return selectedMix; }
  std::uint32_t DeviceCount() const { return deviceCount; }
  KorvaneMix8Bus* Model() { return mixer; }
  KorvaneFIFO* Fifo() { return fifo; }
  KorvaneFWInterface* FWInterface() { return fw; }

 private:
  void PushMix(std::uint32_t mix);
  static void InterfaceLoopEntry();

  KorvaneFIFO* fifo;
  std::vector<KorvaneMix8Bus*> mixes;
  KorvaneMix8Bus* mixer;
  double** meterTarget = nullptr;
  KorvaneFWInterface* fw = nullptr;
  std::uint32_t selectedMix = 0;
  std::uint32_t deviceCount = 0;
  bool shutDown = false;
};

// The process's master control, created on the first call.
KorvaneMasterControl* GetMasterControl();
// The current master control, or null; creates nothing.
KorvaneMasterControl* ExistingMasterControl();
// Shuts the engine down and frees the master control (the main window's
// destruction); the next GetMasterControl makes a fresh one.
void DestroyMasterControl();
