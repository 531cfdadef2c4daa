// Copying the files an app folder receives, with a progress line for large
// trees and a stop between files.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

/// A file the app folder receives.
struct PlannedFile {
  std::string source;  ///< the file as reached, perhaps through links
  std::string target;  ///< inside the app folder, with '/'
};

/// A set of folders and files to copy.
struct CopyList {
  std::vector<std::string> folders;  ///< to make, parents first, with '/'
  std::vector<PlannedFile> files;
  uint64_t bytes = 0;                ///< of the files
};

/// Makes the folders and copies the files (their contents, permissions
/// kept) into `destination`. Says "Copying WHAT (N files, SIZE) ..." and,
/// for a thousand files or more, how far it got every few seconds. Asks
/// `stop` between files: true ends the copy (false, `error` left empty).
bool copyFiles(const CopyList& list, const std::string& destination, const std::string& what,
               std::ostream& progress, bool (*stop)(), std::string* error);

/// "12.3 MiB".
std::string sizeText(unsigned long long bytes);
