// One OSC message as the remote control reads and writes it: an address and
// its arguments, plain values with no network type in sight.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One argument. `tag` is its OSC type tag: i and h keep their value in
// `integer`, f and d in `number`, s in `text`; T and F carry no data and N
// nothing at all (T reads as integer 1, F as 0, so a test of `integer` works
// for both kinds of switch).
struct OscArgument {
  char tag = 'N';
  std::int64_t integer = 0;
  double number = 0.0;
  std::string text;

  static OscArgument Int(std::int32_t value) { return OscArgument{'i', value, 0.0, {}}; }
  static OscArgument Float(float value) { return OscArgument{'f', 0, value, {}}; }

  bool operator==(const OscArgument&) const = default;
};

struct OscMessage {
  std::string address;
  std::vector<OscArgument> arguments;

  bool operator==(const OscMessage&) const = default;
};
