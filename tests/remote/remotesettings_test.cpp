// The remote control's settings in the current user's store: what comes back
// of what was stored, and what a damaged or hand-edited value turns into.
#include "remote/remotesettings.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/log.h"
#include "platform/prefstore.h"
#include "tests/support/prefsandbox.h"

namespace {

class RemoteSettingsStore : public ::testing::Test {
 protected:
  void Store(const char* name, std::uint32_t value) {
    platform::PrefStore store;
    ASSERT_NE(store.OpenForUser(kRemoteSettingsKey), platform::PrefStoreOpen::kFailed);
    ASSERT_TRUE(store.WriteDword(name, value));
  }
  // Every value sound, then `name` set to `value`.
  RemoteSettings ReadWith(const char* name, std::uint32_t value) {
    WriteRemoteSettings({true, 9000, 1, 9001});
    Store(name, value);
    return ReadRemoteSettings();
  }
  // Whether a log line named the value.
  bool Logged(const char* name) const {
    for (const std::string& line : log.Lines())
      if (line.find(std::string("setting ") + name + " ") != std::string::npos) return true;
    return false;
  }

  testsupport::PrefSandbox sandbox;
  platform::LogCapture log;
};

}  // namespace

TEST_F(RemoteSettingsStore, NothingStoredReadsAsOffOn7420ThisComputerReplyToTheSender) {
  const RemoteSettings read = ReadRemoteSettings();
  EXPECT_FALSE(read.enabled);
  EXPECT_EQ(read.port, 7420);
  EXPECT_EQ(read.scope, 0);
  EXPECT_EQ(read.replyPort, 0);
  EXPECT_TRUE(log.Lines().empty()) << "a user who never opened the dialog is no fault";
}

TEST_F(RemoteSettingsStore, WhatIsWrittenReadsBackAtTheEndsOfEveryRange) {
  for (const RemoteSettings& settings :
       {RemoteSettings{true, 1, 1, 65535}, RemoteSettings{false, 65535, 0, 1},
        RemoteSettings{true, 7420, 0, 0}}) {
    ASSERT_TRUE(WriteRemoteSettings(settings));
    EXPECT_EQ(ReadRemoteSettings(), settings) << settings.port;
  }
  EXPECT_TRUE(log.Lines().empty());
}

TEST_F(RemoteSettingsStore, AValueOutOfRangeReadsAsItsDefaultAloneAndIsLogged) {
  EXPECT_EQ(ReadWith("Enabled", 2), (RemoteSettings{false, 9000, 1, 9001}));
  EXPECT_TRUE(Logged("Enabled"));
  EXPECT_EQ(ReadWith("Port", 0), (RemoteSettings{true, 7420, 1, 9001}));
  EXPECT_EQ(ReadWith("Port", 65536), (RemoteSettings{true, 7420, 1, 9001}));
  EXPECT_TRUE(Logged("Port"));
  EXPECT_EQ(ReadWith("Scope", 2), (RemoteSettings{true, 9000, 0, 9001}));
  EXPECT_EQ(ReadWith("Scope", 0xFFFFFFFF), (RemoteSettings{true, 9000, 0, 9001}));
  EXPECT_TRUE(Logged("Scope"));
  EXPECT_EQ(ReadWith("ReplyPort", 70000), (RemoteSettings{true, 9000, 1, 0}));
  EXPECT_TRUE(Logged("ReplyPort"));
}

TEST_F(RemoteSettingsStore, AMissingOrWronglyTypedValueReadsAsItsDefaultAndIsLogged) {
  Store("Enabled", 1);
  Store("Scope", 1);
  sandbox.StoreNonDword(kRemoteSettingsKey, "Port", true);
  EXPECT_EQ(ReadRemoteSettings(), (RemoteSettings{true, 7420, 1, 0}));
  EXPECT_TRUE(Logged("Port"));
  EXPECT_TRUE(Logged("ReplyPort"));
  EXPECT_FALSE(Logged("Enabled"));
}

#ifdef _WIN32
// The mixer's preferences are machine-wide when they can be: the remote
// control's settings are the user's even then.
TEST_F(RemoteSettingsStore, TheSettingsAreTheCurrentUsers) {
  ASSERT_TRUE(WriteRemoteSettings({true, 9000, 1, 0}));
  platform::PrefStore store;
  ASSERT_EQ(store.OpenForUser(kRemoteSettingsKey), platform::PrefStoreOpen::kOpened);
  EXPECT_EQ(store.Scope(), platform::PrefScope::kUser);
  std::uint32_t port = 0;
  EXPECT_TRUE(store.ReadDword("Port", &port) && port == 9000u);
  ASSERT_EQ(store.Open(kRemoteSettingsKey), platform::PrefStoreOpen::kCreated);
  EXPECT_FALSE(store.ReadDword("Port", &port)) << "nothing machine-wide";
}
#endif

TEST(RemotePortText, OnlyDecimalDigitsOf1To65535AreAPort) {
  std::uint16_t port = 7;
  EXPECT_TRUE(ParsePortText("1", &port) && port == 1);
  EXPECT_TRUE(ParsePortText("65535", &port) && port == 65535);
  EXPECT_TRUE(ParsePortText("007420", &port) && port == 7420);
  for (const char* text : {"", "0", "00000", "65536", "99999999999999999999", "-1", "+80", " 80",
                           "80 ", "0x50", "8o"}) {
    port = 7;
    EXPECT_FALSE(ParsePortText(text, &port)) << text;
    EXPECT_EQ(port, 7) << text;
  }
}
