#include "remote/oscpacket.h"

#include <cmath>
#include <cstring>

namespace {

constexpr char kBundleTag[8] = {'#', 'b', 'u', 'n', 'd', 'l', 'e', '\0'};
constexpr std::size_t kTimeTagSize = 8;

std::size_t PaddedSize(std::size_t size) { return (size + 3) & ~std::size_t{3}; }

std::uint64_t ReadBigEndian(const std::uint8_t* bytes, int count) {
  std::uint64_t value = 0;
  for (int i = 0; i < count; ++i) value = value << 8 | bytes[i];
  return value;
}

void AppendBigEndian(std::vector<std::uint8_t>& out, std::uint64_t value, int count) {
  for (int i = count - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// Reads one element (a message or a bundle) from [data, data + size); the
// first refusal met stops everything.
class ElementReader {
 public:
  explicit ElementReader(OscDecodeResult& result) : result_(result) {}

  bool Element(const std::uint8_t* data, std::size_t size, int depth) {
    if (size >= sizeof kBundleTag && std::memcmp(data, kBundleTag, sizeof kBundleTag) == 0)
      return Bundle(data, size, depth + 1);
    return Message(data, size);
  }

 private:
  bool Refuse(const char* reason) {
    result_.refusal = reason;
    return false;
  }

  bool Bundle(const std::uint8_t* data, std::size_t size, int depth) {
    if (depth > kMaxBundleDepth) return Refuse("bundles nested too deep");
    if (size < sizeof kBundleTag + kTimeTagSize) return Refuse("bundle too short");
    std::size_t at = sizeof kBundleTag + kTimeTagSize;
    while (at < size) {
      const auto elementSize = static_cast<std::int32_t>(ReadBigEndian(data + at, 4));
      at += 4;
      if (elementSize <= 0 || elementSize % 4 != 0)
        return Refuse("bundle element size not a positive multiple of 4");
      if (static_cast<std::size_t>(elementSize) > size - at)
        return Refuse("bundle element past the end");
      if (!Element(data + at, static_cast<std::size_t>(elementSize), depth)) return false;
      at += static_cast<std::size_t>(elementSize);
    }
    return true;
  }

  // A string ends with its first zero byte and is padded with zeros to a
  // multiple of 4 bytes; `at` moves past the padding.
  bool String(const std::uint8_t* data, std::size_t size, std::size_t& at, std::string& out) {
    const void* zero = std::memchr(data + at, 0, size - at);
    if (zero == nullptr) return Refuse("unterminated string");
    const std::size_t length = static_cast<const std::uint8_t*>(zero) - (data + at);
    // Elements start and end on multiples of 4, so the padding always fits.
    const std::size_t end = at + PaddedSize(length + 1);
    for (std::size_t i = at + length; i < end; ++i)
      if (data[i] != 0) return Refuse("string padding not zero");
    out.assign(reinterpret_cast<const char*>(data + at), length);
    at = end;
    return true;
  }

  bool Message(const std::uint8_t* data, std::size_t size) {
    OscMessage message;
    std::size_t at = 0;
    if (size == 0 || data[0] != '/') return Refuse("address not starting with '/'");
    if (!String(data, size, at, message.address)) return false;
    if (at == size) return Refuse("no type tag string");
    std::string tags;
    if (!String(data, size, at, tags)) return false;
    if (tags.empty() || tags[0] != ',') return Refuse("type tag string not starting with ','");
    for (std::size_t t = 1; t < tags.size(); ++t) {
      OscArgument argument;
      argument.tag = tags[t];
      if (!Argument(data, size, at, argument)) return false;
      message.arguments.push_back(std::move(argument));
    }
    if (at != size) return Refuse("data past the last argument");
    result_.messages.push_back(std::move(message));
    return true;
  }

  bool Fixed(const std::uint8_t* data, std::size_t size, std::size_t& at, int count,
             std::uint64_t& bits) {
    if (size - at < static_cast<std::size_t>(count)) return Refuse("argument past the end");
    bits = ReadBigEndian(data + at, count);
    at += static_cast<std::size_t>(count);
    return true;
  }

  bool Argument(const std::uint8_t* data, std::size_t size, std::size_t& at, OscArgument& argument) {
    std::uint64_t bits = 0;
    switch (argument.tag) {
      case 'i':
        if (!Fixed(data, size, at, 4, bits)) return false;
        argument.integer = static_cast<std::int32_t>(bits);
        return true;
      case 'h':
        if (!Fixed(data, size, at, 8, bits)) return false;
        argument.integer = static_cast<std::int64_t>(bits);
        return true;
      case 'f': {
        if (!Fixed(data, size, at, 4, bits)) return false;
        float value;
        const auto word = static_cast<std::uint32_t>(bits);
        std::memcpy(&value, &word, sizeof value);
        argument.number = value;
        return Finite(argument.number);
      }
      case 'd':
        if (!Fixed(data, size, at, 8, bits)) return false;
        std::memcpy(&argument.number, &bits, sizeof argument.number);
        return Finite(argument.number);
      case 's':
        if (at == size) return Refuse("argument past the end");
        return String(data, size, at, argument.text);
      case 'T':
        argument.integer = 1;
        return true;
      case 'F':
      case 'N':
        return true;
      default:
        return Refuse("unknown type tag");
    }
  }

  bool Finite(double value) { return std::isfinite(value) || Refuse("NaN or infinity"); }

  OscDecodeResult& result_;
};

void AppendString(std::vector<std::uint8_t>& out, const std::string& text) {
  out.insert(out.end(), text.begin(), text.end());
  out.resize(out.size() + PaddedSize(text.size() + 1) - text.size(), 0);
}

void AppendArgument(std::vector<std::uint8_t>& out, const OscArgument& argument) {
  switch (argument.tag) {
    case 'i':
      AppendBigEndian(out, static_cast<std::uint32_t>(argument.integer), 4);
      return;
    case 'h':
      AppendBigEndian(out, static_cast<std::uint64_t>(argument.integer), 8);
      return;
    case 'f': {
      const float value = static_cast<float>(argument.number);
      std::uint32_t word;
      std::memcpy(&word, &value, sizeof word);
      AppendBigEndian(out, word, 4);
      return;
    }
    case 'd': {
      std::uint64_t bits;
      std::memcpy(&bits, &argument.number, sizeof bits);
      AppendBigEndian(out, bits, 8);
      return;
    }
    case 's':
      AppendString(out, argument.text);
      return;
    default:
      return;
  }
}

}  // namespace

OscDecodeResult DecodeOscPacket(const std::uint8_t* data, std::size_t size) {
  OscDecodeResult result;
  if (size == 0) {
    result.refusal = "empty datagram";
  } else if (size > kMaxDatagramSize) {
    result.refusal = "datagram larger than 64 KiB";
  } else if (size % 4 != 0) {
    result.refusal = "datagram size not a multiple of 4";
  } else {
    ElementReader(result).Element(data, size, 0);
  }
  if (result.Refused()) result.messages.clear();
  return result;
}

std::vector<std::uint8_t> EncodeOscMessage(const OscMessage& message) {
  std::vector<std::uint8_t> out;
  AppendString(out, message.address);
  std::string tags = ",";
  for (const OscArgument& argument : message.arguments) tags += argument.tag;
  AppendString(out, tags);
  for (const OscArgument& argument : message.arguments) AppendArgument(out, argument);
  return out;
}

namespace {

// "#bundle", then the time tag 1: carry the contents out at once.
std::vector<std::uint8_t> EmptyBundle() {
  std::vector<std::uint8_t> bundle;
  AppendString(bundle, "#bundle");
  AppendBigEndian(bundle, 1, 8);
  return bundle;
}

}  // namespace

std::vector<std::vector<std::uint8_t>> EncodeOscDatagrams(const std::vector<OscMessage>& messages,
                                                          std::size_t limit) {
  std::vector<std::vector<std::uint8_t>> datagrams;
  if (messages.size() == 1) {
    datagrams.push_back(EncodeOscMessage(messages.front()));
    return datagrams;
  }
  const std::size_t emptySize = EmptyBundle().size();
  std::vector<std::uint8_t> bundle;
  for (const OscMessage& message : messages) {
    const std::vector<std::uint8_t> element = EncodeOscMessage(message);
    if (!bundle.empty() && bundle.size() + 4 + element.size() > limit) {
      datagrams.push_back(std::move(bundle));
      bundle.clear();
    }
    if (bundle.empty()) bundle = EmptyBundle();
    AppendBigEndian(bundle, element.size(), 4);
    bundle.insert(bundle.end(), element.begin(), element.end());
  }
  if (bundle.size() > emptySize) datagrams.push_back(std::move(bundle));
  return datagrams;
}
