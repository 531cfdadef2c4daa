// Child processes on POSIX: posix_spawn (no fork of a large process), a pipe
// for captured output, polling waits for the timeout.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "child_process.h"

extern char** environ;

namespace {

int64_t nowMilliseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> vector;
  vector.reserve(texts.size() + 1);
  for (std::string& text : texts) vector.push_back(&text[0]);
  vector.push_back(nullptr);
  return vector;
}

/// This process's environment with `changes` applied.
std::vector<std::string> changedEnvironment(const std::vector<std::string>& changes) {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry; ++entry) entries.push_back(*entry);
  for (const std::string& change : changes) {
    const std::string name = change.substr(0, change.find('='));
    for (size_t i = entries.size(); i-- > 0;)
      if (entries[i].compare(0, name.size() + 1, name + "=") == 0)
        entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i));
    if (change.find('=') != std::string::npos) entries.push_back(change);
  }
  return entries;
}

/// Waits for `child` until `deadline` (0: no limit), then kills it.
int waitUntil(pid_t child, int64_t deadline, bool* timedOut) {
  int status = 0;
  while (true) {
    const pid_t done = waitpid(child, &status, deadline ? WNOHANG : 0);
    if (done == child) break;
    if (done < 0 && errno != EINTR) return -1;
    if (done == 0 && nowMilliseconds() >= deadline) {
      kill(child, SIGKILL);
      *timedOut = true;
      deadline = 0;
    } else if (done == 0) {
      pauseMilliseconds(20);
    }
  }
  return WIFEXITED(status) && !*timedOut ? WEXITSTATUS(status) : -1;
}

/// Reads `descriptor` to its end or until `deadline` (0: no limit).
void readUntil(int descriptor, int64_t deadline, std::string* output) {
  char buffer[4096];
  while (true) {
    pollfd entry = {descriptor, POLLIN, 0};
    const int wait =
        deadline ? static_cast<int>(std::max<int64_t>(0, deadline - nowMilliseconds())) : -1;
    const int ready = poll(&entry, 1, wait);
    if (ready == 0) return;
    if (ready < 0 && errno == EINTR) continue;
    const ssize_t count = ready < 0 ? -1 : read(descriptor, buffer, sizeof buffer);
    if (count > 0)
      output->append(buffer, static_cast<size_t>(count));
    else if (count == 0 || errno != EINTR)
      return;
  }
}

}  // namespace

ChildRun runChild(const std::vector<std::string>& arguments, const ChildOptions& options) {
  ChildRun run;
  int pipeEnds[2] = {-1, -1};
  if (options.captureOutput && pipe2(pipeEnds, O_CLOEXEC) != 0) {
    run.error = strerror(errno);
    return run;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (options.captureOutput) {
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
  }
  std::vector<std::string> argumentTexts = arguments;
  std::vector<std::string> environment = changedEnvironment(options.environment);
  pid_t child = 0;
  const int failure = posix_spawn(&child, argumentTexts[0].c_str(), &actions, nullptr,
                                  pointers(argumentTexts).data(), pointers(environment).data());
  posix_spawn_file_actions_destroy(&actions);
  const int64_t deadline =
      options.timeoutSeconds ? nowMilliseconds() + options.timeoutSeconds * 1000LL : 0;
  if (options.captureOutput) {
    close(pipeEnds[1]);
    if (failure == 0) readUntil(pipeEnds[0], deadline, &run.output);
    close(pipeEnds[0]);
  }
  if (failure != 0) {
    run.error = strerror(failure);
    return run;
  }
  run.started = true;
  run.status = waitUntil(child, deadline, &run.timedOut);
  return run;
}

bool startDetachedChild(const std::vector<std::string>& arguments) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // A process group of its own at once: the terminal's signals go to the
  // foreground group, which it leaves before it can receive any.
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
  posix_spawnattr_setpgroup(&attributes, 0);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  std::vector<std::string> argumentTexts = arguments;
  pid_t child = 0;
  const int failure = posix_spawn(&child, argumentTexts[0].c_str(), &actions, &attributes,
                                  pointers(argumentTexts).data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return failure == 0;
}

namespace {

/// Closes every descriptor above the standard streams: what the starting
/// process had open (the app's files and sockets, a parent's pipes) must not
/// stay open, or a port stay taken, while the background work runs.
void closeInheritedDescriptors() {
#ifdef SYS_close_range
  if (syscall(SYS_close_range, 3u, ~0u, 0u) == 0) return;
#endif
  // Kernels before 5.9: the descriptors that /proc lists.
  DIR* folder = opendir("/proc/self/fd");
  if (!folder) return;
  std::vector<int> open;
  const int own = dirfd(folder);
  while (const dirent* entry = readdir(folder)) {
    const int descriptor = std::atoi(entry->d_name);
    if (descriptor > 2 && descriptor != own) open.push_back(descriptor);
  }
  closedir(folder);
  for (int descriptor : open) close(descriptor);
}

}  // namespace

void becomeBackgroundProcess() {
  closeInheritedDescriptors();
  setsid();
  setpriority(PRIO_PROCESS, 0, 19);
#ifdef SYS_ioprio_set
  // Best-effort class (2), lowest level (7): what `ionice -c2 -n7` sets.
  syscall(SYS_ioprio_set, 1 /* IOPRIO_WHO_PROCESS */, 0, (2 << 13) | 7);
#endif
}

void pauseMilliseconds(unsigned milliseconds) {
  timespec pause = {static_cast<time_t>(milliseconds / 1000),
                    static_cast<long>(milliseconds % 1000) * 1000000};
  while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
  }
}

namespace {

struct ThreadStart {
  void (*function)(void*);
  void* argument;
};

void* runThread(void* start) {
  const ThreadStart copy = *static_cast<ThreadStart*>(start);
  delete static_cast<ThreadStart*>(start);
  copy.function(copy.argument);
  return nullptr;
}

}  // namespace

bool startDetachedThread(void (*function)(void*), void* argument) {
  ThreadStart* start = new ThreadStart{function, argument};
  pthread_t thread;
  if (pthread_create(&thread, nullptr, runThread, start) != 0) {
    delete start;
    return false;
  }
  pthread_detach(thread);
  return true;
}
