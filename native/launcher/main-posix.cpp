// The entry of the POSIX launcher `vantrel`.
#include <cstring>
#include <string>
#include <vector>

#include "cache_job.h"
#include "command_line.h"
#include "launcher.h"
#include "platform.h"
#include "restart.h"
#include "vm_thread.h"

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], startupCacheJobOption) == 0)
    return runStartupCacheJob(std::vector<std::string>(argv + 2, argv + argc));
  takeRestartRecord(argc, argv);
  return runLauncher(argc, argv, settingsOfLauncher(executablePath()), runOnVmThread);
}
