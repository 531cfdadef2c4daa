// Where one user's launches of one app meet: a lock that exactly one
// process holds, the endpoint that process listens on, and the connections
// of later launches to it. A Unix domain socket in a folder only the user
// can enter, with the peer's user checked, on POSIX (instance_channel-posix.cpp);
// a named pipe that admits only the user on Windows (instance_channel-win32.cpp).
// Nothing of it outlives the process that holds the lock.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

using Deadline = std::chrono::steady_clock::time_point;

/// One connection between a later launch and the running instance.
class InstanceConnection {
 public:
  /// `handle`: a socket (POSIX) or pipe (Windows) handle; `listening`: the
  /// running instance's end of its one pipe instance (Windows), which is
  /// disconnected instead of closed.
  InstanceConnection(intptr_t handle, bool listening);
  ~InstanceConnection();
  InstanceConnection(const InstanceConnection&) = delete;
  InstanceConnection& operator=(const InstanceConnection&) = delete;

  /// Writes all of `bytes`; false on failure or when the deadline passes.
  bool write(const std::string& bytes, Deadline deadline);

  /// Reads what arrives, up to `size` bytes: the count, 0 at the end of the
  /// stream, -1 on failure or when the deadline passes first.
  long read(char* buffer, size_t size, Deadline deadline);

  /// The process at the other end; 0 when unknown.
  unsigned long peerProcess() const;

 private:
  intptr_t handle_;
  [[maybe_unused]] bool listening_;       ///< used on Windows only
  [[maybe_unused]] intptr_t event_ = 0;  ///< Windows: signals the end of overlapped reads and writes
};

class InstanceEndpoint {
 public:
  enum class Claim {
    first,       ///< this process holds the lock and listens
    taken,       ///< another process holds the lock
    unavailable  ///< there is no safe place to meet; see problem()
  };

  /// The meeting point of the current user's launches of the app in the
  /// folder `appDirectory` (absolute).
  explicit InstanceEndpoint(const std::string& appDirectory);
  ~InstanceEndpoint();
  InstanceEndpoint(const InstanceEndpoint&) = delete;
  InstanceEndpoint& operator=(const InstanceEndpoint&) = delete;

  /// Tries to become the app's one instance: takes the lock, and when it
  /// had it, listens. Exactly one of any number of processes trying at once
  /// gets `first`; a process that ended, even killed, leaves nothing behind
  /// that keeps the next one from getting it.
  Claim claim();

  /// Waits for the next later launch to connect (after `first`); null on
  /// failure. A peer of another user is never handed out.
  std::unique_ptr<InstanceConnection> accept();

  /// Connects to the running instance; null when none listens (not yet, or
  /// no longer).
  std::unique_ptr<InstanceConnection> connect();

  /// Why the claim was `unavailable`.
  const std::string& problem() const { return problem_; }

 private:
  std::string name_;     ///< the socket's path, or the pipe's name
  std::string lockPath_;  ///< POSIX: the lock file
  intptr_t lock_ = -1;   ///< POSIX: the lock file; Windows: the pipe instance
  intptr_t listener_ = -1;
  std::string problem_;
};

/// 64-bit FNV-1a of `text`: names the app's meeting point after its folder.
uint64_t instanceHash(const std::string& text);
