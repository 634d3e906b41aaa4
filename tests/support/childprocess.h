// A program started by a test as its own process, as a user would start it:
// "PROGRAM" ARGUMENTS with this process's environment. Ended with the test if
// it is still running.
#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess() {
    if (!info_.hProcess) return;
    if (!Ended()) TerminateProcess(info_.hProcess, 99);
    CloseHandle(info_.hProcess);
    if (info_.hThread) CloseHandle(info_.hThread);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Start(const std::wstring& program, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    return CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info_) != 0;
  }
  bool Start(const std::string& program, const std::string& arguments) {
    std::string commandLine = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info_) != 0;
  }

  // Follows a process that another one started (a program starting itself
  // again), as if this object had started it.
  bool Attach(DWORD processId) {
    info_.hProcess = OpenProcess(
        SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, processId);
    info_.dwProcessId = processId;
    return info_.hProcess != nullptr;
  }

  bool Ended() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0; }
  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }
  DWORD ProcessId() const { return info_.dwProcessId; }
  DWORD ThreadId() const { return info_.dwThreadId; }

 private:
  PROCESS_INFORMATION info_{};
};

}  // namespace testsupport
