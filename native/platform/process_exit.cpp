#include "platform.h"

#include <cstdlib>

namespace {
ExitHook exitHook = nullptr;
}

void setExitHook(ExitHook hook) { exitHook = hook; }

void exitProcess(int status) {
  if (exitHook) exitHook(status);
  std::exit(status);
}
