#include "remote/remotescope.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using V6 = std::array<std::uint8_t, 16>;

struct Verdict {
  bool loopback;
  bool local;
};

Verdict JudgeV4(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
  const std::uint8_t bytes[4] = {a, b, c, d};
  return {IsLoopbackAddress(bytes, 4), IsLocalNetworkAddress(bytes, 4)};
}

Verdict JudgeV6(const V6& bytes) {
  return {IsLoopbackAddress(bytes.data(), 16), IsLocalNetworkAddress(bytes.data(), 16)};
}

V6 Mapped(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
  return {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, a, b, c, d};
}

// Each range at its first and last address and just outside both ends.
TEST(RemoteScope, IPv4RangesAtTheirEdges) {
  const struct {
    std::array<std::uint8_t, 4> address;
    bool loopback;
    bool local;
  } rows[] = {
      {{126, 255, 255, 255}, false, false}, {{127, 0, 0, 0}, true, true},
      {{127, 0, 0, 1}, true, true},         {{127, 255, 255, 255}, true, true},
      {{128, 0, 0, 0}, false, false},       {{9, 255, 255, 255}, false, false},
      {{10, 0, 0, 0}, false, true},         {{10, 255, 255, 255}, false, true},
      {{11, 0, 0, 0}, false, false},        {{172, 15, 255, 255}, false, false},
      {{172, 16, 0, 0}, false, true},       {{172, 31, 255, 255}, false, true},
      {{172, 32, 0, 0}, false, false},      {{192, 167, 255, 255}, false, false},
      {{192, 168, 0, 0}, false, true},      {{192, 168, 255, 255}, false, true},
      {{192, 169, 0, 0}, false, false},     {{169, 253, 255, 255}, false, false},
      {{169, 254, 0, 0}, false, true},      {{169, 254, 255, 255}, false, true},
      {{169, 255, 0, 0}, false, false},     {{8, 8, 8, 8}, false, false},
      {{0, 0, 0, 0}, false, false},         {{255, 255, 255, 255}, false, false},
  };
  for (const auto& row : rows) {
    const auto& a = row.address;
    const Verdict verdict = JudgeV4(a[0], a[1], a[2], a[3]);
    const std::string name = std::to_string(a[0]) + "." + std::to_string(a[1]) + "." +
                             std::to_string(a[2]) + "." + std::to_string(a[3]);
    EXPECT_EQ(verdict.loopback, row.loopback) << name;
    EXPECT_EQ(verdict.local, row.local) << name;
    const Verdict mapped = JudgeV6(Mapped(a[0], a[1], a[2], a[3]));
    EXPECT_EQ(mapped.loopback, row.loopback) << "::ffff:" << name;
    EXPECT_EQ(mapped.local, row.local) << "::ffff:" << name;
  }
}

TEST(RemoteScope, IPv6RangesAtTheirEdges) {
  const V6 zero{};
  auto with = [](std::initializer_list<std::pair<int, std::uint8_t>> bytes) {
    V6 address{};
    for (auto [at, value] : bytes) address[at] = value;
    return address;
  };
  V6 allOnes;
  allOnes.fill(0xFF);
  const struct {
    const char* name;
    V6 address;
    bool loopback;
    bool local;
  } rows[] = {
      {"::", zero, false, false},
      {"::1", with({{15, 1}}), true, true},
      {"::2", with({{15, 2}}), false, false},
      {"::1:0:0:0:1 (not loopback)", with({{9, 1}, {15, 1}}), false, false},
      {"fbff:ffff::", with({{0, 0xFB}, {1, 0xFF}, {2, 0xFF}}), false, false},
      {"fc00::", with({{0, 0xFC}}), false, true},
      {"fdff:ffff::1", with({{0, 0xFD}, {1, 0xFF}, {2, 0xFF}, {15, 1}}), false, true},
      {"fe00::", with({{0, 0xFE}}), false, false},
      {"fe7f:ffff::", with({{0, 0xFE}, {1, 0x7F}, {2, 0xFF}}), false, false},
      {"fe80::", with({{0, 0xFE}, {1, 0x80}}), false, true},
      {"febf:ffff::", with({{0, 0xFE}, {1, 0xBF}, {2, 0xFF}}), false, true},
      {"fec0::", with({{0, 0xFE}, {1, 0xC0}}), false, false},
      {"2001:db8::1", with({{0, 0x20}, {1, 0x01}, {2, 0x0D}, {3, 0xB8}, {15, 1}}), false, false},
      {"ffff:...", allOnes, false, false},
      {"::7f00:1 (IPv4-compatible, not mapped)", with({{12, 127}, {15, 1}}), false, false},
      {"::fffe:7f00:1 (not the mapped prefix)", with({{10, 0xFF}, {11, 0xFE}, {12, 127}, {15, 1}}),
       false, false},
  };
  for (const auto& row : rows) {
    const Verdict verdict = JudgeV6(row.address);
    EXPECT_EQ(verdict.loopback, row.loopback) << row.name;
    EXPECT_EQ(verdict.local, row.local) << row.name;
  }
}

TEST(RemoteScope, TheSettingChoosesTheSetAndOddLengthsAreNobody) {
  const RemoteEndpoint home = RemoteEndpoint::V4(127, 0, 0, 1, 9000);
  const RemoteEndpoint tablet = RemoteEndpoint::V4(192, 168, 1, 20, 9000);
  const RemoteEndpoint outside = RemoteEndpoint::V4(8, 8, 8, 8, 9000);
  EXPECT_TRUE(IsAdmitted(RemoteScope::kThisComputer, home));
  EXPECT_FALSE(IsAdmitted(RemoteScope::kThisComputer, tablet));
  EXPECT_TRUE(IsAdmitted(RemoteScope::kLocalNetwork, home));
  EXPECT_TRUE(IsAdmitted(RemoteScope::kLocalNetwork, tablet));
  EXPECT_FALSE(IsAdmitted(RemoteScope::kLocalNetwork, outside));
  RemoteEndpoint unknown = home;
  unknown.size = 0;
  EXPECT_FALSE(IsAdmitted(RemoteScope::kThisComputer, unknown));
  const std::uint8_t five[5] = {127, 0, 0, 1, 0};
  EXPECT_FALSE(IsLoopbackAddress(five, 5));
  EXPECT_FALSE(IsLocalNetworkAddress(five, 5));
}

}  // namespace
