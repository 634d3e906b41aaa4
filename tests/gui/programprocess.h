// velmora_app.exe started as its own process, as a user would start it, and
// its windows found from outside. Ended with the test if still running.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

#include "tests/support/childprocess.h"

class ProgramProcess : public testsupport::ChildProcess {
 public:
  // Beside the test in the build tree: tests/gui/ and gui/.
  static std::string Path() {
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof self);
    return (std::filesystem::path(self).parent_path() / "../../gui/velmora_app.exe").string();
  }

  // Starts the program with `arguments`; its environment is this process's.
  bool Start(const std::string& arguments) { return ChildProcess::Start(Path(), arguments); }
  bool Start(const std::wstring& arguments) {
    const std::string path = Path();
    return ChildProcess::Start(std::wstring(path.begin(), path.end()), arguments);
  }

  // The program's visible top-level window of `className`, or null.
  HWND Window(const char* className) const {
    struct Search {
      DWORD process;
      const char* className;
      HWND found;
    } search{ProcessId(), className, nullptr};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
          auto* s = reinterpret_cast<Search*>(context);
          DWORD owner = 0;
          GetWindowThreadProcessId(window, &owner);
          char name[64] = "";
          GetClassNameA(window, name, sizeof name);
          if (owner != s->process || lstrcmpA(name, s->className) != 0 || !IsWindowVisible(window))
            return TRUE;
          s->found = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  // The window that has the keyboard focus in the program's main thread.
  HWND Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(ThreadId(), &info) ? info.hwndFocus : nullptr;
  }

};

inline std::string WindowText(HWND window) {
  char text[256] = "";
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}
