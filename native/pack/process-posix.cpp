// Running a program on POSIX: posix_spawn with a pipe for its output.
#include "process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace {

void readAll(int descriptor, std::string* output) {
  char buffer[4096];
  while (true) {
    ssize_t count = read(descriptor, buffer, sizeof buffer);
    if (count > 0) output->append(buffer, static_cast<size_t>(count));
    else if (count == 0 || errno != EINTR) break;
  }
}

int waitFor(pid_t child) {
  int status = 0;
  while (waitpid(child, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

ProgramRun runProgram(const std::vector<std::string>& arguments) {
  ProgramRun run;
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
    run.error = std::strerror(errno);
    return run;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
  std::vector<char*> vector;
  vector.reserve(arguments.size() + 1);
  for (const std::string& argument : arguments)
    vector.push_back(const_cast<char*>(argument.c_str()));
  vector.push_back(nullptr);
  pid_t child = 0;
  int failure = posix_spawn(&child, vector[0], &actions, nullptr, vector.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (failure == 0) readAll(pipeEnds[0], &run.output);
  close(pipeEnds[0]);
  if (failure != 0) {
    run.error = std::strerror(failure);
    return run;
  }
  run.started = true;
  run.status = waitFor(child);
  return run;
}
