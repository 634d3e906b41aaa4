// What the network offers the remote control's mixer side (RemoteMixer):
// RemoteServer implements it over UDP, tests with a fake.
#pragma once

#include <vector>

#include "remote/oscmessage.h"
#include "remote/remoteendpoint.h"

class RemoteLink {
 public:
  virtual ~RemoteLink() = default;
  // To every registered controller (the sender of a change included).
  virtual void SendToAll(const std::vector<OscMessage>& messages) = 0;
  virtual void SendTo(const RemoteEndpoint& controller,
                      const std::vector<OscMessage>& messages) = 0;
  // To the controllers that asked for the meters; called on the metering thread.
  virtual void SendToMeterSubscribers(const std::vector<OscMessage>& messages) = 0;
  virtual void SetMeters(const RemoteEndpoint& controller, bool on) = 0;
  // Whether any controller asked for the meters; called on the metering thread.
  virtual bool WantsMeters() const = 0;
  // Whether any controller is registered: without one a change has no one
  // to be shown to, and nothing is built for it.
  virtual bool HasControllers() const = 0;
};
