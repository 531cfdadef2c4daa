// The entry of the POSIX launcher `vantrel`.
#include "command_line.h"
#include "launch.h"
#include "platform.h"
#include "vm_thread.h"

int main(int argc, char** argv) {
  takeAppIdentity(executablePath());
  if (!parseCommandLine(argc, argv)) return 1;
  launch(runOnVmThread);
  return 0;
}
