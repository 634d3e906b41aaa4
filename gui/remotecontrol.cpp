#include "gui/remotecontrol.h"

#include <atomic>
#include <memory>
#include <vector>

#include "gui/remotecontrolcommand.h"
#include "gui/remotedialog.h"
#include "platform/log.h"
#include "platform/udpsocket.h"
#include "remote/remotemixer.h"
#include "remote/remoteserver.h"
#include "remote/remotesettings.h"

namespace {

HWND owner = nullptr;
std::unique_ptr<RemoteServer> server;
std::unique_ptr<RemoteMixer> mixer;
// What the metering thread reaches: set before it can see it, cleared only
// once it has stopped.
std::atomic<RemoteMixer*> meterTarget{nullptr};

std::vector<std::string> AddressTexts() {
  const platform::LocalAddresses addresses = platform::ThisComputersAddresses();
  std::vector<std::string> texts = addresses.ipv4;
  texts.insert(texts.end(), addresses.ipv6.begin(), addresses.ipv6.end());
  return texts;
}

}  // namespace

void RemoteControl::Start(HWND window) {
  owner = window;
  server = std::make_unique<RemoteServer>(
      [] { return PostMessageW(owner, kTakeInbox, 0, 0) != FALSE; });
  mixer = std::make_unique<RemoteMixer>(*server);
  mixer->Attach();
  meterTarget = mixer.get();
  SetRemoteControlCommand(&RemoteControl::RunDialog);
  const RemoteSettings settings = ReadRemoteSettings();
  if (!settings.enabled) return;
  const std::string failure = Listen(settings);
  if (!failure.empty()) platform::Log("Remote control stays off: %s\n", failure.c_str());
}

void RemoteControl::End() {
  SetRemoteControlCommand(nullptr);
  meterTarget = nullptr;
  if (server) server->Stop();
  mixer.reset();
  server.reset();
  owner = nullptr;
}

void RemoteControl::TakeInbox() {
  if (server && mixer) mixer->Apply(server->Inbox().Take());
}

void RemoteControl::MetersRead(const double* values) {
  if (RemoteMixer* target = meterTarget.load()) target->MetersRead(values);
}

// Off, or on with these settings; the text that says why it could not listen.
std::string RemoteControl::Listen(const RemoteSettings& settings) {
  if (!server) return "the mixer has no window";
  if (!settings.enabled) {
    server->Stop();
    platform::Log("Remote control is off.\n");
    return "";
  }
  const auto scope = settings.scope == 1 ? RemoteScope::kLocalNetwork : RemoteScope::kThisComputer;
  const RemoteServer::StartResult result = server->Start(settings.port, scope, settings.replyPort);
  return result.Started() ? "" : result.Text(settings.port);
}

void RemoteControl::RunDialog(HWND window) {
  RemoteSettings settings = ReadRemoteSettings();
  if (RunRemoteDialog(window, &settings, AddressTexts(), &RemoteControl::Listen))
    WriteRemoteSettings(settings);
}
