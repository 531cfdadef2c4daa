#include "paths.h"

bool isPathSeparator(char c) {
#ifdef _WIN32
  if (c == '\\') return true;
#endif
  return c == '/';
}

bool isAbsolutePath(std::string_view path) {
#ifdef _WIN32
  if (path.size() >= 2 && (path[0] == '\\' || path[0] == '/')) return true;
  return path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
#else
  return !path.empty() && path[0] == '/';
#endif
}

std::string joinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && !isPathSeparator(path.back())) path += pathSeparator;
  return path.append(name);
}

size_t folderLength(std::string_view path) {
  for (size_t i = path.size(); i > 0; --i)
    if (isPathSeparator(path[i - 1])) return i;
  return 0;
}

std::string asFolder(std::string directory) {
  if (!directory.empty() && !isPathSeparator(directory.back())) directory += '/';
  return directory;
}

std::string resolvePath(const std::string& directory, const std::string& path) {
  bool absolute = !path.empty() && path[0] == '/';
#ifdef _WIN32
  absolute = absolute || (!path.empty() && path[0] == '\\') ||
             (path.size() >= 2 && path[1] == ':');
#endif
  return absolute ? path : directory + path;
}

std::string withSystemSeparators(std::string path) {
  for (char& c : path)
    if (c == '/') c = pathSeparator;
  return path;
}

size_t programPathSplit(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash != std::string_view::npos ? slash : path.rfind('\\');
}
