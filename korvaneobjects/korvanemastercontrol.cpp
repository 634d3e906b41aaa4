#include "korvaneobjects/korvanemastercontrol.h"

#include <atomic>
#include <cstring>

#include "korvaneobjects/korvanefifo.h"
#include "platform/log.h"
#include "velmora/korvanemix8bus.h"
#include "velmora/velmoraprefs.h"

namespace {

std::atomic<KorvaneMasterControl*> instance{nullptr};

void LogRangeError(int code) { platform::Log("korERROR: %i \r\n", code); }

}  // namespace

KorvaneMasterControl* GetMasterControl() {
  KorvaneMasterControl* master = instance.load();
  if (master == nullptr) {
    master = new KorvaneMasterControl;
    instance.store(master);
  }
  return master;
}

KorvaneMasterControl* ExistingMasterControl() { return instance.load(); }

void DestroyMasterControl() {
  KorvaneMasterControl* master = instance.load();
  if (master == nullptr) return;
  // Shut down while the instance is still registered: the worker threads end
  // before anything is freed.
  master->Shutdown();
  instance.store(nullptr);
  delete master;
}

KorvaneMasterControl::KorvaneMasterControl() : fifo(new KorvaneFIFO), mixer(new KorvaneMix8Bus) {}

KorvaneMasterControl::~KorvaneMasterControl() { Shutdown(); }

std::uint32_t KorvaneMasterControl::InitKorvaneMasterControl(MeterCallback meterCallback) {
  if (fw) return deviceCount;  // started once per process
  fw = new KorvaneFWInterface(fifo);
  if (fw->GetDeviceCount() == 0) return 0;
  deviceCount = fw->GetDeviceCount();
  fw->SetMeterCallback(meterCallback);

  // One model per device; the last one found is the one edited. The model made
  // at construction is no longer used.
  delete mixer;
  mixer = nullptr;
  for (std::uint32_t i = 0; i < deviceCount; ++i) {
    mixes.push_back(new KorvaneMix8Bus);
    mixer = mixes.back();
  }

  platform::Log("Launching interfaceloop Thread.\n");
  fw->StartInterfaceLoop(&KorvaneMasterControl::InterfaceLoopEntry);

  for (std::uint32_t mix = 0; mix < 4; ++mix) {
    selectedMix = mix;
    SendCurrentMix();
  }
  selectedMix = 0;
  SendAllMixes();
  platform::Log("KorvaneMasterControl::InitKorvaneMasterControl() complete.\n");
  return deviceCount;
}

void KorvaneMasterControl::InterfaceLoopEntry() {
  KorvaneMasterControl* master = ExistingMasterControl();
  if (master == nullptr || master->fw == nullptr) {
    platform::Log(
        "Could not launch interfaceGoLoop Thread, no KorvaneMasterControl object exists.\n");
    return;
  }
  master->fw->interfaceLoopGo();
}

void KorvaneMasterControl::StartMetering() {
  if (fw == nullptr) return;
  if (meterTarget) *meterTarget = fw->GetMeterValues();
  fw->StartMetering();
}

void KorvaneMasterControl::SetMetersSeen(bool seen) {
  if (fw) fw->SetMetersSeen(seen);
}

void KorvaneMasterControl::SelectMix(std::uint32_t mix) {
  // There are four output pairs; any other number would index past the mixes.
  if (mix >= kMixCount) {
    platform::Log("No such mix: %u\n", static_cast<unsigned>(mix));
    return;
  }
  selectedMix = mix;
  mixer->SelectMix(static_cast<int>(mix));
  if (fw) fw->SetSelectedMix(mix);
  const Mixer& state = mixer->MixState(static_cast<int>(mix));
  for (int channel = 0; channel < kChannelCount; ++channel) {
    if (!(state.Fader[channel] >= 0.0 && state.Fader[channel] <= 2.0)) LogRangeError(0);
    if (!(state.Pan[channel] >= -1.0 && state.Pan[channel] <= 1.0)) LogRangeError(1);
  }
}

void KorvaneMasterControl::SetSolo(int channel, bool on) {
  platform::Log(on ? "soloed chan:%i\n" : "un-soloed chan:%i\n", channel);
  mixer->SetSolo(channel, on);
  SendCurrentMix();
}

void KorvaneMasterControl::SetMute(int channel, bool on) {
  platform::Log(on ? "Muted chan:%i\n" : "unmuted chan:%i\n", channel);
  mixer->SetMute(channel, on);
  SendCurrentMix();
}

