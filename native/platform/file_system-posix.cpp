#include "file_system.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
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

bool makeDirectories(const std::string& path) {
  if (path.empty()) return false;
  if (statFile(path).directory) return true;
  const size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0) makeDirectories(path.substr(0, slash));
  // A folder of the user's own: others need not see what the apps cache.
  return mkdir(path.c_str(), 0700) == 0 || (errno == EEXIST && statFile(path).directory);
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

std::string currentDirectory() {
  char* path = getcwd(nullptr, 0);
  if (!path) return std::string();
  std::string result = path;
  free(path);
  return result;
}

unsigned long currentProcessId() { return static_cast<unsigned long>(getpid()); }
