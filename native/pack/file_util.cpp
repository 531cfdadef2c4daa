// Files and folders for vantrel-pack, on std::filesystem.
#include "file_util.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

fs::path pathOf(const std::string& utf8) { return fs::u8path(utf8); }

std::string textOf(const fs::path& path) {
  fs::path shown = path;
  return shown.make_preferred().u8string();
}

bool writeWholeFile(const std::string& path, const std::string& data, std::string* error) {
  std::ofstream out(pathOf(path), std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  out.close();
  if (!out) *error = "cannot write " + path;
  return static_cast<bool>(out);
}

bool copyOneFile(const std::string& from, const std::string& to, std::string* error) {
  std::error_code code;
  fs::copy_file(pathOf(from), pathOf(to), fs::copy_options::overwrite_existing, code);
  if (code) *error = "cannot copy " + from + " to " + to + ": " + code.message();
  return !code;
}

bool copyFolder(const std::string& from, const std::string& to, std::string* error) {
  std::error_code code;
  fs::copy(pathOf(from), pathOf(to), fs::copy_options::recursive, code);
  if (code) *error = "cannot copy " + from + " to " + to + ": " + code.message();
  return !code;
}

unsigned long long folderSize(const std::string& folder) {
  unsigned long long total = 0;
  std::error_code code;
  for (fs::recursive_directory_iterator it(pathOf(folder), code), end; !code && it != end;
       it.increment(code))
    if (it->is_regular_file(code) && !it->is_symlink(code)) total += it->file_size(code);
  return total;
}

std::vector<std::string> filesEndingIn(const std::string& folder, const std::string& suffix) {
  std::vector<std::string> names;
  std::error_code code;
  for (fs::directory_iterator it(pathOf(folder), code), end; !code && it != end;
       it.increment(code)) {
    std::string name = textOf(it->path().filename());
    if (it->is_regular_file(code) && name.size() > suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
      names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}
