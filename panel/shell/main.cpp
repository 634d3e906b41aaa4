// qdl_cpl: the X-Tamber's driver control panel.
#include <windows.h>

#include "panel/shell/qdl_cplapp.h"
#include "simulator/simulatedmachine.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // KORVANE_SIMULATOR puts a simulated driver behind the device layer.
  simulator::InstallFromEnvironment();
  CQDL_CPLApp application;
  return application.Main(app::Application::ArgumentsOf(GetCommandLineW()));
}
