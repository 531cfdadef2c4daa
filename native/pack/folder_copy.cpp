#include "folder_copy.h"

#include <chrono>
#include <cstdio>
#include <system_error>

#include "file_util.h"

namespace fs = std::filesystem;

namespace {

/// From this many files on, the copy says how far it got.
constexpr size_t largeTree = 1000;
constexpr auto progressInterval = std::chrono::seconds(3);

}  // namespace

std::string sizeText(unsigned long long bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  return text;
}

bool copyFiles(const CopyList& list, const std::string& destination, const std::string& what,
               std::ostream& progress, bool (*stop)(), std::string* error) {
  progress << "Copying " << what << " (" << list.files.size()
           << (list.files.size() == 1 ? " file, " : " files, ") << sizeText(list.bytes) << ") ..."
           << std::endl;
  std::error_code code;
  for (const std::string& folder : list.folders) {
    fs::create_directories(pathOf(destination) / pathOf(folder), code);
    if (code) {
      *error =
          "cannot make " + textOf(pathOf(destination) / pathOf(folder)) + ": " + code.message();
      return false;
    }
  }
  auto reported = std::chrono::steady_clock::now();
  uint64_t copied = 0;
  for (size_t i = 0; i < list.files.size(); ++i) {
    if (stop && stop()) return false;
    const PlannedFile& file = list.files[i];
    if (!copyOneFile(file.source, textOf(pathOf(destination) / pathOf(file.target)), error))
      return false;
    copied += fs::file_size(pathOf(file.source), code);
    auto now = std::chrono::steady_clock::now();
    if (list.files.size() >= largeTree && now - reported >= progressInterval) {
      progress << "  " << i + 1 << " of " << list.files.size() << " files, " << sizeText(copied)
               << std::endl;
      reported = now;
    }
  }
  return true;
}
