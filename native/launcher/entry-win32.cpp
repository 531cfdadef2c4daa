// The entry of the Windows launcher Vantrel.exe, a windowed program.
#include <windows.h>

#include <cstdlib>

#include "command_line.h"
#include "console-win32.h"
#include "launch.h"
#include "platform.h"

// Markers that the NVIDIA and AMD switchable-graphics drivers look for in the
// executable's export table: run this process on the high-performance GPU.
extern "C" {
__declspec(dllexport) DWORD NvOptimusEnablement = 1;
__declspec(dllexport) DWORD AmdPowerXpressRequestHighPerformance = 1;
}

namespace {

/// The VM runs on the process's main thread.
void runAtOnce(VmTask task, const JavaVMInitArgs&) { task(); }

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  setUpConsole(__argc, __argv, systemConsoleApi);
  takeAppIdentity(executablePath());
  if (!parseCommandLine(__argc, __argv)) return 1;
  launch(runAtOnce);
  return 0;
}
