// The entry of the POSIX launcher `vantrel`.
#include "command_line.h"
#include "launcher.h"
#include "platform.h"
#include "vm_thread.h"

int main(int argc, char** argv) {
  return runLauncher(argc, argv, settingsOfLauncher(executablePath()), runOnVmThread);
}
