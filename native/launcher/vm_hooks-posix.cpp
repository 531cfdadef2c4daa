#include "vm_hooks.h"

// Otherwise the runtime's exit is the launcher's: both use the one C library.
JavaVMOption* appendVmHooks(JavaVMOption* options, jint* optionCount, bool seeExitStatus) {
  if (!seeExitStatus) return options;
  return withHooks(options, optionCount,
                   {hookOption("exit", reinterpret_cast<void*>(exitThroughLauncher))});
}
