// The entry of the Windows launcher Vantrel.exe, a windowed program.
#include <windows.h>

#include <iostream>
#include <string>
#include <vector>

#include "cache_job.h"
#include "command_line.h"
#include "console-win32.h"
#include "launcher.h"
#include "platform.h"
#include "report.h"
#include "restart.h"
#include "wide_text-win32.h"

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
  // Every text of the launcher is UTF-8, the arguments included.
  std::vector<std::string> arguments = utf8CommandLine();
  if (arguments.size() > 1 && arguments[1] == startupCacheJobOption)
    return runStartupCacheJob(std::vector<std::string>(arguments.begin() + 2, arguments.end()));
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(&argument[0]);
  argv.push_back(nullptr);
  const int argc = static_cast<int>(arguments.size());
  takeRestartRecord(argc, argv.data());
  // A restarted launcher keeps the console of the one before, its own or not.
  setUpConsole(argc, argv.data(), isRestart() ? inheritingConsoleApi : systemConsoleApi);
  LaunchSettings own = settingsOfLauncher(executablePath());
  setUpReport(own.appName);
  completeRestartHandOver();
  // Every end of the process goes through exitProcess: a failure is shown.
  setExitHook(showFailureOnExit);
  if (argc == 0) {
    std::cerr << "Error: failed to parse command line!" << std::endl;
    exitProcess(1);
  }
  exitProcess(runLauncher(argc, argv.data(), std::move(own), runAtOnce));
}
