#include "tree_walk.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "file_util.h"

namespace fs = std::filesystem;

namespace {

bool isInside(const std::string& path, const std::string& folder) {
  if (path.compare(0, folder.size(), folder) != 0) return false;
  return path.size() == folder.size() || path[folder.size()] == '/' || path[folder.size()] == '\\';
}

class Walk {
 public:
  Walk(const std::string& root, const std::string& skip, TreeVisitor& visitor)
      : root_(root), skip_(skip), visitor_(visitor) {}

  bool folder(const fs::path& folder, const std::string& target, std::string* error) {
    const std::string resolved = resolvedPath(folder);
    if (resolved == skip_) return true;
    visitor_.folder(folder, target);
    chain_.push_back(resolved);
    std::vector<fs::path> entries;
    std::error_code code;
    for (fs::directory_iterator it(folder, code), end; !code && it != end; it.increment(code))
      entries.push_back(it->path());
    if (code) {
      *error = "cannot read the folder " + textOf(folder) + ": " + code.message();
      return false;
    }
    std::sort(entries.begin(), entries.end());
    for (const fs::path& entry : entries)
      if (!this->entry(entry, target + "/" + textOf(entry.filename()), error)) return false;
    chain_.pop_back();
    return true;
  }

 private:
  bool entry(const fs::path& entry, const std::string& target, std::string* error) {
    std::error_code code;
    const bool link = fs::is_symlink(fs::symlink_status(entry, code));
    const fs::file_status status = fs::status(entry, code);
    if (code || !fs::exists(status)) {
      visitor_.warn("left out " + textOf(entry) + ": a link to nothing");
      return true;
    }
    if (fs::is_regular_file(status)) return visitor_.file(entry, target, error);
    if (!fs::is_directory(status)) {
      visitor_.warn("left out " + textOf(entry) + ": not a file or folder");
      return true;
    }
    const std::string resolved = resolvedPath(entry);
    if (link && !isInside(resolved, root_)) {
      visitor_.leftOutFolder(entry, resolved, target);
      return true;
    }
    if (std::find(chain_.begin(), chain_.end(), resolved) != chain_.end()) {
      visitor_.warn("left out " + textOf(entry) + ": a link to a folder that holds it");
      return true;
    }
    return folder(entry, target, error);
  }

  std::string root_, skip_;
  TreeVisitor& visitor_;
  std::vector<std::string> chain_;  ///< the resolved folders from the root down
};

}  // namespace

void TreeVisitor::leftOutFolder(const fs::path& link, const std::string& resolved,
                                const std::string&) {
  warn("left out " + textOf(link) + ": it links to the folder " + resolved + ", outside");
}

std::string resolvedPath(const fs::path& path) {
  std::error_code code;
  fs::path canonical = fs::canonical(path, code);
  return code ? std::string() : textOf(canonical);
}

bool walkTree(const fs::path& folder, const std::string& target, const std::string& skip,
              TreeVisitor& visitor, std::string* error) {
  return Walk(resolvedPath(folder), skip, visitor).folder(folder, target, error);
}
