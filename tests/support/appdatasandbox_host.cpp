#include <stdlib.h>

#include "tests/support/appdatasandbox.h"

namespace testsupport {

namespace {
constexpr char kVariable[] = "XDG_CONFIG_HOME";
}

AppDataSandbox::AppDataSandbox() {
  if (const char* value = getenv(kVariable)) previous_ = value;
  setenv(kVariable, path().c_str(), 1);
}

AppDataSandbox::~AppDataSandbox() {
  if (previous_) {
    setenv(kVariable, previous_->c_str(), 1);
  } else {
    unsetenv(kVariable);
  }
}

}  // namespace testsupport
