#include "remote/remotemixer.h"

#include "korvaneobjects/korvanemastercontrol.h"
#include "remote/remoteaddress.h"
#include "velmora/mixblock.h"
#include "velmora/mixsteps.h"
#include "velmora/velmora.h"

namespace {

RemoteMixer* attached = nullptr;

// A remote write's place in the history: a burst on one address is a run,
// as keys on one control are; the mix is part of the key, since a remote
// writes mixes that are not shown.
std::uint32_t RunKey(const RemoteCommand& command) {
  return (static_cast<std::uint32_t>(command.mix) + 1) << 16 | command.id;
}

void Append(std::vector<OscMessage>* to, std::vector<OscMessage> messages) {
  for (OscMessage& message : messages) to->push_back(std::move(message));
}

// The messages of every value of mix `mix` in `image` that differs from
// `before` (all of them when `before` is null).
void MixMessages(const SettingsImage* before, const SettingsImage& image, int mix,
                 std::vector<OscMessage>* out) {
  const MixBlock block = MixBlockOf(image, mix);
  const MixBlock old = before ? MixBlockOf(*before, mix) : MixBlock{};
  if (before != nullptr && old == block) return;
  for (std::uint16_t id : RemoteMixParameterIds()) {
    double value = 0, was = 0;
    if (!BlockValue(block, id, &value)) continue;
    if (before != nullptr && BlockValue(old, id, &was) && was == value) continue;
    Append(out, RemoteFeedback(id, mix, value));
  }
}

// What one parameter holds now, as a controller is shown it.
std::vector<OscMessage> ValueOf(const RemoteCommand& command) {
  if (command.kind == RemoteCommandKind::kOutput || command.kind == RemoteCommandKind::kActive)
    return RemoteFeedback(command.id, -1, KMXGetInteger(command.id));
  double value = 0;
  if (!BlockValue(MixBlockOf(CurrentImage(), command.mix), command.id, &value)) return {};
  return RemoteFeedback(command.id, command.mix, value);
}

}  // namespace

RemoteMixer::~RemoteMixer() { Detach(); }

void RemoteMixer::Attach() {
  attached = this;
  SetMixChangedHook(&OnMixChanged);
  SetControlChangedHook(&OnControlChanged);
}

void RemoteMixer::Detach() {
  if (attached != this) return;
  SetMixChangedHook(nullptr);
  SetControlChangedHook(nullptr);
  attached = nullptr;
}

// Called on every write, a drag's moves among them: with remote control off or
// no controller registered, nothing is compared.
void RemoteMixer::OnMixChanged(const SettingsImage& before, const SettingsImage& after) {
  if (attached == nullptr || !attached->link.HasControllers()) return;
  std::vector<OscMessage> messages;
  for (int mix = 0; mix < kMixCount; ++mix) MixMessages(&before, after, mix, &messages);
  attached->Announce(messages);
}

void RemoteMixer::OnControlChanged(std::uint16_t id, std::int32_t value) {
  if (attached == nullptr) return;
  if (attached->link.HasControllers()) attached->Announce(RemoteFeedback(id, -1, value));
  // Another output pair: its two output meters are other meters now.
  if (id == IDMIXSELECT) attached->ResendMeters();
}

void RemoteMixer::Announce(const std::vector<OscMessage>& messages) {
  if (messages.empty()) return;
  if (passFeedback != nullptr)
    passFeedback->insert(passFeedback->end(), messages.begin(), messages.end());
  else
    link.SendToAll(messages);
}

// The changes of one pass go out together: a few bundles per controller
// rather than a datagram per value, which under a flood would keep the
// window's thread sending.
std::size_t RemoteMixer::ApplyWhile(RemoteInbox& inbox, const std::function<bool()>& more) {
  std::vector<OscMessage> feedback;
  passFeedback = &feedback;
  std::size_t applied = 0;
  RemoteInbox::Entry entry;
  if (inbox.TakeFirstOf(RemoteInbox::kAnyMix, &entry)) {
    const MixSendBatch unitGetsTheMixOnce;
    const int mix = entry.command.mix;
    do {
      ApplyOne(entry.command, entry.sender);
      ++applied;
    } while (more() && inbox.TakeFirstOf(mix, &entry));
  }
  passFeedback = nullptr;
  if (!feedback.empty()) link.SendToAll(feedback);
  return applied;
}

