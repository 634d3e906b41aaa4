// Fuzz target: one datagram from the network, as the remote control's network
// thread reads it. A user relies on no datagram crashing the mixer or
// changing anything when it is refused, on every message read being written
// back to the same message, and on each command reaching the mixer in range
// and being shown back to its controller at an address that sets it again.
#include <cmath>
#include <cstdint>

#include "fuzz/fuzzcheck.h"
#include "remote/oscpacket.h"
#include "remote/remoteaddress.h"
#include "velmora/velmora.h"

namespace {

void CheckRoundTrip(const OscMessage& message) {
  const std::vector<std::uint8_t> bytes = EncodeOscMessage(message);
  FUZZ_CHECK(bytes.size() % 4 == 0);
  const OscDecodeResult again = DecodeOscPacket(bytes.data(), bytes.size());
  FUZZ_CHECK(!again.Refused() || bytes.size() > kMaxDatagramSize);
  if (!again.Refused()) FUZZ_CHECK(again.messages.size() == 1 && again.messages[0] == message);
}

void CheckInRange(const RemoteCommand& command) {
  const double value = command.value;
  FUZZ_CHECK(std::isfinite(value));
  const int group = command.id & 0xFFF0;
  const bool ofMix = command.kind == RemoteCommandKind::kSetFloat ||
                     command.kind == RemoteCommandKind::kSetInteger;
  FUZZ_CHECK(ofMix ? command.mix >= 0 && command.mix < 4 : command.mix == -1);
  if (group == IDFADER) FUZZ_CHECK(value >= 0 && value <= ((command.id & 0xF) >= 8 ? 1.0 : 2.0));
  if (group == IDPAN) FUZZ_CHECK(value >= -1 && value <= 1);
  if (command.kind == RemoteCommandKind::kOutput) FUZZ_CHECK(value >= 0 && value <= 3 && value == std::floor(value));
  if (group == IDSOLO || group == IDMUTE || command.kind == RemoteCommandKind::kActive ||
      command.kind == RemoteCommandKind::kMeters)
    FUZZ_CHECK(value == 0 || value == 1);
}

// The feedback of a setting's new value is itself a message that sets the
// same parameter of the same mix.
void CheckFeedback(const RemoteCommand& command) {
  const bool hasFeedback = command.kind == RemoteCommandKind::kSetFloat ||
                           command.kind == RemoteCommandKind::kSetInteger ||
                           command.kind == RemoteCommandKind::kOutput ||
                           command.kind == RemoteCommandKind::kActive;
  const std::vector<OscMessage> feedback = RemoteFeedback(command.id, command.mix, command.value);
  FUZZ_CHECK(hasFeedback != feedback.empty());
  for (const OscMessage& message : feedback) {
    const RemoteDispatch back = DispatchRemoteMessage(message);
    FUZZ_CHECK(!back.Refused());
    FUZZ_CHECK(back.command.kind == command.kind && back.command.id == command.id &&
               back.command.mix == command.mix);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const OscDecodeResult result = DecodeOscPacket(data, size);
  if (result.Refused()) {
    FUZZ_CHECK(result.messages.empty());
    return 0;
  }
  FUZZ_CHECK(!result.messages.empty() || size >= 16);  // only a bundle can hold nothing
  for (const OscMessage& message : result.messages) {
    CheckRoundTrip(message);
    const RemoteDispatch dispatch = DispatchRemoteMessage(message);
    if (dispatch.Refused()) continue;
    CheckInRange(dispatch.command);
    CheckFeedback(dispatch.command);
  }
  return 0;
}
