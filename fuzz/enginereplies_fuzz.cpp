// Fuzz target: the mixer engine's driver path fed scripted replies. The first
// byte sets how many interfaces the driver lists; the rest is the script of
// the driver's answers (see ScriptedDevices) interleaved with the commands to
// send. Discovery runs as at start-up, then one command channel sends mixes,
// enables and over resets and reads the meters. A user relies on the engine
// keeping only devices it accepted (and closing every other handle), on
// frames that carry gains no louder than the mixer allows whatever the gain,
// and on meter values that are finite and in their range.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "fuzz/fuzzcheck.h"
#include "fuzz/fuzzinput.h"
#include "fuzz/scripteddevices.h"
#include "korvaneobjects/fcprecords.h"
#include "korvaneobjects/korvanedevicecontrol.h"
#include "korvaneobjects/korvanefifo.h"
#include "korvaneobjects/korvanefwinterface.h"
#include "korvaneobjects/metervalues.h"
#include "korvaneobjects/qdlctrl.h"

using namespace korvane;

namespace {

constexpr int kMaxSteps = 32;
constexpr std::uint8_t kFrameHeader[] = {0x00, 0xFF, 0x00, 0x00, 0x4E, 0x71};
constexpr std::uint32_t kPayload = 7;

// The request just sent as the device gets it: a whole FCP record with the
// vendor header, the command and a length that covers exactly its payload.
FcpRequest SentFrame(const ScriptedDevices& devices, std::uint8_t command, std::uint32_t length) {
  const ScriptedDevices::Request& sent = devices.LastRequest();
  FUZZ_CHECK(sent.code == kIoctlFcpTransaction);
  FUZZ_CHECK(sent.input.size() == sizeof(FcpRequest));
  FcpRequest request;
  std::memcpy(&request, sent.input.data(), sizeof request);
  FUZZ_CHECK(std::memcmp(request.frame, kFrameHeader, sizeof kFrameHeader) == 0);
  FUZZ_CHECK(request.frame[6] == command);
  FUZZ_CHECK(request.length == length);
  FUZZ_CHECK(request.timeoutMs == kFcpTimeoutMs);
  return request;
}

void Discover(FuzzInput& input, std::uint32_t listed) {
  ScriptedDevices devices(input, listed);
  KorvaneFIFO fifo;
  {
    KorvaneFWInterface fw(&fifo);
    FUZZ_CHECK(fw.GetDeviceCount() <= listed);
    // A device refused (wrong version, no event, failed request) is closed at
    // once: what stays open is exactly the devices the engine drives.
    FUZZ_CHECK(devices.OpenDevices() == fw.GetDeviceCount());
    FUZZ_CHECK(devices.OpenEvents() == fw.GetDeviceCount());
    FUZZ_CHECK((KorvaneFWInterface::Registered() == &fw) == (fw.GetDeviceCount() > 0));
  }
  FUZZ_CHECK(KorvaneFWInterface::Registered() == nullptr);
  FUZZ_CHECK(devices.OpenDevices() == 0);
  FUZZ_CHECK(devices.OpenEvents() == 0);
  FUZZ_CHECK(devices.OpenLists() == 0);
}

void ReadMeters(KorvaneDeviceControl& channel, const ScriptedDevices& devices, FuzzInput& input) {
  const std::uint32_t mix = input.Byte() & 3;
  MeterData raw;
  std::memset(&raw, 0xA5, sizeof raw);
  FUZZ_CHECK(channel.ReadMeters(&raw));  // nobody else holds the device lock
  SentFrame(devices, kCommandReadMeters, kPayload + sizeof(MeterData));
  // A read that brought nothing shows silence, never an earlier read.
  if (devices.LastReply().written == 0) {
    const MeterData silence{};
    FUZZ_CHECK(std::memcmp(&raw, &silence, sizeof raw) == 0);
  }
  double values[kMeterValueCount];
  for (int n = 0; n < 8; ++n) {
    values[kInputLevels + n] = MeterDisplayValue(raw.inputLevel[n]);
    values[kInputOvers + n] = (raw.inputOver >> n) & 1;
  }
  for (int k = 0; k < 2; ++k) {
    values[kOutputLevels + k] = MeterDisplayValue(raw.outputLevel[2 * mix + k]);
    values[kOutputOvers + k] = (raw.outputOver >> k) & 1;
  }
  for (double value : values) FUZZ_CHECK(std::isfinite(value) && value >= 0.0 && value <= 1.0);
}

// Any double as a gain, NaN and infinities included: the device never gets a
// unit above that of gain 2.0, and nothing that is not a positive gain sounds.
void WriteMix(KorvaneDeviceControl& channel, const ScriptedDevices& devices, FuzzInput& input) {
  const std::uint8_t mix = input.Byte() & 3;
  double gains[kMixGainCount];
  for (double& gain : gains) gain = input.Take<double>();
  channel.WriteMix(mix, gains);
  const FcpRequest request = SentFrame(devices, kCommandWriteMix, kPayload + 2 * kMixGainCount + 1);
  const std::uint8_t* payload = request.frame + kPayload;
  for (int i = 0; i < kMixGainCount; ++i) {
    const unsigned units = payload[2 * i] << 8 | payload[2 * i + 1];
    FUZZ_CHECK(units <= GainToDeviceUnits(2.0));
    if (!(gains[i] > 0.0)) FUZZ_CHECK(units == 0);
  }
  FUZZ_CHECK(payload[2 * kMixGainCount] == mix);
}

void RunCommands(FuzzInput& input) {
  ScriptedDevices devices(input, 1);
  CQdlCtrl client;
  const platform::DeviceInfoSet set = CreateDeviceList(&DeviceInterfaceGuid);
  if (client.OpenDevice(0, set, &DeviceInterfaceGuid) == kStatusSuccess) {
    KorvaneDeviceControl channel(&client);
    for (int step = 0; step < kMaxSteps && !input.Empty(); ++step) {
      switch (input.Byte() % 4) {
        case 0: ReadMeters(channel, devices, input); break;
        case 1: WriteMix(channel, devices, input); break;
        case 2: {
          const bool on = input.Byte() & 1;
          channel.SetMixerEnable(on);
          const FcpRequest request = SentFrame(devices, kCommandWriteParameter, kPayload + 2);
          FUZZ_CHECK(request.frame[7] == kParameterMixerEnable);
          FUZZ_CHECK(request.frame[8] == (on ? 0xFF : 0x00));
          break;
        }
        default: {
          // The last of the 32 writes leaves the high channels' over reset at 0.
          channel.ClearOvers();
          const FcpRequest request = SentFrame(devices, kCommandWriteParameter, kPayload + 2);
          FUZZ_CHECK(request.frame[7] == kParameterOverResetHigh);
          FUZZ_CHECK(request.frame[8] == 0);
          break;
        }
      }
    }
  }
  client.CloseDevice();
  DestroyDeviceList(set);
  FUZZ_CHECK(devices.OpenDevices() == 0 && devices.OpenEvents() == 0 && devices.OpenLists() == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QuietLog();
  FuzzInput input(data, size);
  const std::uint8_t mode = input.Byte();
  if (mode & 0x80)
    RunCommands(input);
  else
    Discover(input, mode % 4);
  return 0;
}
