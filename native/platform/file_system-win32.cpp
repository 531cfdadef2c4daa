#include "file_system.h"

#include <windows.h>

#include "wide_text-win32.h"

FileStamp statFile(const std::string& path) {
  FileStamp stamp;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(wideFromUtf8(path).c_str(), GetFileExInfoStandard, &data)) return stamp;
  stamp.exists = true;
  stamp.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  stamp.regular = !stamp.directory && !(data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE);
  stamp.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  stamp.modified = static_cast<int64_t>(
      (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
      data.ftLastWriteTime.dwLowDateTime);
  return stamp;
}

bool makeDirectories(const std::string& path, bool) {
  if (path.empty()) return false;
  if (statFile(path).directory) return true;
  const size_t slash = path.find_last_of("\\/");
  if (slash != std::string::npos && slash > 0) makeDirectories(path.substr(0, slash));
  return CreateDirectoryW(wideFromUtf8(path).c_str(), nullptr) != 0 || statFile(path).directory;
}

bool createNewFile(const std::string& path) {
  HANDLE file = CreateFileW(wideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool replaceFile(const std::string& from, const std::string& to) {
  return MoveFileExW(wideFromUtf8(from).c_str(), wideFromUtf8(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool removeFile(const std::string& path) {
  // The VM makes its archives read-only, which DeleteFileW refuses.
  const std::wstring name = wideFromUtf8(path);
  SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileW(name.c_str()) != 0;
}

std::vector<std::string> listDirectory(const std::string& path) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW(wideFromUtf8(path + "\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = utf8FromWide(entry.cFileName);
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return names;
}

int64_t modifiedSeconds(const FileStamp& stamp) {
  return stamp.modified / 10000000;  // 100-nanosecond ticks
}

namespace {

bool setWriteTime(const std::string& path, const FILETIME& time) {
  HANDLE file = CreateFileW(wideFromUtf8(path).c_str(), FILE_WRITE_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool done = SetFileTime(file, nullptr, nullptr, &time) != 0;
  CloseHandle(file);
  return done;
}

}  // namespace

bool touchFile(const std::string& path) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return setWriteTime(path, now);
}

bool setModifiedSeconds(const std::string& path, int64_t seconds) {
  const uint64_t ticks = static_cast<uint64_t>(seconds) * 10000000;
  FILETIME time;
  time.dwLowDateTime = static_cast<DWORD>(ticks);
  time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return setWriteTime(path, time);
}

int64_t secondsSinceModified(const FileStamp& stamp) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const int64_t ticks = static_cast<int64_t>((static_cast<uint64_t>(now.dwHighDateTime) << 32) |
                                             now.dwLowDateTime);
  return ticks / 10000000 - modifiedSeconds(stamp);
}

uint64_t freeDiskSpace(const std::string& path) {
  ULARGE_INTEGER available;
  if (!GetDiskFreeSpaceExW(wideFromUtf8(path).c_str(), &available, nullptr, nullptr))
    return UINT64_MAX;
  return available.QuadPart;
}

std::string untrustedReason(const std::string&) { return std::string(); }

std::string currentDirectory() {
  DWORD length = GetCurrentDirectoryW(0, nullptr);
  if (length == 0) return std::string();
  std::wstring path(length, L'\0');
  if (GetCurrentDirectoryW(length, &path[0]) == 0) return std::string();
  return utf8FromWide(path.c_str());
}

unsigned long currentProcessId() { return GetCurrentProcessId(); }
