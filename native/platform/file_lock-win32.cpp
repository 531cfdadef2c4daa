// File locks on Windows: a one-byte range lock, which the system releases
// when the handle closes or the process ends.
#include <windows.h>

#include "file_lock.h"
#include "wide_text-win32.h"

namespace {

HANDLE openShared(const std::string& path, DWORD disposition) {
  return CreateFileW(wideFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool lockNow(HANDLE file) {
  OVERLAPPED start = {};
  return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &start) !=
         0;
}

}  // namespace

bool FileLock::acquire(const std::string& path) {
  release();
  HANDLE file = openShared(path, OPEN_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) return false;
  if (!lockNow(file)) {
    CloseHandle(file);
    return false;
  }
  handle_ = reinterpret_cast<intptr_t>(file);
  return true;
}

void FileLock::release() {
  if (handle_ == invalid) return;
  CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = invalid;
}

bool isFileLocked(const std::string& path) {
  HANDLE file = openShared(path, OPEN_EXISTING);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool locked = !lockNow(file);
  CloseHandle(file);
  return locked;
}
