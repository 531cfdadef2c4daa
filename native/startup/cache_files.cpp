#include "cache_files.h"

#include <vector>

#include "file_lock.h"
#include "file_system.h"
#include "paths.h"

namespace {

constexpr int64_t hour = 3600;
constexpr int64_t month = hour * 24 * 30;
/// Older than this, an unheld job file is no run's: a build ends in minutes.
constexpr int64_t jobLifetime = 600;
/// Younger than this, an unheld start marker may be one just being made.
constexpr int64_t markerGrace = 5;

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool isHexDigits(const std::string& text) {
  return text.size() == 16 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

bool isArchive(const std::string& name) { return endsWith(name, ".jsa"); }

bool isJobFile(const std::string& name) {
  return endsWith(name, ".classlist") || endsWith(name, ".tmp");
}

int64_t ageOf(const std::string& path) { return secondsSinceModified(statFile(path)); }

std::string inFolder(const std::string& folder, const std::string& name) {
  return joinPath(folder, name);
}

/// The lock of a job file "PREFIX.PID.EXT": "PREFIX.lock".
std::string lockOfJob(const std::string& folder, const std::string& name) {
  return inFolder(folder, name.substr(0, name.find('.')) + ".lock");
}

/// Whether the file `name` of the folder is stale by the rules of its kind.
bool isStale(const std::string& folder, const std::string& name, const std::string& ownTag) {
  const std::string path = inFolder(folder, name);
  const int64_t age = ageOf(path);
  if (isArchive(name))
    return age > month || (startsWith(name, "startup-" + ownTag + "-") && age > hour);
  if (isJobFile(name)) return age > jobLifetime && !isFileLocked(lockOfJob(folder, name));
  if (endsWith(name, ".lock")) return age > month && !isFileLocked(path);
  if (endsWith(name, ".start")) return age > failureMemorySeconds && !isFileLocked(path);
  if (endsWith(name, ".failed") || endsWith(name, ".rejected")) return age > failureMemorySeconds;
  return startsWith(name, "hs_err_pid") && age > month;
}

}  // namespace

std::string cachePrefix(const std::string& tag, const std::string& key) {
  return "startup-" + (tag.empty() ? "" : tag + "-") + key;
}

bool parseArchiveName(const std::string& name, const std::string& prefix, std::string* sum) {
  const size_t start = prefix.size() + 1;
  if (name.size() != start + 16 + 4 || !startsWith(name, prefix + "-") || !isArchive(name))
    return false;
  *sum = name.substr(start, 16);
  return isHexDigits(*sum);
}

bool isRecentMark(const std::string& path) {
  const FileStamp stamp = statFile(path);
  return stamp.exists && secondsSinceModified(stamp) < failureMemorySeconds;
}

bool diedBeforeMain(const std::string& folder, const std::string& markerPrefix, bool remove) {
  bool died = false;
  for (const std::string& name : listDirectory(folder)) {
    if (!startsWith(name, markerPrefix + ".") || !endsWith(name, ".start")) continue;
    const std::string path = inFolder(folder, name);
    if (ageOf(path) < markerGrace || isFileLocked(path)) continue;
    died = true;
    if (remove) removeFile(path);
  }
  return died;
}

void removeOtherJobs(const std::string& folder, const std::string& prefix) {
  for (const std::string& name : listDirectory(folder))
    if (startsWith(name, prefix + ".") && isJobFile(name)) removeFile(inFolder(folder, name));
}

void tidyCacheFolder(const std::string& folder, const std::string& ownTag,
                     const std::string& keptPrefix) {
  for (const std::string& name : listDirectory(folder))
    if (!startsWith(name, keptPrefix) && isStale(folder, name, ownTag))
      removeFile(inFolder(folder, name));
}
