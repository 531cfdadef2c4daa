// The files of a startup cache folder, and the rules that keep it tidy.
//
// PREFIX is "startup-KEY" for the archives shipped in the app folder and
// "startup-TAG-KEY" in the per-user folder, where TAG names the app folder:
//   PREFIX-SUM.jsa                   a complete archive; SUM is its checksum
//   PREFIX.lock                      locked while the key is recorded or built
//   PREFIX.PID.classlist             the class list a launch records
//   PREFIX.PID.tmp                   the archive being built from it
//   PREFIX.failed                    building the key's archive failed
//   PREFIX-SUM.PID.start             locked while a launch starts its VM with that archive
//   PREFIX-SUM.rejected              the VM refused that archive or died with it
#pragma once

#include <cstdint>
#include <string>

/// "startup-KEY", or "startup-TAG-KEY" with a tag.
std::string cachePrefix(const std::string& tag, const std::string& key);

/// True when `name` is PREFIX-SUM.jsa with SUM 16 hex digits; then `sum`
/// holds SUM.
bool parseArchiveName(const std::string& name, const std::string& prefix, std::string* sum);

/// How long a mark of failure keeps a key or an archive from being tried again.
constexpr int64_t failureMemorySeconds = int64_t{24} * 3600;

/// True when `path` exists and is younger than failureMemorySeconds.
bool isRecentMark(const std::string& path);

/// True when a launch started its VM with the archive of `markerPrefix`
/// (PREFIX-SUM in `folder`) and ended before its main method ran: a start
/// marker that nobody holds. Removes such markers when `remove` is set.
bool diedBeforeMain(const std::string& folder, const std::string& markerPrefix, bool remove);

/// Removes the job files of `prefix` in `folder` left by other processes
/// (the caller holds the key's lock, so nobody is writing them).
void removeOtherJobs(const std::string& folder, const std::string& prefix);

/// Removes the files of `folder` that are provably stale: archives of this
/// app folder (`ownTag`) under other keys unused for an hour, and any unused
/// for 30 days; training data and unfinished archives whose key nobody
/// holds; old marks and error files. Never touches what is locked.
void tidyCacheFolder(const std::string& folder, const std::string& ownTag,
                     const std::string& keptPrefix);
