// Exclusive file locks that the system releases when their holder ends,
// however it ends: what tells a file being written from a file left behind.
#pragma once

#include <cstdint>
#include <string>

/// An advisory lock on one file: it keeps out only others that ask for it,
/// reading and writing the file stay possible. Released on destruction.
class FileLock {
 public:
  FileLock() = default;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&& other) noexcept;
  ~FileLock() { release(); }

  /// Creates `path` if it is missing and takes its lock without waiting;
  /// false when someone else holds it or the file cannot be opened.
  bool acquire(const std::string& path);
  void release();
  bool held() const { return handle_ != invalid; }

 private:
  static constexpr intptr_t invalid = -1;
  intptr_t handle_ = invalid;  ///< a file descriptor or a HANDLE
};

/// Whether someone holds the lock of the existing file `path` right now.
bool isFileLocked(const std::string& path);
