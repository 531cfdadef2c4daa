#include "console-win32.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

bool attachParentConsole() { return AttachConsole(ATTACH_PARENT_PROCESS) != 0; }

void freeProcessConsole() { FreeConsole(); }

bool allocProcessConsole() { return AllocConsole() != 0; }

void reopenStream(const char* path, const char* mode, std::FILE* stream) {
  // A failure leaves the stream unusable, which nothing could report anyway.
  (void)std::freopen(path, mode, stream);
}

void registerExitHandler(void (*handler)()) { std::atexit(handler); }

void keepConsole() {}

bool inheritOrAllocConsole() { return attachParentConsole() || allocProcessConsole(); }

}  // namespace

const ConsoleApi systemConsoleApi = {attachParentConsole, freeProcessConsole,
                                     allocProcessConsole, reopenStream,
                                     registerExitHandler};

const ConsoleApi inheritingConsoleApi = {attachParentConsole, keepConsole,
                                         inheritOrAllocConsole, reopenStream,
                                         registerExitHandler};

bool consoleRequested(int argc, char** argv) {
  for (int i = 0; i < argc; ++i)
    if (argv[i] && _stricmp(argv[i], "--console") == 0) return true;
  return false;
}

void setUpConsole(int argc, char** argv, const ConsoleApi& api) {
  bool requested = consoleRequested(argc, argv);
  bool haveConsole;
  if (requested) {
    // A process has at most one console: leave any inherited one first.
    api.freeConsole();
    haveConsole = api.allocConsole();
  } else {
    haveConsole = api.attachConsole();
  }
  if (!haveConsole) return;
  api.reopen("CONIN$", "r", stdin);
  api.reopen("CONOUT$", "w", stdout);
  api.reopen("CONOUT$", "w", stderr);
  if (requested) api.registerAtExit(pressEnterToExit);
}

void promptForEnter(std::FILE* input, std::FILE* output) {
  std::fputs("Press ENTER key to exit.", output);
  std::fflush(output);
  std::fgetc(input);
}

void pressEnterToExit() { promptForEnter(stdin, stdout); }
