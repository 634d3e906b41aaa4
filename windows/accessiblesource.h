// What a window tells a screen reader beyond what the system's standard
// object for it knows: each answer left empty is the standard object's. A
// widget that draws itself says what it is; a standard control only what its
// neighbouring label would get wrong (its name).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

class AccessibleSource {
 public:
  virtual ~AccessibleSource() = default;

  // A ROLE_SYSTEM_ value, or 0 for the standard object's role.
  virtual long AccRole() { return 0; }
  virtual std::optional<std::string> AccName() { return std::nullopt; }
  virtual std::optional<std::string> AccValue() { return std::nullopt; }
  virtual std::optional<std::string> AccDescription() { return std::nullopt; }
  // STATE_SYSTEM_ bits added to the standard object's (focusable, focused ...).
  virtual long AccStateBits() { return 0; }
  virtual std::optional<std::string> AccDefaultAction() { return std::nullopt; }
  // False: the standard object's default action runs instead.
  virtual bool AccDoDefaultAction() { return false; }

  // After a change through the parameter interface: tells the system's event
  // clients which of name, value and state moved since the last call (the
  // first call only takes note). Nothing is sent when nothing moved, so a
  // refresh that changes nothing stays silent.
  void NotifyIfChanged(HWND hwnd);

 private:
  struct Said {
    std::string name, value;
    long state = 0;
  };
  std::optional<Said> said;
};
