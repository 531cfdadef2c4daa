#include "startup_cache.h"

#include <cstdint>
#include <cstdio>

#include "file_system.h"
#include "paths.h"
#include "runtime_layout.h"
#include "whole_file.h"

namespace {

// ---- the key ---------------------------------------------------------------

/// FNV-1a over the fields, each ended by a NUL byte so that no two lists of
/// fields hash the same text.
class KeyHash {
 public:
  void add(const std::string& field) {
    for (char c : field) step(static_cast<unsigned char>(c));
    step(0);
  }
  void add(uint64_t number) { add(std::to_string(number)); }
  void addStamp(const FileStamp& stamp) {
    add(stamp.exists ? stamp.size : UINT64_MAX);
    add(static_cast<uint64_t>(stamp.modified));
  }
  std::string hex() const {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value_));
    return text;
  }

 private:
  void step(unsigned char byte) {
    value_ ^= byte;
    value_ *= 0x100000001b3ULL;
  }
  uint64_t value_ = 0xcbf29ce484222325ULL;
};

std::string resolve(const StartupCacheRequest& request, const std::string& path) {
  return isAbsolutePath(path) ? path : joinPath(request.workingDirectory, path);
}

std::string inHome(const StartupCacheRequest& request, const char* file) {
  return inRuntime(resolve(request, request.runtimeHome), file);
}

std::string computeKey(const StartupCacheRequest& request, const std::string& release,
                       CacheMechanism mechanism) {
  KeyHash hash;
  hash.add(static_cast<uint64_t>(mechanism));
  hash.add(release);
  hash.addStamp(statFile(inHome(request, runtimeLibraryIn(hostOs))));
  hash.add(request.workingDirectory);
  hash.add(request.classPath.size());
  for (const std::string& entry : request.classPath) {
    hash.add(entry);
    hash.addStamp(statFile(resolve(request, entry)));
  }
  hash.add(request.vmArgs.size());
  for (const std::string& option : request.vmArgs) hash.add(option);
  return hash.hex();
}

// ---- file names --------------------------------------------------------------
// A complete file is "startup-KEY-SIZE.EXT": a file whose size differs from
// its name was cut short or changed, and some VMs crash on such a file.
// A recording is "startup-KEY.PID.tmp" until its run ends.

const char* extensionOf(CacheMechanism mechanism) {
  return mechanism == CacheMechanism::AotCache ? ".aot" : ".jsa";
}

std::string inFolder(const StartupCacheRequest& request, const std::string& name) {
  return joinPath(request.cacheDirectory, name);
}

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

/// The names in the folder of complete files under `key`.
std::vector<std::string> completeFiles(const StartupCacheRequest& request,
                                       const std::string& key, CacheMechanism mechanism) {
  std::vector<std::string> found;
  const std::string prefix = "startup-" + key + "-";
  for (const std::string& name : listDirectory(request.cacheDirectory))
    if (startsWith(name, prefix) && endsWith(name, extensionOf(mechanism)))
      found.push_back(name);
  return found;
}

/// True when the file's size is the one its name records.
bool holdsRecordedSize(const std::string& path, const std::string& name,
                       const std::string& key) {
  const size_t start = std::string("startup-").size() + key.size() + 1;
  const std::string digits = name.substr(start, name.size() - start - 4);
  const FileStamp stamp = statFile(path);
  return !digits.empty() && stamp.exists && !stamp.directory &&
         digits.find_first_not_of("0123456789") == std::string::npos &&
         std::to_string(stamp.size) == digits;
}

// ---- VM options --------------------------------------------------------------

/// Keeps the VM quiet about a cache it cannot use: it then runs without.
void addQuietLogging(StartupCachePlan& plan) {
  if (plan.mechanism == CacheMechanism::AotCache) plan.vmOptions.push_back("-Xlog:aot*=off");
  plan.vmOptions.push_back("-Xlog:cds*=off");
}

void useFile(StartupCachePlan& plan, const std::string& path) {
  plan.file = path;
  plan.message = "Using startup cache " + path;
  if (plan.mechanism == CacheMechanism::AotCache)
    plan.vmOptions.push_back("-XX:AOTCache=" + path);
  else
    plan.vmOptions.push_back("-XX:SharedArchiveFile=" + path);
  addQuietLogging(plan);
}

void recordFile(StartupCachePlan& plan, const std::string& path) {
  plan.recording = path;
  plan.message = "Recording startup cache " + path;
  if (plan.mechanism == CacheMechanism::AotCache) {
    plan.vmOptions.push_back("-XX:AOTCacheOutput=" + path);
  } else if (plan.mechanism == CacheMechanism::AutoArchive) {
    plan.vmOptions.push_back("-XX:+AutoCreateSharedArchive");
    plan.vmOptions.push_back("-XX:SharedArchiveFile=" + path);
  } else {
    plan.vmOptions.push_back("-XX:ArchiveClassesAtExit=" + path);
  }
  addQuietLogging(plan);
}

StartupCachePlan refuse(StartupCachePlan plan, const std::string& reason) {
  plan.message = "No startup cache: " + reason;
  plan.vmOptions.clear();
  return plan;
}

