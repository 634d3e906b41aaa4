// The entry point of velmora_app.exe, the X-Tamber's hardware mixer.
#include <windows.h>

#include "gui/velmoraapp.h"
#include "platform/supportlog.h"
#include "simulator/simulatedmachine.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
  platform::OpenSupportLog("velmora_app");  // no console: the lines go to a file too
  // KORVANE_SIMULATOR puts a simulated X-Tamber behind the device layer.
  simulator::InstallFromEnvironment();
  return VelmoraApp::Run(instance, commandLine, show);
}
