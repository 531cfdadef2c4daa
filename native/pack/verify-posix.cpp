// Running an app with the host's Java files hidden: a child process in a
// mount namespace of its own (as root; otherwise in a user namespace, where
// the system allows one) binds the app folder to a private place, mounts
// empty folders over the hidden ones and starts the launcher there with the
// VM's class loading logged. The mounts vanish with the process.
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "verify.h"

namespace {

bool writeText(const std::string& path, const std::string& text) {
  int descriptor = open(path.c_str(), O_WRONLY);
  if (descriptor < 0) return false;
  bool ok = write(descriptor, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  close(descriptor);
  return ok;
}

/// A mount namespace of its own: directly as root, else inside a user
/// namespace whose root is this user. Empty, or why not.
std::string enterNamespace() {
  if (unshare(CLONE_NEWNS) == 0) return std::string();
  const std::string asRoot = std::strerror(errno);
  const uid_t uid = getuid();
  const gid_t gid = getgid();
  if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
    return "no mount namespace (" + asRoot + ", and as a user: " + std::strerror(errno) + ")";
  writeText("/proc/self/setgroups", "deny");
  if (!writeText("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
      !writeText("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
    return "no user namespace mapping";
  return std::string();
}

/// In the child: the mounts, reported through `report` ("" for success).
std::string hide(const VerifyRequest& request, const std::string& appPath,
                 const std::string& emptyFile) {
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
    return std::string("cannot make the mounts private: ") + std::strerror(errno);
  if (mount(request.appFolder.c_str(), appPath.c_str(), nullptr, MS_BIND | MS_REC, nullptr) != 0)
    return std::string("cannot bind the app folder: ") + std::strerror(errno);
  for (const std::string& folder : request.hiddenFolders)
    if (mount("none", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=16k,mode=755") != 0)
      return "cannot hide " + folder + ": " + std::strerror(errno);
  for (const std::string& file : request.hiddenFiles)
    if (mount(emptyFile.c_str(), file.c_str(), nullptr, MS_BIND, nullptr) != 0)
      return "cannot hide " + file + ": " + std::strerror(errno);
  return std::string();
}

[[noreturn]] void runChild(const VerifyRequest& request, const std::string& work, int report) {
  const std::string appPath = work + "/app";
  std::string message = enterNamespace();
  const bool hidden = message.empty();
  if (hidden) message = hide(request, appPath, work + "/empty");
  if (!message.empty() && hidden) {
    (void)!write(report, ("E" + message).data(), message.size() + 1);
    _exit(127);
  }
  const std::string folder = hidden ? appPath : request.appFolder;
  for (const char* variable : {"LD_LIBRARY_PATH", "JAVA_HOME", "JDK_JAVA_OPTIONS", "_JAVA_OPTIONS"})
    unsetenv(variable);
  setenv("JAVA_TOOL_OPTIONS", ("-Xlog:class+load=info:file=" + work + "/classes.log").c_str(), 1);
  int output = open((work + "/output.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  int input = open("/dev/null", O_RDONLY);
  if (output < 0 || input < 0 || chdir(folder.c_str()) != 0) _exit(127);
  dup2(input, 0);
  dup2(output, 1);
  dup2(output, 2);
  const std::string said = (hidden ? "H" : "U") + folder + (hidden ? "" : "\n" + message);
  (void)!write(report, said.data(), said.size());
  close(report);
  const std::string program = folder + "/" + request.launcher;
  execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
  _exit(127);
}

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

/// Adds the shared libraries a process has mapped, as it sees their paths.
void addMappedLibraries(pid_t pid, std::vector<std::string>* libraries) {
  std::istringstream maps(readAll("/proc/" + std::to_string(pid) + "/maps"));
  std::string line;
  while (std::getline(maps, line)) {
    size_t slash = line.find('/');
    if (slash == std::string::npos) continue;
    std::string path = line.substr(slash);
    // NAME.so or NAME.so.1.2, not other mapped files such as ld.so.cache.
    const std::string name = path.substr(path.rfind('/') + 1);
    const size_t so = name.find(".so");
    if (so == std::string::npos ||
        name.find_first_not_of(".0123456789", so + 3) != std::string::npos)
      continue;
    if (std::find(libraries->begin(), libraries->end(), path) == libraries->end())
      libraries->push_back(path);
  }
}

/// Waits for the child for `seconds`; ends it when it still runs. The
/// libraries it maps are collected meanwhile.
void waitOrEnd(pid_t child, int seconds, VerifyRun* run) {
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int status = 0;
  while (std::chrono::steady_clock::now() < end) {
    addMappedLibraries(child, &run->libraries);
    if (waitpid(child, &status, WNOHANG) == child) {
      run->exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(child, SIGTERM);
  for (int i = 0; i < 30 && waitpid(child, &status, WNOHANG) != child; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  if (kill(child, SIGKILL) == 0) waitpid(child, &status, 0);
}

}  // namespace

bool runHidden(const VerifyRequest& request, VerifyRun* run, std::string* error) {
  char work[] = "/tmp/vantrel-verify-XXXXXX";
  if (!mkdtemp(work)) {
    *error = std::string("cannot make a folder in /tmp: ") + std::strerror(errno);
    return false;
  }
  const std::string folder = work;
  mkdir((folder + "/app").c_str(), 0700);
  close(open((folder + "/empty").c_str(), O_WRONLY | O_CREAT, 0600));
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    *error = std::strerror(errno);
    return false;
  }
  pid_t child = fork();
  if (child == 0) runChild(request, folder, report[1]);
  close(report[1]);
  std::string said;
  char buffer[4096];
  ssize_t count;
  while ((count = read(report[0], buffer, sizeof buffer)) > 0) said.append(buffer, count);
  close(report[0]);
  bool ok = child > 0 && !said.empty() && said[0] != 'E';
  if (ok) {
    run->hidden = said[0] == 'H';
    size_t newline = said.find('\n');
    run->appPath = said.substr(1, newline == std::string::npos ? std::string::npos : newline - 1);
    if (newline != std::string::npos) run->whyNotHidden = said.substr(newline + 1);
    waitOrEnd(child, request.seconds, run);
    run->classLog = readAll(folder + "/classes.log");
    run->output = readAll(folder + "/output.log");
  } else {
    *error = child < 0      ? std::string("cannot start a process: ") + std::strerror(errno)
             : said.empty() ? std::string("the launcher cannot be started")
                            : said.substr(1);
    if (child > 0) waitpid(child, nullptr, 0);
  }
  // One by one: app/ is an empty folder here, whatever the child mounted on it.
  for (const char* name : {"/classes.log", "/output.log", "/empty"})
    unlink((folder + name).c_str());
  rmdir((folder + "/app").c_str());
  rmdir(folder.c_str());
  return ok;
}