/// The first VM option that sets class sharing itself (-Xshare:off, an
/// archive or AOT cache of its own), or empty. With one, the VM could not
/// record or would refuse to start.
std::string sharingOption(const std::vector<std::string>& vmArgs) {
  static const char* const prefixes[] = {
      "-Xshare:",         "-XX:SharedArchiveFile",   "-XX:ArchiveClassesAtExit",
      "-XX:+AutoCreateSharedArchive", "-XX:SharedClassListFile", "-XX:AOT",
      "-XX:-UseSharedSpaces"};
  for (const std::string& option : vmArgs)
    for (const char* prefix : prefixes)
      if (startsWith(option, prefix)) return option;
  return std::string();
}

/// Why the request cannot have a cache, or empty; sets mechanism and key.
std::string decide(const StartupCacheRequest& request, StartupCachePlan& plan) {
  std::string release;
  std::string error;
  const std::string releasePath = inHome(request, "release");
  if (!readWholeFile(releasePath, &release, &error)) return "cannot read " + releasePath;
  const int version = javaFeatureVersion(release);
  plan.mechanism = cacheMechanismFor(version);
  if (plan.mechanism == CacheMechanism::None)
    return version == 0 ? "no JAVA_VERSION in " + releasePath
                        : "Java " + std::to_string(version) + " cannot record one (13 or later can)";
  if (plan.mechanism != CacheMechanism::AotCache &&
      !statFile(inHome(request, baseArchiveIn(hostOs))).exists)
    return "the runtime has no class archive of its own (" +
           withSystemSeparators(baseArchiveIn(hostOs)) +
           ") to build on";
  const std::string own = sharingOption(request.vmArgs);
  if (!own.empty()) return "the VM option " + own + " sets class sharing itself";
  for (const std::string& entry : request.classPath)
    if (statFile(resolve(request, entry)).directory)
      return "class path entry " + entry + " is a folder, whose classes cannot be archived";
  if (request.cacheDirectory.empty()) return "the user's cache folder is unknown";
  plan.key = computeKey(request, release, plan.mechanism);
  return std::string();
}

/// A complete file under the plan's key with the size its name records.
std::string findComplete(const StartupCacheRequest& request, const StartupCachePlan& plan,
                         bool removeDamaged) {
  for (const std::string& name : completeFiles(request, plan.key, plan.mechanism)) {
    std::string path = inFolder(request, name);
    if (holdsRecordedSize(path, name, plan.key)) return path;
    if (removeDamaged) removeFile(path);
  }
  return std::string();
}

std::string recordingName(const StartupCachePlan& plan, unsigned long processId) {
  return "startup-" + plan.key + "." + std::to_string(processId) + ".tmp";
}

}  // namespace

CacheMechanism cacheMechanismFor(int featureVersion) {
  if (featureVersion >= 25) return CacheMechanism::AotCache;
  if (featureVersion >= 19) return CacheMechanism::AutoArchive;
  if (featureVersion >= 13) return CacheMechanism::DynamicArchive;
  return CacheMechanism::None;
}

const char* describeMechanism(CacheMechanism mechanism) {
  switch (mechanism) {
    case CacheMechanism::AotCache:
      return "AOT cache (-XX:AOTCache)";
    case CacheMechanism::AutoArchive:
      return "dynamic class archive (-XX:+AutoCreateSharedArchive)";
    case CacheMechanism::DynamicArchive:
      return "dynamic class archive (-XX:ArchiveClassesAtExit)";
    case CacheMechanism::None:
      break;
  }
  return "none";
}

StartupCachePlan inspectStartupCache(const StartupCacheRequest& request) {
  StartupCachePlan plan;
  const std::string reason = decide(request, plan);
  if (!reason.empty()) return refuse(plan, reason);
  const std::string complete = findComplete(request, plan, false);
  if (!complete.empty()) {
    useFile(plan, complete);
  } else {
    plan.message = "Recording startup cache at the next launch, in " + request.cacheDirectory;
  }
  return plan;
}

StartupCachePlan prepareStartupCache(const StartupCacheRequest& request) {
  StartupCachePlan plan;
  const std::string reason = decide(request, plan);
  if (!reason.empty()) return refuse(plan, reason);
  const std::string complete = findComplete(request, plan, true);
  if (!complete.empty()) {
    useFile(plan, complete);
    return plan;
  }
  const std::string recording = inFolder(request, recordingName(plan, currentProcessId()));
  // The VM stops a run whose archive it cannot create, so the folder is tried first.
  if (!makeDirectories(request.cacheDirectory) ||
      (!createNewFile(recording) && !statFile(recording).exists))
    return refuse(plan, "cannot write to " + request.cacheDirectory);
  recordFile(plan, recording);
  return plan;
}

std::string completeStartupCache(const StartupCachePlan& plan) {
  if (plan.recording.empty()) return std::string();
  const FileStamp stamp = statFile(plan.recording);
  const size_t cut = plan.recording.rfind("startup-");
  if (!stamp.exists || stamp.size == 0 || cut == std::string::npos) {
    removeFile(plan.recording);
    return std::string();
  }
  const std::string folder = plan.recording.substr(0, cut);
  const std::string name = "startup-" + plan.key + "-" + std::to_string(stamp.size) +
                           extensionOf(plan.mechanism);
  if (!replaceFile(plan.recording, folder + name)) return std::string();
  for (const std::string& other : listDirectory(folder.substr(0, folder.size() - 1)))
    if (startsWith(other, "startup-") && other != name) removeFile(folder + other);
  return folder + name;
}
