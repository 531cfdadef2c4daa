// Walking a folder to copy it with its symbolic links resolved: a link to a
// file is that file, wherever it leads; a link to a folder is that folder
// when it lies inside the walked tree and does not hold the link; other
// links are left out with a warning. The copy holds no links at all, so it
// travels in zip archives and installers and onto Windows unchanged.
#pragma once

#include <filesystem>
#include <string>

/// What a walk hands over, in a stable order (names sorted).
class TreeVisitor {
 public:
  virtual ~TreeVisitor() = default;
  /// A folder of the copy (with '/'), before what it holds.
  virtual void folder(const std::filesystem::path& source, const std::string& target) = 0;
  /// A file (`source` as reached, perhaps through links) for `target`.
  virtual bool file(const std::filesystem::path& source, const std::string& target,
                    std::string* error) = 0;
  /// Something left out, and why.
  virtual void warn(const std::string& message) = 0;
  /// The link `link` to the folder `resolved` outside the tree, left out;
  /// it would have been `target`.
  virtual void leftOutFolder(const std::filesystem::path& link, const std::string& resolved,
                             const std::string& target);
};

/// Walks `folder` as the copy's `target` ("lib", "jre/..."), leaving out
/// the folder whose resolved path is `skip` (the output, when it lies
/// inside). False with the reason when a folder cannot be read or the
/// visitor refuses a file.
bool walkTree(const std::filesystem::path& folder, const std::string& target,
              const std::string& skip, TreeVisitor& visitor, std::string* error);

/// The path with every link resolved; empty when it names nothing.
std::string resolvedPath(const std::filesystem::path& path);
