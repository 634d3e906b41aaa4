// The entry point of velmora_app.exe, the X-Tamber's hardware mixer.
#include <windows.h>

#include "gui/commandline.h"
#include "gui/velmoraapp.h"
#include "platform/supportlog.h"
#include "platform/widetext.h"
#include "simulator/simulatedmachine.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  platform::OpenSupportLog("velmora_app");  // no console: the lines go to a file too
  // KORVANE_SIMULATOR puts a simulated X-Tamber behind the device layer.
  simulator::InstallFromEnvironment();
  // The wide command line, in UTF-8: WinMain's own text is in the system's
  // code page, which turns the letters of other scripts in a path into "?".
  const std::string commandLine = ArgumentsOfCommandLine(platform::Utf8FromWide(GetCommandLineW()));
  return VelmoraApp::Run(instance, commandLine.c_str(), show);
}
