#include "korvaneobjects/enginemessage.h"

#include <cstdint>

// Kinds 2 and 3 carry the whole state of what they set, so any later message
// of the same kind supersedes them. Other kinds are never superseded: their
// key is unique to the message.
bool EngineMessage::IsSupersededBy(const EngineMessage& later) const {
  return (kind == kMessageMixerEnable || kind == kMessageClearOvers) && later.kind == kind;
}

std::uint64_t EngineMessage::SupersedeKey() const {
  if (kind == kMessageMixerEnable || kind == kMessageClearOvers)
    return static_cast<std::uint64_t>(kind) << 32;
  return reinterpret_cast<std::uintptr_t>(this) | (std::uint64_t{1} << 63);
}

// A full mix replaces only an earlier full mix of the same output pair.
bool FullMixMessage::IsSupersededBy(const EngineMessage& later) const {
  return later.kind == kMessageFullMix &&
         static_cast<const FullMixMessage&>(later).mixIndex == mixIndex;
}

std::uint64_t FullMixMessage::SupersedeKey() const {
  return (static_cast<std::uint64_t>(kMessageFullMix) << 32) | mixIndex;
}
