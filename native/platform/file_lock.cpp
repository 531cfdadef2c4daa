#include "file_lock.h"

#include <utility>

FileLock::FileLock(FileLock&& other) noexcept : handle_(std::exchange(other.handle_, invalid)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    release();
    handle_ = std::exchange(other.handle_, invalid);
  }
  return *this;
}