void RemoteMixer::ApplyOne(const RemoteCommand& command, const RemoteEndpoint& sender) {
  switch (command.kind) {
    case RemoteCommandKind::kSetFloat:
    case RemoteCommandKind::kSetInteger:
    case RemoteCommandKind::kOutput:
    case RemoteCommandKind::kActive:
      ApplyWrite(command, sender);
      return;
    case RemoteCommandKind::kClearOvers:
      GetMasterControl()->ClearOvers();
      return;
    case RemoteCommandKind::kRefresh:
      link.SendTo(sender, Everything());
      return;
    case RemoteCommandKind::kMeters:
      link.SetMeters(sender, command.value != 0);
      if (command.value != 0) ResendMeters();
      return;
  }
}

// A write that changes nothing (the value is held already, or the mixer is
// off and takes none) is shown back to its sender alone, whose control would
// otherwise keep a value the mixer does not hold. The shown pair and Mixer
// Active are read only for the commands that set them: each read is a line
// of the support log, which a flood of mix writes would otherwise fill.
void RemoteMixer::ApplyWrite(const RemoteCommand& command, const RemoteEndpoint& sender) {
  const bool mixValue =
      command.kind == RemoteCommandKind::kSetFloat || command.kind == RemoteCommandKind::kSetInteger;
  const SettingsImage before = CurrentImage();
  const std::int32_t was = mixValue ? 0 : KMXGetInteger(command.id);
  const auto integer = static_cast<std::int32_t>(command.value);
  {
    const StepScope burst(StepJoin::kRun, RunKey(command));
    if (command.kind == RemoteCommandKind::kSetFloat)
      KMXSetMixFloat(command.mix, command.id, command.value);
    else if (command.kind == RemoteCommandKind::kSetInteger)
      KMXSetMixInteger(command.mix, command.id, integer);
    else if (was != integer)
      KMXSetInteger(command.id, integer);
  }
  const bool changed =
      mixValue ? CurrentImage() != before : KMXGetInteger(command.id) != was;
  if (!changed) link.SendTo(sender, ValueOf(command));
}

std::vector<OscMessage> RemoteMixer::Everything() const {
  const SettingsImage image = CurrentImage();
  std::vector<OscMessage> messages;
  for (int mix = 0; mix < kMixCount; ++mix) MixMessages(nullptr, image, mix, &messages);
  Append(&messages, RemoteFeedback(IDMIXSELECT, -1, KMXGetInteger(IDMIXSELECT)));
  Append(&messages, RemoteFeedback(IDMIXERACTIVE, -1, KMXGetInteger(IDMIXERACTIVE)));
  return messages;
}

void RemoteMixer::ResendMeters() {
  const std::lock_guard<std::mutex> hold(meterLock);
  metersSent = false;
}

// Without a subscriber nothing is compared or built: the metering thread
// runs all the time, and the first subscriber is sent every meter anyway.
void RemoteMixer::MetersRead(const double* values) {
  if (!link.WantsMeters()) {
    ResendMeters();
    return;
  }
  std::vector<OscMessage> messages;
  {
    const std::lock_guard<std::mutex> hold(meterLock);
    for (int i = 0; i < kMeterValueCount; ++i) {
      if (metersSent && sentMeters[i] == values[i]) continue;
      sentMeters[i] = values[i];
      if (i < kOutputLevels)
        messages.push_back(MeterLevelMessage(i, values[i]));
      else if (i < kInputOvers)
        messages.push_back(OutputMeterMessage(i - kOutputLevels, values[i]));
      else if (i < kOutputOvers)
        messages.push_back(MeterOverMessage(i - kInputOvers, values[i] != 0));
    }
    metersSent = true;
  }
  if (!messages.empty()) link.SendToMeterSubscribers(messages);
}