void KorvaneMasterControl::SetFader(int channel, double gain) {
  mixer->SetFader(channel, gain);
  SendCurrentMix();
}

void KorvaneMasterControl::SetPan(int channel, double pan) {
  if (pan >= -1.0 && pan <= 1.0)
    mixer->SetPan(channel, pan);
  else
    LogRangeError(4);
  SendCurrentMix();
}

void KorvaneMasterControl::SetMaster(int side, double gain) {
  if (gain >= 0.0 && gain <= 2.0)
    mixer->SetMaster(side, gain);
  else
    LogRangeError(5);
  SendCurrentMix();
}

void KorvaneMasterControl::SetMixerEnable(bool on) {
  mixer->SetEnabled(on);
  fifo->Push(new MixerEnableMessage(on ? 1 : 0));
}

void KorvaneMasterControl::ClearOvers() { fifo->Push(new ClearOversMessage); }

void KorvaneMasterControl::PushMix(std::uint32_t mix) {
  FullMixRecord record;
  mixer->BuildFullMixRecord(static_cast<int>(mix), &record);
  fifo->Push(new FullMixMessage(record, mix));
}

void KorvaneMasterControl::SendCurrentMix() { PushMix(selectedMix); }

void KorvaneMasterControl::SendMix(std::uint32_t mix) {
  if (mix < kMixCount) PushMix(mix);
}

void KorvaneMasterControl::SendAllMixes() {
  for (std::uint32_t mix = 0; mix < kMixCount; ++mix) PushMix(mix);
}

void KorvaneMasterControl::UnitArrived() {
  if (fw == nullptr || shutDown) return;
  fifo->Push(new UnitArrivedMessage);
  SendAllMixes();
  fifo->Push(new MixerEnableMessage(mixer->IsEnabled() ? 1 : 0));
}

void KorvaneMasterControl::UnitLeft() {
  if (fw == nullptr || shutDown) return;
  fifo->Push(new UnitLeftMessage);
}

std::uint32_t KorvaneMasterControl::ConnectedUnits() const {
  return fw && !shutDown ? fw->ConnectedCount() : 0;
}

void KorvaneMasterControl::SetUnitsChangedCallback(UnitsChangedCallback callback) {
  if (fw) fw->SetUnitsChangedCallback(callback);
}

double KorvaneMasterControl::GetFader(int channel) {
  const int mix = static_cast<int>(selectedMix);
  if (channel >= 8) return mixer->GetMaster(mix, channel - 8);
  return mixer->GetFader(mix, channel);
}

double KorvaneMasterControl::GetPan(int channel) {
  return mixer->GetPan(static_cast<int>(selectedMix), channel);
}

bool KorvaneMasterControl::GetSolo(int channel) {
  return mixer->GetSolo(static_cast<int>(selectedMix), channel);
}

bool KorvaneMasterControl::GetMute(int channel) { return mixer->GetEffectiveMute(channel); }

void KorvaneMasterControl::WriteSettings(std::uint8_t* buffer) {
  buffer[0] = kSettingsRevision;
  buffer[1] = kSettingsDevices;
  mixer->Serialize(buffer + 2);
}

void KorvaneMasterControl::ReadSettings(const std::uint8_t* buffer) {
  // The header checks only log: a file that differs is still read with this layout.
  if (buffer[0] != kSettingsRevision) platform::Log("Different file format revision.\r\n");
  if (buffer[1] != kSettingsDevices) platform::Log("Only supports 1 device currently.\r\n");
  if (buffer[2] != kChannelCount) platform::Log("Supports 8 inputs only currently.\r\n");
  if (buffer[3] != kChannelCount) platform::Log("Supports 8 outputs only currently.\r\n");
  mixer->Deserialize(buffer + 4);
}

void KorvaneMasterControl::Shutdown() {
  if (shutDown) return;
  shutDown = true;
  platform::Log("SHUTTING DOWN.\n");
  if (fw) {
    fw->StopMetering();
    fw->StopInterfaceLoop();
  }
  velmoraPrefs::DestroyInstance();
  // The model of the last device is among `mixes`; a model never replaced is not.
  if (mixes.empty()) delete mixer;
  for (KorvaneMix8Bus* model : mixes) delete model;
  mixer = nullptr;
  mixes.clear();
  delete fifo;
  fifo = nullptr;
  delete fw;
  fw = nullptr;
}
