// The remote control on the mixer's side. On the GUI thread it carries out
// what controllers sent through the parameter interface, exactly as the
// user's own gestures (the screen, the unit, undo and the save question
// follow), and turns every change of a value, whatever made it, into
// messages for the controllers. On the metering thread it passes the meters
// to the controllers that asked for them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "korvaneobjects/metervalues.h"
#include "remote/remoteinbox.h"
#include "remote/remotelink.h"
#include "velmora/mixhistory.h"

class RemoteMixer {
 public:
  explicit RemoteMixer(RemoteLink& link) : link(link) {}
  ~RemoteMixer();  // detaches
  RemoteMixer(const RemoteMixer&) = delete;
  RemoteMixer& operator=(const RemoteMixer&) = delete;

  // Registers with the parameter interface's change hooks (one remote mixer
  // at a time), and withdraws again. GUI thread.
  void Attach();
  void Detach();

  // GUI thread: a pass that takes the inbox's entries of one mix (the mix of
  // the first entry, or no mix) one at a time, first arrival first, for as
  // long as `more` says (asked before each entry but the first), so that a
  // flood's pass ends when the user's input waits. The unit gets that one
  // mix at the end: the engine sends one transaction a pass, and a pass of
  // four mixes would put the user's own next change four transactions back.
  // The entries applied; the rest wait in the inbox for the next pass.
  std::size_t ApplyWhile(RemoteInbox& inbox, const std::function<bool()>& more);

  // Metering thread: the display values of one metering pass; the meters that
  // changed go to the subscribers.
  void MetersRead(const double* values);

 private:
  static void OnMixChanged(const SettingsImage& before, const SettingsImage& after);
  static void OnControlChanged(std::uint16_t id, std::int32_t value);

  void ApplyOne(const RemoteCommand& command, const RemoteEndpoint& sender);
  void ApplyWrite(const RemoteCommand& command, const RemoteEndpoint& sender);
  std::vector<OscMessage> Everything() const;
  void ResendMeters();

  // Sends to every controller now, or, during a pass, with the pass's others.
  void Announce(const std::vector<OscMessage>& messages);

  RemoteLink& link;
  std::vector<OscMessage>* passFeedback = nullptr;  // during ApplyWhile
  std::mutex meterLock;
  std::array<double, kMeterValueCount> sentMeters{};
  bool metersSent = false;  // false: the next pass sends every meter
};
