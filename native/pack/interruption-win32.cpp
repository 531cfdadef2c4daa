// Interruption requests on Windows: a console control handler that sets a
// flag (Ctrl+C, Ctrl+Break, closing the console).
#include "interruption.h"

#include <windows.h>

#include <atomic>

namespace {

std::atomic<bool> requested{false};

BOOL WINAPI noteRequest(DWORD) {
  requested = true;
  return TRUE;
}

}  // namespace

void watchForInterruption() { SetConsoleCtrlHandler(noteRequest, TRUE); }

bool interruptionRequested() { return requested; }
