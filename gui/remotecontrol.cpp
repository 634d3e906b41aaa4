#include "gui/remotecontrol.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "gui/remotecontrolcommand.h"
#include "gui/remotedialog.h"
#include "korvaneobjects/korvanefifo.h"
#include "korvaneobjects/korvanemastercontrol.h"
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

// Posted messages come before the pointer and the keys, so a flood posting
// one after another would leave the user's own input waiting. Only the first
// command after a quiet spell posts; while more keep coming the window takes
// them on a timer, whose turn comes when no input waits.
std::atomic<bool> postArmed{true};

bool PostDue() {
  if (!postArmed.exchange(false)) return true;  // the timer takes it
  if (PostMessageW(owner, RemoteControl::kTakeInbox, 0, 0)) return true;
  postArmed = true;
  return false;
}

void TakeLater() { SetTimer(owner, RemoteControl::kInboxTimer, USER_TIMER_MINIMUM, nullptr); }

// A pass over the inbox yields to the user: after kFreePass it ends as soon
// as input waits, and after kLongestPass in any case (input the system has
// not queued yet is not seen), so that a flood holds a drag back by a few
// milliseconds at most, and the painting and the meters by less than a frame.
constexpr auto kFreePass = std::chrono::milliseconds(1);
constexpr auto kLongestPass = std::chrono::milliseconds(4);

// The unit's queue first: while the engine still has the last pass's mix or
// the user's own changes to send, the next pass waits a tick, so that a flood
// never stands between the user's change and the unit. A queue that does not
// drain (the engine stopped) holds the commands back no longer than
// kLongestWait.
constexpr auto kLongestWait = std::chrono::milliseconds(100);
std::chrono::steady_clock::time_point busySince{};

bool UnitQueueBusy() {
  KorvaneMasterControl* master = GetMasterControl();
  const bool busy = master != nullptr && master->Fifo() != nullptr && master->Fifo()->Size() > 0;
  const auto now = std::chrono::steady_clock::now();
  if (!busy) {
    busySince = {};
    return false;
  }
  if (busySince == std::chrono::steady_clock::time_point{}) busySince = now;
  return now - busySince < kLongestWait;
}

std::function<bool()> UntilInputWaits() {
  const auto start = std::chrono::steady_clock::now();
  return [start] {
    const auto spent = std::chrono::steady_clock::now() - start;
    if (spent < kFreePass) return true;
    return spent < kLongestPass && HIWORD(GetQueueStatus(QS_INPUT)) == 0;
  };
}

std::vector<std::string> AddressTexts() {
  const platform::LocalAddresses addresses = platform::ThisComputersAddresses();
  std::vector<std::string> texts = addresses.ipv4;
  texts.insert(texts.end(), addresses.ipv6.begin(), addresses.ipv6.end());
  return texts;
}

}  // namespace

void RemoteControl::Start(HWND window) {
  owner = window;
  postArmed = true;
  server = std::make_unique<RemoteServer>(&PostDue);
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

void RemoteControl::TakeInbox(bool onTimer) {
  KillTimer(owner, kInboxTimer);
  if (!server || !mixer) return;
  // The first command after a quiet spell has none of ours ahead of it.
  if (onTimer && UnitQueueBusy()) {
    TakeLater();
    return;
  }
  if (mixer->ApplyWhile(server->Inbox(), UntilInputWaits()) > 0) {
    TakeLater();  // the rest, and more may be on the way
    return;
  }
  // Quiet again: the next command posts. One that came just before found the
  // post disarmed, and is taken now.
  postArmed = true;
  if (server->Inbox().Size() > 0 && postArmed.exchange(false)) TakeLater();
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
