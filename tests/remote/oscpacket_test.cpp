#include "remote/oscpacket.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

namespace {

OscDecodeResult Decode(const std::string& bytes) {
  return DecodeOscPacket(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::string Encode(const OscMessage& message) {
  const std::vector<std::uint8_t> bytes = EncodeOscMessage(message);
  return std::string(bytes.begin(), bytes.end());
}

std::string SizeWord(std::size_t size) {
  return std::string{static_cast<char>(size >> 24), static_cast<char>(size >> 16),
                     static_cast<char>(size >> 8), static_cast<char>(size)};
}

std::string Bundle(const std::vector<std::string>& elements) {
  std::string bundle = "#bundle\0"s + "\0\0\0\0\0\0\0\1"s;
  for (const std::string& element : elements) bundle += SizeWord(element.size()) + element;
  return bundle;
}

const std::string kFaderHalf = "/velmora/mix/1/ch/1/fader\0\0\0,f\0\0\x3F\0\0\0"s;
const std::string kActiveOn = "/velmora/active\0,i\0\0\0\0\0\1"s;

TEST(OscPacket, ReadsAMessageAsAControllerSendsIt) {
  const OscDecodeResult result = Decode(kFaderHalf);
  ASSERT_FALSE(result.Refused()) << result.refusal;
  ASSERT_EQ(result.messages.size(), 1u);
  EXPECT_EQ(result.messages[0].address, "/velmora/mix/1/ch/1/fader");
  ASSERT_EQ(result.messages[0].arguments.size(), 1u);
  EXPECT_EQ(result.messages[0].arguments[0].tag, 'f');
  EXPECT_EQ(result.messages[0].arguments[0].number, 0.5);
}

TEST(OscPacket, WritesTheFeedbackBytesExactly) {
  EXPECT_EQ(Encode({"/velmora/mix/1/ch/1/fader", {OscArgument::Float(0.5f)}}), kFaderHalf);
  EXPECT_EQ(Encode({"/velmora/active", {OscArgument::Int(1)}}), kActiveOn);
  EXPECT_EQ(Encode({"/velmora/refresh", {}}), "/velmora/refresh\0\0\0\0,\0\0\0"s);
}

TEST(OscPacket, EveryArgumentKindRoundTrips) {
  OscArgument text{'s', 0, 0.0, "Kick"};
  OscArgument empty{'s', 0, 0.0, ""};
  OscArgument wide{'h', -5000000000LL, 0.0, {}};
  OscArgument precise{'d', 0, -0.1, {}};
  OscArgument on{'T', 1, 0.0, {}};
  OscArgument off{'F', 0, 0.0, {}};
  OscArgument nil{'N', 0, 0.0, {}};
  const OscMessage message{"/x/abc",
                           {OscArgument::Int(-7), OscArgument::Float(-1.25f), text, empty, wide,
                            precise, on, off, nil}};
  const OscDecodeResult result = Decode(Encode(message));
  ASSERT_FALSE(result.Refused()) << result.refusal;
  ASSERT_EQ(result.messages.size(), 1u);
  EXPECT_EQ(result.messages[0], message);
}

TEST(OscPacket, BundlesAreCarriedOutInOrderWhateverTheirTimeTag) {
  const std::string inner = Bundle({kActiveOn, kFaderHalf});
  const OscDecodeResult result = Decode(Bundle({kFaderHalf, inner, kActiveOn}));
  ASSERT_FALSE(result.Refused()) << result.refusal;
  ASSERT_EQ(result.messages.size(), 4u);
  EXPECT_EQ(result.messages[0].address, "/velmora/mix/1/ch/1/fader");
  EXPECT_EQ(result.messages[1].address, "/velmora/active");
  EXPECT_EQ(result.messages[2].address, "/velmora/mix/1/ch/1/fader");
  EXPECT_EQ(result.messages[3].address, "/velmora/active");
  EXPECT_FALSE(Decode(Bundle({})).Refused()) << "an empty bundle is no fault, just nothing";
}

TEST(OscPacket, BundlesNestEightDeepAndNoDeeper) {
  std::string packet = kActiveOn;
  for (int depth = 1; depth <= 8; ++depth) packet = Bundle({packet});
  EXPECT_EQ(Decode(packet).messages.size(), 1u);
  const OscDecodeResult deeper = Decode(Bundle({packet}));
  EXPECT_EQ(deeper.refusal, "bundles nested too deep");
  EXPECT_TRUE(deeper.messages.empty());
}

TEST(OscPacket, DatagramsUpTo64KiB) {
  auto withText = [](std::size_t total) {
    // "/t\0\0" ",s\0\0" then a string padded to the rest.
    const std::size_t room = total - 8;
    return "/t\0\0,s\0\0"s + std::string(room - 4, 'a') + std::string(4, '\0');
  };
  EXPECT_FALSE(Decode(withText(65536)).Refused());
  EXPECT_EQ(Decode(withText(65540)).refusal, "datagram larger than 64 KiB");
}

// Each shape a datagram can go wrong in, and the reason it is refused for.
TEST(OscPacket, RefusesEveryMalformedShapeWhole) {
  const struct {
    const char* what;
    std::string bytes;
    const char* reason;
  } cases[] = {
      {"empty", "", "empty datagram"},
      {"size not aligned", "/a\0\0,\0\0\0\0"s, "datagram size not a multiple of 4"},
      {"address without slash", "a\0\0\0,\0\0\0"s, "address not starting with '/'"},
      {"unterminated address", "/abc"s, "unterminated string"},
      {"address padding not zero", "/a\0x,\0\0\0"s, "string padding not zero"},
      {"no type tags", "/ab\0"s, "no type tag string"},
      {"type tags without comma", "/a\0\0i\0\0\0\0\0\0\1"s, "type tag string not starting with ','"},
      {"unknown tag", "/a\0\0,b\0\0\0\0\0\4abcd"s, "unknown type tag"},
      {"array tag", "/a\0\0,[i]\0\0\0\0\0\0\0\1"s, "unknown type tag"},
      {"int missing", "/a\0\0,i\0\0"s, "argument past the end"},
      {"int64 short", "/a\0\0,h\0\0\0\0\0\1"s, "argument past the end"},
      {"double short", "/a\0\0,d\0\0\0\0\0\1"s, "argument past the end"},
      {"string missing", "/a\0\0,s\0\0"s, "argument past the end"},
      {"string unterminated", "/a\0\0,s\0\0abcd"s, "unterminated string"},
      {"data past the arguments", "/a\0\0,i\0\0\0\0\0\1\0\0\0\2"s, "data past the last argument"},
      {"data with no tags", "/a\0\0,\0\0\0\0\0\0\1"s, "data past the last argument"},
      {"float NaN", "/a\0\0,f\0\0\x7F\xC0\0\0"s, "NaN or infinity"},
      {"float infinity", "/a\0\0,f\0\0\xFF\x80\0\0"s, "NaN or infinity"},
      {"double infinity", "/a\0\0,d\0\0\x7F\xF0\0\0\0\0\0\0"s, "NaN or infinity"},
      {"bundle short", "#bundle\0\0\0\0\0"s, "bundle too short"},
      {"element size unaligned", Bundle({}) + SizeWord(6) + "/a\0\0,\0"s + "\0\0"s,
       "bundle element size not a positive multiple of 4"},
      {"element size zero", Bundle({}) + SizeWord(0), "bundle element size not a positive multiple of 4"},
      {"element size negative", Bundle({}) + "\xFF\xFF\xFF\xFC"s,
       "bundle element size not a positive multiple of 4"},
      {"element past the end", Bundle({}) + SizeWord(12) + "/a\0\0,\0\0\0"s, "bundle element past the end"},
      {"bad element among good", Bundle({kActiveOn, "/a\0\0,x\0\0"s, kFaderHalf}), "unknown type tag"},
      {"bad element in a nested bundle", Bundle({kActiveOn, Bundle({"/a\0\0"s})}), "no type tag string"},
  };
  for (const auto& c : cases) {
    const OscDecodeResult result = Decode(c.bytes);
    EXPECT_EQ(result.refusal, c.reason) << c.what;
    EXPECT_TRUE(result.messages.empty()) << c.what;
  }
}

TEST(OscPacket, FeedbackIsBundledIntoDatagramsThatCrossANetworkWhole) {
  std::vector<OscMessage> messages;
  for (int i = 0; i < 100; ++i)
    messages.push_back({"/velmora/mix/1/ch/" + std::to_string(i % 8 + 1) + "/fader",
                        {OscArgument::Float(static_cast<float>(i) / 100)}});
  const auto datagrams = EncodeOscDatagrams(messages, 1400);
  EXPECT_GT(datagrams.size(), 1u);
  std::vector<OscMessage> read;
  for (const auto& datagram : datagrams) {
    EXPECT_LE(datagram.size(), 1400u);
    const OscDecodeResult decoded = DecodeOscPacket(datagram.data(), datagram.size());
    ASSERT_FALSE(decoded.Refused()) << decoded.refusal;
    read.insert(read.end(), decoded.messages.begin(), decoded.messages.end());
  }
  EXPECT_EQ(read, messages) << "all of them, in order";
  const auto lone = EncodeOscDatagrams({messages.front()}, 1400);
  ASSERT_EQ(lone.size(), 1u);
  EXPECT_EQ(lone.front(), EncodeOscMessage(messages.front())) << "a lone message is no bundle";
}

}  // namespace
