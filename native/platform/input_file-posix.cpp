#include "input_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

/// The error that refuses a file of type `mode`, or 0 for a regular file.
int refusalOf(mode_t mode) {
  if (S_ISREG(mode)) return 0;
  if (S_ISDIR(mode)) return EISDIR;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return ENODEV;
  return ESPIPE;  // FIFOs, sockets and whatever else a file system may hold
}

std::FILE* failWith(int descriptor, int error) {
  close(descriptor);
  errno = error;
  return nullptr;
}

}  // namespace

std::FILE* openInputFile(const char* path) {
  // Looked at before opening: opening a FIFO can wait for a writer, and
  // opening a device can act on the device.
  struct stat status;
  if (stat(path, &status) != 0) return nullptr;
  if (int error = refusalOf(status.st_mode)) {
    errno = error;
    return nullptr;
  }
  // Looked at again once open, in case the path now names another file;
  // O_NONBLOCK keeps a FIFO put there in the meantime from blocking open().
  const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  if (fstat(descriptor, &status) != 0) return failWith(descriptor, errno);
  if (int error = refusalOf(status.st_mode)) return failWith(descriptor, error);
  const int flags = fcntl(descriptor, F_GETFL);
  if (flags < 0 || fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) < 0)
    return failWith(descriptor, errno);
  std::FILE* file = fdopen(descriptor, "rb");
  return file ? file : failWith(descriptor, errno);
}
