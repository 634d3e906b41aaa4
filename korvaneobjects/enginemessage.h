// The engine's queued messages. A later message supersedes an earlier one when
// carrying out both would leave the device as carrying out the later alone.
#pragma once

#include <cstdint>

#include "velmora/fullmixrecord.h"

constexpr std::uint32_t kMessageMixerEnable = 2;
constexpr std::uint32_t kMessageClearOvers = 3;
constexpr std::uint32_t kMessageFullMix = 4;
// A device interface of the driver's class arrived or left: the interface loop
// opens the units that are new and drops those that have gone.
constexpr std::uint32_t kMessageUnitArrived = 5;
constexpr std::uint32_t kMessageUnitLeft = 6;

class EngineMessage {
 public:
  explicit EngineMessage(std::uint32_t kind) : kind(kind) {}
  virtual ~EngineMessage() = default;
  EngineMessage(const EngineMessage&) = delete;
  EngineMessage& operator=(const EngineMessage&) = delete;

  virtual bool IsSupersededBy(const EngineMessage& later) const;
  // Two messages supersede each other exactly when their keys are equal, so
  // the queue can find superseded messages by counting keys.
  virtual std::uint64_t SupersedeKey() const;

  const std::uint32_t kind;
  EngineMessage* next = nullptr;
  EngineMessage* prev = nullptr;
};

class MixerEnableMessage final : public EngineMessage {
 public:
  explicit MixerEnableMessage(std::uint8_t value)
      : EngineMessage(kMessageMixerEnable), value(value) {}
  const std::uint8_t value;  // 1: enable
};

class ClearOversMessage final : public EngineMessage {
 public:
  ClearOversMessage() : EngineMessage(kMessageClearOvers) {}
};

class UnitArrivedMessage final : public EngineMessage {
 public:
  UnitArrivedMessage() : EngineMessage(kMessageUnitArrived) {}
};

class UnitLeftMessage final : public EngineMessage {
 public:
  UnitLeftMessage() : EngineMessage(kMessageUnitLeft) {}
};

class FullMixMessage final : public EngineMessage {
 public:
  FullMixMessage(const FullMixRecord& record, std::uint32_t mixIndex)
      : EngineMessage(kMessageFullMix), record(record), mixIndex(mixIndex) {}

  bool IsSupersededBy(const EngineMessage& later) const override;
  std::uint64_t SupersedeKey() const override;

  const FullMixRecord record;
  const std::uint32_t mixIndex;
};
