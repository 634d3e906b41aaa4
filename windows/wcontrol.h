// A window bound to the mixer parameter whose id is its control id. It keeps
// no value: it reads the model whenever it shows or reacts, and writes every
// change through the parameter interface.
#pragma once

#include <cstdint>

#include "windows/wwindow.h"

class WControl : public WWindow {
 public:
  virtual std::int32_t GetInteger();
  virtual void SetInteger(std::int32_t value);
  virtual double GetFloat();
  virtual void SetFloat(double value);

 protected:
  std::uint16_t ParameterId() const { return static_cast<std::uint16_t>(GetId()); }
};
