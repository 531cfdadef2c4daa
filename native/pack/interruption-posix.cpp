// Interruption requests on POSIX: signal handlers that set a flag.
#include "interruption.h"

#include <csignal>
#include <initializer_list>

namespace {

volatile std::sig_atomic_t requested = 0;

void noteRequest(int) { requested = 1; }

}  // namespace

void watchForInterruption() {
  struct sigaction action = {};
  action.sa_handler = noteRequest;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool interruptionRequested() { return requested != 0; }
