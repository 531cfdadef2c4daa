#include "file_system.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

FileStamp statFile(const std::string& path) {
  FileStamp stamp;
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return stamp;
  stamp.exists = true;
  stamp.directory = S_ISDIR(status.st_mode);
  stamp.regular = S_ISREG(status.st_mode);
  stamp.size = static_cast<uint64_t>(status.st_size);
  stamp.modified = static_cast<int64_t>(status.st_mtim.tv_sec) * 1000000000 +
                   status.st_mtim.tv_nsec;
  return stamp;
}

bool makeDirectories(const std::string& path, bool ownerOnly) {
  if (path.empty()) return false;
  if (statFile(path).directory) return true;
  const size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0) makeDirectories(path.substr(0, slash), ownerOnly);
  return mkdir(path.c_str(), ownerOnly ? 0700 : 0755) == 0 ||
         (errno == EEXIST && statFile(path).directory);
}

bool createNewFile(const std::string& path) {
  int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (descriptor < 0) return false;
  close(descriptor);
  return true;
}

bool replaceFile(const std::string& from, const std::string& to) {
  return rename(from.c_str(), to.c_str()) == 0;
}

bool removeFile(const std::string& path) { return unlink(path.c_str()) == 0; }

std::vector<std::string> listDirectory(const std::string& path) {
  std::vector<std::string> names;
  DIR* directory = opendir(path.c_str());
  if (!directory) return names;
  while (const dirent* entry = readdir(directory)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(directory);
  return names;
}

int64_t modifiedSeconds(const FileStamp& stamp) { return stamp.modified / 1000000000; }

bool touchFile(const std::string& path) {
  return utimensat(AT_FDCWD, path.c_str(), nullptr, 0) == 0;
}

bool setModifiedSeconds(const std::string& path, int64_t seconds) {
  const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), 0}};
  return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

int64_t secondsSinceModified(const FileStamp& stamp) {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<int64_t>(now.tv_sec) - modifiedSeconds(stamp);
}

uint64_t freeDiskSpace(const std::string& path) {
  struct statvfs status;
  if (statvfs(path.c_str(), &status) != 0) return UINT64_MAX;
  return static_cast<uint64_t>(status.f_bavail) * status.f_frsize;
}

std::string untrustedReason(const std::string& path) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return std::string();
  if (status.st_uid != getuid() && status.st_uid != 0)
    return "it is owned by user " + std::to_string(status.st_uid);
  if (status.st_mode & (S_IWGRP | S_IWOTH)) return "it is writable by group or others";
  return std::string();
}

std::string currentDirectory() {
  char* path = getcwd(nullptr, 0);
  if (!path) return std::string();
  std::string result = path;
  free(path);
  return result;
}

unsigned long currentProcessId() { return static_cast<unsigned long>(getpid()); }
