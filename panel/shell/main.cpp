// qdl_cpl: the X-Tamber's driver control panel.
#include <windows.h>

#include "panel/shell/qdl_cplapp.h"
#include "platform/supportlog.h"
#include "simulator/simulatedmachine.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  platform::OpenSupportLog("qdl_cpl");  // no console: the lines go to a file too
  // KORVANE_SIMULATOR puts a simulated driver behind the device layer.
  simulator::InstallFromEnvironment();
  CQDL_CPLApp application;
  return application.Main(app::Application::ArgumentsOf(GetCommandLineW()));
}
