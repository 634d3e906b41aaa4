#include "remote/remoteaddress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "velmora/velmora.h"

namespace {

OscArgument Tagged(char tag, double number = 0.0, std::int64_t integer = 0) {
  return OscArgument{tag, integer, number, {}};
}

RemoteDispatch Send(const std::string& address, std::vector<OscArgument> arguments) {
  return DispatchRemoteMessage(OscMessage{address, std::move(arguments)});
}

RemoteCommand SendFloat(const std::string& address, double value) {
  const RemoteDispatch dispatch = Send(address, {Tagged('f', value)});
  EXPECT_FALSE(dispatch.Refused()) << address << ": " << dispatch.refusal;
  return dispatch.command;
}

std::string Channel(int mix, int channel, const char* leaf) {
  return "/velmora/mix/" + std::to_string(mix) + "/ch/" + std::to_string(channel) + "/" + leaf;
}

// The value the feedback sends on `address` for a parameter's value.
double FedBack(const RemoteCommand& command, const std::string& address) {
  for (const OscMessage& message : RemoteFeedback(command.id, command.mix, command.value)) {
    if (message.address != address) continue;
    const OscArgument& argument = message.arguments.at(0);
    return argument.tag == 'f' ? argument.number : static_cast<double>(argument.integer);
  }
  ADD_FAILURE() << "no feedback on " << address;
  return std::numeric_limits<double>::quiet_NaN();
}

TEST(RemoteAddress, EveryChannelOfEveryMixReachesItsParameter) {
  for (int mix = 1; mix <= 4; ++mix) {
    for (int channel = 1; channel <= 8; ++channel) {
      const auto index = static_cast<std::uint16_t>(channel - 1);
      const struct {
        const char* leaf;
        RemoteCommandKind kind;
        std::uint16_t id;
      } rows[] = {{"fader", RemoteCommandKind::kSetFloat, static_cast<std::uint16_t>(IDFADER | index)},
                  {"db", RemoteCommandKind::kSetFloat, static_cast<std::uint16_t>(IDFADER | index)},
                  {"pan", RemoteCommandKind::kSetFloat, static_cast<std::uint16_t>(IDPAN | index)},
                  {"solo", RemoteCommandKind::kSetInteger, static_cast<std::uint16_t>(IDSOLO | index)},
                  {"mute", RemoteCommandKind::kSetInteger, static_cast<std::uint16_t>(IDMUTE | index)}};
      for (const auto& row : rows) {
        const RemoteCommand command = SendFloat(Channel(mix, channel, row.leaf), 1.0);
        EXPECT_EQ(command.kind, row.kind) << Channel(mix, channel, row.leaf);
        EXPECT_EQ(command.id, row.id) << Channel(mix, channel, row.leaf);
        EXPECT_EQ(command.mix, mix - 1) << Channel(mix, channel, row.leaf);
      }
    }
    const std::string master = "/velmora/mix/" + std::to_string(mix) + "/master/";
    EXPECT_EQ(SendFloat(master + "left/fader", 1.0).id, IDFADER | 8);
    EXPECT_EQ(SendFloat(master + "right/db", 0.0).id, IDFADER | 9);
    EXPECT_EQ(SendFloat(master + "right/fader", 0.0).mix, mix - 1);
  }
}

TEST(RemoteAddress, TheWholeMixerAddresses) {
  const RemoteCommand output = Send("/velmora/output", {Tagged('i', 0, 3)}).command;
  EXPECT_EQ(output, (RemoteCommand{RemoteCommandKind::kOutput, IDMIXSELECT, -1, 2.0}));
  EXPECT_EQ(Send("/velmora/active", {Tagged('i', 0, 1)}).command,
            (RemoteCommand{RemoteCommandKind::kActive, IDMIXERACTIVE, -1, 1.0}));
  EXPECT_EQ(Send("/velmora/active", {Tagged('h', 0, 0)}).command.value, 0.0);
  EXPECT_EQ(Send("/velmora/clearovers", {}).command,
            (RemoteCommand{RemoteCommandKind::kClearOvers, IDCLEAROVERS, -1, 0.0}));
  EXPECT_EQ(Send("/velmora/refresh", {}).command.kind, RemoteCommandKind::kRefresh);
  const RemoteCommand meters = Send("/velmora/meters", {Tagged('i', 0, 1)}).command;
  EXPECT_EQ(meters.kind, RemoteCommandKind::kMeters);
  EXPECT_EQ(meters.value, 1.0);
}

TEST(RemoteAddress, FaderPositionsFollowTheScreensTravel) {
  const std::string fader = Channel(1, 1, "fader");
  const std::string master = "/velmora/mix/1/master/left/fader";
  EXPECT_EQ(SendFloat(fader, 1.0).value, 2.0);
  EXPECT_EQ(SendFloat(master, 1.0).value, 1.0);
  EXPECT_EQ(SendFloat(fader, 0.0).value, 0.0) << "the bottom is silence, not the law's -60 dB";
  EXPECT_EQ(SendFloat(master, 0.0).value, 0.0);
  // 0 dB sits 41 pixels below the top of a channel fader's 145; a master's
  // gain 0.5 48 below the top of its 171.
  EXPECT_NEAR(SendFloat(fader, 1.0 - 41.0 / 145).value, 1.0, 1e-9);
  EXPECT_NEAR(SendFloat(master, 1.0 - 48.0 / 171).value, 0.5, 1e-9);
  EXPECT_EQ(SendFloat(fader, 1.7).value, 2.0);
  EXPECT_EQ(SendFloat(fader, -0.3).value, 0.0);
}

TEST(RemoteAddress, DecibelsClampToEachFadersRange) {
  const std::string db = Channel(2, 3, "db");
  const std::string master = "/velmora/mix/2/master/right/db";
  EXPECT_EQ(SendFloat(db, 0.0).value, 1.0);
  EXPECT_NEAR(SendFloat(db, -6.0206).value, 0.5, 1e-5);
  EXPECT_EQ(SendFloat(db, 12.0).value, 2.0);
  EXPECT_EQ(SendFloat(master, 3.0).value, 1.0);
  EXPECT_DOUBLE_EQ(SendFloat(master, -20.0).value, 0.1);
  EXPECT_NEAR(SendFloat(db, -140.0).value, 1e-7, 1e-12) << "quiet, but not yet silence";
  EXPECT_EQ(SendFloat(db, -144.0).value, 0.0);
  EXPECT_EQ(SendFloat(db, -1000.0).value, 0.0);
}

TEST(RemoteAddress, PanClampsAndSwitchesTakeAnyKindOfOnOrOff) {
  const std::string pan = Channel(4, 8, "pan");
  EXPECT_EQ(SendFloat(pan, -0.25).value, -0.25);
  EXPECT_EQ(SendFloat(pan, 4.0).value, 1.0);
  EXPECT_EQ(SendFloat(pan, -4.0).value, -1.0);
  const struct {
    OscArgument argument;
    double value;
  } switches[] = {{Tagged('i', 0, 1), 1}, {Tagged('i', 0, 0), 0}, {Tagged('h', 0, 1), 1},
                  {Tagged('f', 1.0), 1},  {Tagged('f', 0.0), 0},  {Tagged('d', 1.0), 1},
                  {Tagged('T', 0, 1), 1}, {Tagged('F'), 0}};
  for (const auto& row : switches) {
    const RemoteDispatch dispatch = Send(Channel(1, 5, "mute"), {row.argument});
    EXPECT_FALSE(dispatch.Refused()) << row.argument.tag;
    EXPECT_EQ(dispatch.command.value, row.value) << row.argument.tag;
  }
}

TEST(RemoteAddress, RefusesWhatNoRowOfTheTableTakes) {
  const OscArgument half = Tagged('f', 0.5);
  const OscArgument one = Tagged('i', 0, 1);
  const struct {
    std::string address;
    std::vector<OscArgument> arguments;
    const char* reason;
  } cases[] = {
      {"/velmora/mix/1/ch/1/gain", {half}, "unknown address"},
      {"/other/mix/1/ch/1/fader", {half}, "unknown address"},
      {"/velmora/mix/1/ch/1/fader/x", {half}, "unknown address"},
      {"/velmora/mix/one/ch/1/fader", {half}, "unknown address"},
      {"/velmora/mix/1/ch/+1/fader", {half}, "unknown address"},
      {"/velmora/mix/1/master/centre/fader", {half}, "unknown address"},
      {"/velmora/mix/1/master/left/pan", {half}, "unknown address"},
      {"/velmora//output", {one}, "unknown address"},
      {"/velmora/output/", {one}, "unknown address"},
      {"/velmora/", {}, "unknown address"},
      {"/velmora/mix/0/ch/1/fader", {half}, "index out of range"},
      {"/velmora/mix/5/ch/1/fader", {half}, "index out of range"},
      {"/velmora/mix/1/ch/9/pan", {half}, "index out of range"},
      {"/velmora/mix/1/ch/0/solo", {one}, "index out of range"},
      {"/velmora/mix/99999999999/ch/1/fader", {half}, "index out of range"},
      {"/velmora/mix/1/ch/1/fader", {}, "wrong argument count"},
      {"/velmora/mix/1/ch/1/fader", {half, half}, "wrong argument count"},
      {"/velmora/clearovers", {one}, "wrong argument count"},
      {"/velmora/refresh", {Tagged('N')}, "wrong argument count"},
      {"/velmora/mix/1/ch/1/fader", {one}, "wrong argument type"},
      {"/velmora/mix/1/ch/1/solo", {OscArgument{'s', 0, 0.0, "1"}}, "wrong argument type"},
      {"/velmora/mix/1/ch/1/mute", {Tagged('N')}, "wrong argument type"},
      {"/velmora/output", {half}, "wrong argument type"},
      {"/velmora/output", {Tagged('i', 0, 0)}, "value out of range"},
      {"/velmora/output", {Tagged('i', 0, 5)}, "value out of range"},
      {"/velmora/mix/1/ch/1/db", {Tagged('f', std::nan(""))}, "NaN or infinity"},
      {"/velmora/mix/1/ch/1/solo", {Tagged('d', -INFINITY)}, "NaN or infinity"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Send(c.address, c.arguments).refusal, c.reason) << c.address;
  }
}

TEST(RemoteAddress, AFaderChangeIsFedBackAsPositionAndDecibels) {
  const std::vector<OscMessage> unity = RemoteFeedback(IDFADER | 2, 1, 1.0);
  ASSERT_EQ(unity.size(), 2u);
  EXPECT_EQ(unity[0].address, "/velmora/mix/2/ch/3/fader");
  EXPECT_EQ(unity[0].arguments[0], OscArgument::Float(static_cast<float>(1.0 - 41.0 / 145)));
  EXPECT_EQ(unity[1].address, "/velmora/mix/2/ch/3/db");
  EXPECT_EQ(unity[1].arguments[0], OscArgument::Float(0.0f));

  const std::vector<OscMessage> silent = RemoteFeedback(IDFADER | 9, 3, 0.0);
  ASSERT_EQ(silent.size(), 2u);
  EXPECT_EQ(silent[0].address, "/velmora/mix/4/master/right/fader");
  EXPECT_EQ(silent[0].arguments[0], OscArgument::Float(0.0f));
  EXPECT_EQ(silent[1].arguments[0], OscArgument::Float(-144.0f));

  EXPECT_EQ(RemoteFeedback(IDSOLO | 7, 0, 1.0).at(0),
            (OscMessage{"/velmora/mix/1/ch/8/solo", {OscArgument::Int(1)}}));
  EXPECT_EQ(RemoteFeedback(IDMIXSELECT, -1, 3.0).at(0),
            (OscMessage{"/velmora/output", {OscArgument::Int(4)}}));
  EXPECT_EQ(RemoteFeedback(IDMIXERACTIVE, -1, 0.0).at(0),
            (OscMessage{"/velmora/active", {OscArgument::Int(0)}}));
}

TEST(RemoteAddress, NothingIsFedBackForWhatHasNoAddress) {
  EXPECT_TRUE(RemoteFeedback(IDCLEAROVERS, 0, 1.0).empty());
  EXPECT_TRUE(RemoteFeedback(IDMETER | 1, 0, 0.5).empty());
  EXPECT_TRUE(RemoteFeedback(IDFADER | 1, 4, 1.0).empty());
  EXPECT_TRUE(RemoteFeedback(IDFADER | 1, -1, 1.0).empty());
  EXPECT_TRUE(RemoteFeedback(IDFADER | 10, 0, 1.0).empty());
  EXPECT_TRUE(RemoteFeedback(IDPAN | 8, 0, 0.0).empty());
  EXPECT_TRUE(RemoteFeedback(IDMIXSELECT, -1, 4.0).empty());
  EXPECT_TRUE(RemoteFeedback(IDPAN | 1, 0, std::nan("")).empty());
}

// What a controller sends comes back to it as the value it asked for, or the
// nearest the fader can hold: within a hair of a float, far less than one
// pixel of travel or a tenth of a dB.
TEST(RemoteAddress, FeedbackGivesBackWhatWasSentClamped) {
  for (const char* address : {"/velmora/mix/3/ch/6/fader", "/velmora/mix/3/master/left/fader"}) {
    for (double sent = -0.2; sent <= 1.2; sent += 0.01) {
      const RemoteCommand command = SendFloat(address, sent);
      EXPECT_NEAR(FedBack(command, address), std::clamp(sent, 0.0, 1.0), 1e-5) << address << " " << sent;
    }
  }
  const struct {
    const char* address;
    double top;
  } dbs[] = {{"/velmora/mix/1/ch/2/db", 20 * std::log10(2.0)}, {"/velmora/mix/1/master/right/db", 0.0}};
  for (const auto& row : dbs) {
    for (double sent = -150.0; sent <= 10.0; sent += 0.5) {
      const RemoteCommand command = SendFloat(row.address, sent);
      EXPECT_NEAR(FedBack(command, row.address), std::clamp(sent, -144.0, row.top), 1e-4)
          << row.address << " " << sent;
    }
  }
  for (double sent = -1.5; sent <= 1.5; sent += 0.05) {
    const RemoteCommand command = SendFloat("/velmora/mix/2/ch/1/pan", sent);
    EXPECT_NEAR(FedBack(command, "/velmora/mix/2/ch/1/pan"), std::clamp(sent, -1.0, 1.0), 1e-6);
  }
  const RemoteCommand on = Send("/velmora/mix/4/ch/4/mute", {Tagged('T', 0, 1)}).command;
  EXPECT_EQ(FedBack(on, "/velmora/mix/4/ch/4/mute"), 1.0);
  for (int output = 1; output <= 4; ++output) {
    const RemoteCommand command = Send("/velmora/output", {Tagged('i', 0, output)}).command;
    EXPECT_EQ(FedBack(command, "/velmora/output"), output);
  }
}

TEST(RemoteAddress, RefreshCoversEveryParameterOfAMixOnce) {
  const std::vector<std::uint16_t> ids = RemoteMixParameterIds();
  EXPECT_EQ(ids.size(), 34u) << "10 faders, 8 pans, 8 solos, 8 mutes";
  std::vector<std::uint16_t> sorted = ids;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::unique(sorted.begin(), sorted.end()), sorted.end());
  for (std::uint16_t id : ids) EXPECT_FALSE(RemoteFeedback(id, 2, 0.0).empty()) << std::hex << id;
}

TEST(RemoteAddress, MeterAddressesAreOneBased) {
  EXPECT_EQ(MeterLevelMessage(0, 0.5), (OscMessage{"/velmora/meter/1", {OscArgument::Float(0.5f)}}));
  EXPECT_EQ(MeterOverMessage(7, true), (OscMessage{"/velmora/meter/8/over", {OscArgument::Int(1)}}));
  EXPECT_EQ(OutputMeterMessage(1, 0.25).address, "/velmora/meter/out/right");
  EXPECT_EQ(OutputMeterMessage(0, 0.25).address, "/velmora/meter/out/left");
}

}  // namespace
