#include <windows.h>

#include "tests/support/appdatasandbox.h"

namespace testsupport {

namespace {
constexpr wchar_t kVariable[] = L"APPDATA";
}

AppDataSandbox::AppDataSandbox() {
  wchar_t value[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(kVariable, value, MAX_PATH);
  if (length > 0 && length < MAX_PATH) previous_ = value;
  SetEnvironmentVariableW(kVariable, path().c_str());
}

AppDataSandbox::~AppDataSandbox() {
  SetEnvironmentVariableW(kVariable, previous_ ? previous_->c_str() : nullptr);
}

}  // namespace testsupport
