#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <cstdio>

#include "file_system.h"
#include "platform.h"
#include "restart.h"
#include "restart_platform.h"

extern char** environ;

namespace {

/// What the process started with.
struct Origin {
  std::string executable;
  std::vector<std::string> arguments;
  std::string workingDirectory;
  std::vector<std::string> environment;
  bool restarted = false;
};

Origin origin;
std::string pendingRecord;  ///< set when the exit ends in a restart
bool restartPending = false;

/// Only the standard streams reach the restarted launcher: a port or file
/// the app kept open must not stay taken.
void closeOthersOnExec() {
  DIR* folder = opendir("/proc/self/fd");
  if (!folder) return;
  while (const dirent* entry = readdir(folder)) {
    char* end = nullptr;
    const long descriptor = strtol(entry->d_name, &end, 10);
    if (end != entry->d_name && *end == '\0' && descriptor > 2 && descriptor != dirfd(folder))
      fcntl(static_cast<int>(descriptor), F_SETFD, FD_CLOEXEC);
  }
  closedir(folder);
}

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  pointers.reserve(texts.size() + 1);
  for (std::string& text : texts) pointers.push_back(&text[0]);
  pointers.push_back(nullptr);
  return pointers;
}

/// Runs last at exit (it is registered first), when everything else the
/// exit does is done: the process becomes the restarted launcher.
void restartAtExit() {
  if (!restartPending) return;
  std::fflush(nullptr);
  std::vector<std::string> arguments = origin.arguments;
  std::vector<std::string> environment = origin.environment;
  environment.push_back(std::string(restartRecordVariable) + '=' + pendingRecord);
  closeOthersOnExec();
  // The thread that ends the process may be one of the Java runtime's, which block signals.
  sigset_t none;
  sigemptyset(&none);
  pthread_sigmask(SIG_SETMASK, &none, nullptr);
  // A folder that is gone is no reason to stay down.
  if (chdir(origin.workingDirectory.c_str()) != 0 && chdir("/") != 0) {
    // Wherever it is: the launcher enters its own folder anyway.
  }
  execve(origin.executable.c_str(), pointersTo(arguments).data(), pointersTo(environment).data());
  printErrorLine("Error: cannot restart the app: " + origin.executable + ": " + strerror(errno));
  std::_Exit(1);
}

}  // namespace

void takeRestartRecord(int argc, char** argv) {
  std::string record;
  if (environmentValue(restartRecordVariable, &record)) {
    origin.restarted = true;
    earlierRestarts = parseRestartTimes(record);
    unsetenv(restartRecordVariable);
  }
  origin.executable = executablePath();
  origin.arguments.assign(argv, argv + argc);
  origin.workingDirectory = currentDirectory();
  for (char** variable = environ; *variable; ++variable) origin.environment.push_back(*variable);
  std::atexit(restartAtExit);
}

bool isRestart() { return origin.restarted; }

void completeRestartHandOver() {}

std::string startRestart(const std::string& record) {
  if (origin.executable.empty()) return "cannot restart the app: the launcher's file is unknown";
  pendingRecord = record;
  restartPending = true;
  return std::string();
}
