// The fuzzer's bytes, taken from the front as the target needs them. Past the
// end every read gives zeros, so a short input is still a whole script.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return offset_ >= size_; }
  std::size_t Remaining() const { return Empty() ? 0 : size_ - offset_; }

  std::uint8_t Byte() {
    std::uint8_t byte = 0;
    Bytes(&byte, 1);
    return byte;
  }

  std::uint32_t Word() {
    std::uint8_t bytes[4];
    Bytes(bytes, sizeof bytes);
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
  }

  // Copies `count` bytes to `out`; what the input lacks is zero.
  void Bytes(void* out, std::size_t count) {
    const std::size_t taken = count < Remaining() ? count : Remaining();
    if (taken) std::memcpy(out, data_ + offset_, taken);
    if (count > taken) std::memset(static_cast<std::uint8_t*>(out) + taken, 0, count - taken);
    offset_ += taken;
  }

  template <typename Value>
  Value Take() {
    Value value;
    Bytes(&value, sizeof value);
    return value;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t offset_ = 0;
};
