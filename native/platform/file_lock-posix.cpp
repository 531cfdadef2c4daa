// File locks on POSIX: flock, which belongs to the open file and so also
// keeps out other opens of the same file within this process.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "file_lock.h"

bool FileLock::acquire(const std::string& path) {
  release();
  const int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (descriptor < 0) return false;
  if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
    close(descriptor);
    return false;
  }
  handle_ = descriptor;
  return true;
}

void FileLock::release() {
  if (handle_ == invalid) return;
  close(static_cast<int>(handle_));
  handle_ = invalid;
}

bool isFileLocked(const std::string& path) {
  const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (descriptor < 0) return false;
  const bool locked = flock(descriptor, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  close(descriptor);
  return locked;
}
