#include "input_file.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

/// How long a FIFO without a writer is given for one to come.
const int writerGraceMilliseconds = 2000;

/// Waits until a writer has written or left, or the grace time is over. A
/// writer that is already waiting in its own open() counts from the start.
void awaitWriter(int descriptor) {
  pollfd entry = {descriptor, POLLIN, 0};
  while (poll(&entry, 1, writerGraceMilliseconds) < 0 && errno == EINTR) {
  }
}

std::FILE* failWith(int descriptor) {
  const int error = errno;
  close(descriptor);
  errno = error;
  return nullptr;
}

}  // namespace

std::FILE* openInputFile(const char* path) {
  // Opened without O_NONBLOCK, a FIFO blocks open() until some process
  // opens it for writing, which may never happen. Once open, a read
  // returns end of file at once while no writer has it open.
  const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  struct stat status;
  if (fstat(descriptor, &status) != 0) return failWith(descriptor);
  if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode)) {
    errno = ENODEV;
    return failWith(descriptor);
  }
  if (S_ISFIFO(status.st_mode)) awaitWriter(descriptor);
  const int flags = fcntl(descriptor, F_GETFL);
  if (flags < 0 || fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) < 0)
    return failWith(descriptor);
  std::FILE* file = fdopen(descriptor, "rb");
  return file ? file : failWith(descriptor);
}
