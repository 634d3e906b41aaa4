// The application object: one per process. It keeps the command line, runs
// the initialisation hook, then the message loop until the main window is
// gone, and is the last command target a menu command reaches.
#pragma once

#include <windows.h>

#include <string>

#include "panel/app/commandtarget.h"

namespace app {

class FrameWindow;

class Application : public CommandTarget {
 public:
  Application();
  ~Application() override;
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The one application object of the process (null before it exists).
  static Application* Current();

  // Runs the program: InitInstance, then the message loop when it succeeded,
  // then ExitInstance. `commandLine`: the arguments after the program's name.
  int Main(const std::wstring& commandLine);

  const std::wstring& CommandLine() const { return commandLine_; }
  FrameWindow* MainWindow() const { return mainWindow_; }
  void SetMainWindow(FrameWindow* frame) { mainWindow_ = frame; }

  // The arguments of a whole Windows command line: what follows the program's
  // name, quoted or not, without the blanks that separate them.
  static std::wstring ArgumentsOf(const wchar_t* wholeCommandLine);

 protected:
  // False ends the program at once (with exit code 1).
  virtual bool InitInstance() = 0;
  virtual int ExitInstance(int exitCode) { return exitCode; }
  // Runs the message loop until WM_QUIT; dialog keys go to the main window's
  // view, so Tab moves between its controls.
  virtual int Run();

 private:
  bool IsCloseKey(const MSG& message) const;

  std::wstring commandLine_;
  FrameWindow* mainWindow_ = nullptr;
};

}  // namespace app
