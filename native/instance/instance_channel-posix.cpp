#include "instance_channel.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <string.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <thread>

#include "paths.h"
#include "platform.h"

namespace {

int descriptor(intptr_t handle) { return static_cast<int>(handle); }

int millisecondsUntil(Deadline deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  if (left.count() <= 0) return 0;
  return left.count() > 60000 ? 60000 : static_cast<int>(left.count()) + 1;
}

/// Waits until `fd` is ready for `events`; false when the deadline passes.
bool waitFor(int fd, short events, Deadline deadline) {
  for (;;) {
    pollfd entry{fd, events, 0};
    const int ready = poll(&entry, 1, millisecondsUntil(deadline));
    if (ready > 0) return true;
    if (ready == 0 && std::chrono::steady_clock::now() >= deadline) return false;
    if (ready < 0 && errno != EINTR) return false;
  }
}

/// True when `path` is a folder (not a link to one) of this user's that no
/// one else may enter.
bool isPrivateFolder(const std::string& path) {
  struct stat status;
  return lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
         status.st_uid == geteuid() && (status.st_mode & 077) == 0;
}

/// Makes `path` a private folder of this user's; false with the reason when
/// it is something else, such as another user's folder.
bool makePrivateFolder(const std::string& path, std::string* problem) {
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
    *problem = "cannot create the folder " + path + ": " + strerror(errno);
    return false;
  }
  struct stat status;
  if (lstat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
      status.st_uid != geteuid()) {
    *problem = path + " is not a folder of this user's";
    return false;
  }
  if ((status.st_mode & 077) != 0 && chmod(path.c_str(), 0700) != 0) {
    *problem = "cannot make the folder " + path + " private: " + strerror(errno);
    return false;
  }
  return true;
}

/// $XDG_RUNTIME_DIR/vantrel when the user has a runtime folder, else
/// /tmp/vantrel-UID; empty with the reason when neither is safe.
std::string meetingFolder(std::string* problem) {
  std::string runtime;
  if (environmentValue("XDG_RUNTIME_DIR", &runtime) && isAbsolutePath(runtime) &&
      isPrivateFolder(runtime)) {
    std::string folder = runtime + "/vantrel";
    if (makePrivateFolder(folder, problem)) return folder;
  }
  std::string folder = "/tmp/vantrel-" + std::to_string(geteuid());
  return makePrivateFolder(folder, problem) ? folder : std::string();
}

sockaddr_un socketAddress(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return address;
}

/// Listens on the socket `path`, replacing one that a process before left.
int listenAt(const std::string& path, std::string* problem) {
  unlink(path.c_str());
  const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_un address = socketAddress(path);
  if (listener < 0 ||
      bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      chmod(path.c_str(), 0600) != 0 || listen(listener, 64) != 0) {
    *problem = "cannot listen on " + path + ": " + strerror(errno);
    if (listener >= 0) close(listener);
    return -1;
  }
  return listener;
}

bool sameUser(int connection) {
  ucred peer{};
  socklen_t length = sizeof peer;
  return getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 &&
         peer.uid == geteuid();
}

}  // namespace

InstanceConnection::InstanceConnection(intptr_t handle, bool listening)
    : handle_(handle), listening_(listening) {}

InstanceConnection::~InstanceConnection() { close(descriptor(handle_)); }

bool InstanceConnection::write(const std::string& bytes, Deadline deadline) {
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t sent = send(descriptor(handle_), bytes.data() + written,
                              bytes.size() - written, MSG_NOSIGNAL);
    if (sent > 0) {
      written += static_cast<size_t>(sent);
      continue;
    }
    const bool full = sent == 0 || errno == EAGAIN || errno == EINTR;
    if (!full || !waitFor(descriptor(handle_), POLLOUT, deadline)) return false;
  }
  return true;
}

long InstanceConnection::read(char* buffer, size_t size, Deadline deadline) {
  for (;;) {
    const ssize_t received = recv(descriptor(handle_), buffer, size, 0);
    if (received >= 0) return static_cast<long>(received);
    if (errno != EAGAIN && errno != EINTR) return -1;
    if (!waitFor(descriptor(handle_), POLLIN, deadline)) return -1;
  }
}

unsigned long InstanceConnection::peerProcess() const {
  ucred peer{};
  socklen_t length = sizeof peer;
  if (getsockopt(descriptor(handle_), SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0) return 0;
  return static_cast<unsigned long>(peer.pid);
}

InstanceEndpoint::InstanceEndpoint(const std::string& appDirectory) {
  const std::string folder = meetingFolder(&problem_);
  if (folder.empty()) return;
  char name[32];
  std::snprintf(name, sizeof name, "/%016llx",
                static_cast<unsigned long long>(instanceHash(appDirectory)));
  name_ = folder + name + ".socket";
  lockPath_ = folder + name + ".lock";
  if (name_.size() >= sizeof(sockaddr_un{}.sun_path)) {
    problem_ = "the socket path " + name_ + " is too long";
    name_.clear();
  }
}

InstanceEndpoint::~InstanceEndpoint() {
  if (listener_ >= 0) close(descriptor(listener_));
  if (lock_ >= 0) close(descriptor(lock_));
}

InstanceEndpoint::Claim InstanceEndpoint::claim() {
  if (name_.empty()) return Claim::unavailable;
  const int lock = open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (lock < 0) {
    problem_ = "cannot open " + lockPath_ + ": " + strerror(errno);
    return Claim::unavailable;
  }
  // The kernel releases the lock with the last descriptor, also of a killed process.
  if (flock(lock, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    close(lock);
    if (error == EWOULDBLOCK) return Claim::taken;
    problem_ = "cannot lock " + lockPath_ + ": " + strerror(error);
    return Claim::unavailable;
  }
  const int listener = listenAt(name_, &problem_);
  if (listener < 0) {
    close(lock);
    return Claim::unavailable;
  }
  lock_ = lock;
  listener_ = listener;
  return Claim::first;
}

std::unique_ptr<InstanceConnection> InstanceEndpoint::accept() {
  for (;;) {
    const int connection =
        accept4(descriptor(listener_), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (connection >= 0) {
      if (sameUser(connection)) return std::make_unique<InstanceConnection>(connection, false);
      close(connection);
    } else if (errno == EBADF || errno == EINVAL || errno == ENOTSOCK) {
      return nullptr;
    } else if (errno != EINTR && errno != ECONNABORTED) {
      // Out of descriptors or memory for a moment: try again a little later.
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
}

std::unique_ptr<InstanceConnection> InstanceEndpoint::connect() {
  if (name_.empty()) return nullptr;
  const int connection = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (connection < 0) return nullptr;
  const sockaddr_un address = socketAddress(name_);
  if (::connect(connection, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    close(connection);
    return nullptr;
  }
  return std::make_unique<InstanceConnection>(connection, false);
}
