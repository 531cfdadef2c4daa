#include "startup_cache.h"

#include <cstdint>

#include "cache_files.h"
#include "cache_key.h"
#include "cache_options.h"
#include "checksum.h"
#include "child_process.h"
#include "file_system.h"
#include "paths.h"
#include "platform.h"
#include "runtime_layout.h"
#include "whole_file.h"

namespace {

/// Below this much free space a recording is not started: the archive of a
/// desktop app takes 20 to 40 MB, its training data and the build as much.
constexpr uint64_t minimumFreeBytes = 128ull << 20;
/// An archive in use gets a new modification time at most this often: the
/// clean-up tells unused archives by it.
constexpr int64_t touchInterval = 300;

std::string inFolder(const std::string& folder, const std::string& name) {
  return joinPath(folder, name);
}

std::string resolve(const StartupCacheRequest& request, const std::string& path) {
  return isAbsolutePath(path) ? path : joinPath(request.workingDirectory, path);
}

/// What every decision starts from.
struct Facts {
  int version = 0;
  std::string runtimeHome;  ///< absolute
  std::string userFolder;   ///< the per-user folder when it may be used, else empty
  std::string tag;          ///< names the app folder's files in it
};

// ---- the plan's options -----------------------------------------------------------

std::string errorFileOf(const Facts& facts) {
  // A VM that dies leaves its error report with the cache, not in the app folder.
  return facts.userFolder.empty() ? std::string() : inFolder(facts.userFolder, "hs_err_pid%p.log");
}

void useArchive(StartupCachePlan& plan, const Facts& facts, const std::string& path) {
  plan.file = path;
  plan.message = "Using startup cache " + path;
  plan.vmOptions = archiveOptions(path, facts.version, errorFileOf(facts));
}

void recordInto(StartupCachePlan& plan, const Facts& facts, const std::string& input) {
  plan.recording = input;
  plan.message = "Recording startup cache " + input;
  plan.vmOptions = recordingOptions(input, facts.version, errorFileOf(facts));
}

void refuse(StartupCachePlan& plan, const std::string& reason) {
  plan.message = "No startup cache: " + reason;
  plan.vmOptions.clear();
  plan.file.clear();
  plan.recording.clear();
  plan.job = CacheJob();
  plan.keyLock.release();
}

// ---- the decision ---------------------------------------------------------------

std::vector<std::string> environmentOptions() {
  std::vector<std::string> options;
  for (const char* name : {"JAVA_TOOL_OPTIONS", "_JAVA_OPTIONS"}) {
    std::string value;
    options.push_back(environmentValue(name, &value) ? value : "-");
  }
  return options;
}

/// Why the request cannot have a cache, or empty; fills `facts` and the key.
std::string decide(const StartupCacheRequest& request, Facts& facts, StartupCachePlan& plan) {
  facts.runtimeHome = resolve(request, request.runtimeHome);
  CacheKeyInputs key;
  const std::string releasePath = inFolder(facts.runtimeHome, "release");
  std::string error;
  if (!readWholeFile(releasePath, &key.releaseText, &error))
    return "cannot read " + releasePath + ": " + error;
  facts.version = javaFeatureVersion(key.releaseText);
  plan.route = cacheRouteFor(facts.version);
  if (plan.route == CacheRoute::None)
    return facts.version == 0
               ? "no JAVA_VERSION in " + releasePath
               : "Java " + std::to_string(facts.version) + " cannot record one (10 or later can)";
  const std::string own = sharingOption(request.vmArgs);
  if (!own.empty()) return "the VM option " + own + " sets class sharing itself";
  for (const std::string& entry : request.classPath)
    if (statFile(resolve(request, entry)).directory)
      return "class path entry " + entry + " is a folder, whose classes cannot be archived";
  key.appDirectory = request.appDirectory;
  key.workingDirectory = request.workingDirectory;
  key.runtimeHome = facts.runtimeHome;
  key.mainClass = request.mainClass;
  key.classPath = request.classPath;
  key.vmArgs = request.vmArgs;
  key.environmentOptions = environmentOptions();
  plan.key = portableKey(key);
  facts.tag = folderTag(request.appDirectory);
  return std::string();
}

/// The per-user folder, unless it is missing or belongs to someone else.
std::string usableUserFolder(const StartupCacheRequest& request, StartupCachePlan& plan) {
  const std::string& folder = request.cacheDirectory;
  if (folder.empty()) return folder;
  const std::string reason = untrustedReason(folder);
  if (reason.empty()) return folder;
  plan.warning = "ignoring startup cache folder " + folder + ": " + reason;
  return std::string();
}

// ---- archives that are there ------------------------------------------------------

/// Whether `path` holds the bytes its name's checksum says.
bool isIntact(const std::string& path, const std::string& sum) {
  uint64_t actual = 0;
  return checksumFile(path, &actual) && hexDigits(actual) == sum;
}

/// Takes an archive found intact and not known to fail; holds its start marker.
void take(StartupCachePlan& plan, const Facts& facts, const std::string& path,
          const std::string& markerName, bool shipped, bool change) {
  useArchive(plan, facts, path);
  plan.shipped = shipped;
  if (facts.userFolder.empty()) return;
  // What marks the archive as one not to use again: a shipped one is passed
  // over by this app folder; for a per-user one, whose recording went well,
  // the key is not recorded again for a while.
  plan.rejectedMarker =
      inFolder(facts.userFolder,
               shipped ? markerName + ".rejected" : cachePrefix(facts.tag, plan.key) + ".failed");
  if (!change) return;
  if (!shipped && secondsSinceModified(statFile(path)) > touchInterval) touchFile(path);
  plan.startMarker =
      inFolder(facts.userFolder, markerName + "." + std::to_string(currentProcessId()) + ".start");
  if (!plan.startLock.acquire(plan.startMarker)) plan.startMarker.clear();
}

/// Gives up an archive that is damaged or that a VM died with.
void passOver(StartupCachePlan& plan, const Facts& facts, const std::string& path,
              const std::string& markerName, bool shipped, bool died) {
  if (facts.userFolder.empty()) return;
  if (shipped) {
    createNewFile(inFolder(facts.userFolder, markerName + ".rejected"));
    return;
  }
  removeFile(path);
  if (died) createNewFile(inFolder(facts.userFolder, cachePrefix(facts.tag, plan.key) + ".failed"));
}

/// Looks in `folder` for an archive of the key that is intact and did not
/// fail before; true when the plan uses one.
bool useArchiveIn(const std::string& folder, bool shipped, const Facts& facts,
                  StartupCachePlan& plan, bool change) {
  const std::string prefix = cachePrefix(shipped ? "" : facts.tag, plan.key);
  std::string sum;
  for (const std::string& name : listDirectory(folder)) {
    if (!parseArchiveName(name, prefix, &sum)) continue;
    const std::string path = inFolder(folder, name);
    // The per-user marks of an archive: "startup-TAG-KEY-SUM...".
    const std::string markerName = cachePrefix(facts.tag, plan.key) + "-" + sum;
    const bool known = !facts.userFolder.empty();
    if (shipped && known && isRecentMark(inFolder(facts.userFolder, markerName + ".rejected")))
      continue;
    const bool died = known && diedBeforeMain(facts.userFolder, markerName, change);
    if (died || !isIntact(path, sum)) {
      if (change) passOver(plan, facts, path, markerName, shipped, died);
      continue;
    }
    take(plan, facts, path, markerName, shipped, change);
    return true;
  }
  return false;
}

// ---- recording ----------------------------------------------------------------------

std::string trainingDataName(const std::string& prefix) {
  return prefix + "." + std::to_string(currentProcessId()) + ".classlist";
}

/// Sets up the recording of the key: its lock, its training data, the job
/// that builds finalFolder/finalPrefix-SUM.EXT from them.
void record(const StartupCacheRequest& request, const Facts& facts, StartupCachePlan& plan,
            const std::string& finalFolder, const std::string& finalPrefix) {
  const std::string& folder = facts.userFolder;
  const std::string prefix = cachePrefix(request.training ? "" : facts.tag, plan.key);
  const std::string lock = inFolder(folder, prefix + ".lock");
  // Shipped archives are for every user of the app folder.
  if (!makeDirectories(folder) || !makeDirectories(finalFolder, finalFolder == folder))
    return refuse(plan, "cannot write to " + folder);
  const uint64_t free = freeDiskSpace(folder);
  if (free < minimumFreeBytes)
    return refuse(plan, "only " + std::to_string(free >> 20) + " MiB free in " + folder);
  if (!plan.keyLock.acquire(lock)) return refuse(plan, "another launch is recording it");
  removeOtherJobs(folder, prefix);
  const std::string input = inFolder(folder, trainingDataName(prefix));
  // The VM warns about a file it cannot write: the folder is tried first.
  if (!createNewFile(input)) return refuse(plan, "cannot write to " + folder);
  recordInto(plan, facts, input);
  plan.training = request.training;
  CacheJob& job = plan.job;
  job.workingDirectory = request.workingDirectory;
  job.lock = lock;
  job.input = input;
  job.output = input.substr(0, input.rfind('.')) + ".tmp";
  job.finalPrefix = inFolder(finalFolder, finalPrefix);
  job.cacheFolder = folder;
  job.ownTag = facts.tag;
  job.java =
      buildCommand(facts.version, inRuntime(facts.runtimeHome, javaProgramIn(hostOs)),
                   request.vmArgs, request.classPath, job.input, job.output, errorFileOf(facts));
}

void recordForUser(const StartupCacheRequest& request, const Facts& facts, StartupCachePlan& plan,
                   bool change) {
  if (facts.userFolder.empty())
    return refuse(plan, request.cacheDirectory.empty() ? "the user's cache folder is unknown"
                                                       : "its folder is not safe to use");
  const std::string prefix = cachePrefix(facts.tag, plan.key);
  if (isRecentMark(inFolder(facts.userFolder, prefix + ".failed")))
    return refuse(plan, "it failed on an earlier launch (tried again a day later)");
  if (change) return record(request, facts, plan, facts.userFolder, prefix);
  if (isFileLocked(inFolder(facts.userFolder, prefix + ".lock")))
    return refuse(plan, "another launch is recording it");
  plan.message = "Recording startup cache at the next launch, in " + facts.userFolder;
}

StartupCachePlan decideAndPrepare(const StartupCacheRequest& request, bool change) {
  StartupCachePlan plan;
  Facts facts;
  const std::string reason = decide(request, facts, plan);
  if (!reason.empty()) {
    refuse(plan, reason);
    return plan;
  }
  facts.userFolder = usableUserFolder(request, plan);
  const std::string shippedFolder = shippedCacheDirectory(request.appDirectory);
  if (request.training) {
    if (facts.userFolder.empty())
      refuse(plan, "no folder for its training data");
    else
      record(request, facts, plan, shippedFolder, cachePrefix("", plan.key));
    return plan;
  }
  // It holds the marks of a start with an archive and the VM's error reports.
  if (change && !facts.userFolder.empty()) makeDirectories(facts.userFolder);
  const bool found =
      useArchiveIn(shippedFolder, true, facts, plan, change) ||
      (!facts.userFolder.empty() && useArchiveIn(facts.userFolder, false, facts, plan, change));
  if (!found) recordForUser(request, facts, plan, change);
  return plan;
}

}  // namespace

const char* const trainingRunVariable = "VANTREL_STARTUP_CACHE_TRAINING";

CacheRoute cacheRouteFor(int featureVersion) {
  if (featureVersion >= 10) return CacheRoute::ClassList;
  return CacheRoute::None;
}

const char* describeRoute(CacheRoute route) {
  switch (route) {
    case CacheRoute::ClassList:
      return "static class archive (-XX:SharedArchiveFile)";
    case CacheRoute::None:
      break;
  }
  return "none";
}

std::string shippedCacheDirectory(const std::string& appDirectory) {
  return joinPath(appDirectory, "startup-cache");
}

StartupCachePlan inspectStartupCache(const StartupCacheRequest& request) {
  return decideAndPrepare(request, false);
}

StartupCachePlan prepareStartupCache(const StartupCacheRequest& request) {
  return decideAndPrepare(request, true);
}

void dropStartupCache(StartupCachePlan& plan, const std::string& reason) {
  if (!plan.recording.empty()) removeFile(plan.recording);
  plan.startLock.release();
  if (!plan.startMarker.empty()) removeFile(plan.startMarker);
  plan.startMarker.clear();
  refuse(plan, reason);
}

void startupCacheStarted(StartupCachePlan& plan, bool vmShares) {
  plan.mainStarted = true;
  if (plan.file.empty()) return;
  plan.startLock.release();
  if (!plan.startMarker.empty()) removeFile(plan.startMarker);
  // An archive that went away meanwhile (a clean-up) is no fault of its own.
  if (vmShares || plan.rejectedMarker.empty() || !statFile(plan.file).exists) return;
  if (!plan.shipped) removeFile(plan.file);
  createNewFile(plan.rejectedMarker);
}

void finishStartupCache(StartupCachePlan& plan, const std::string& launcherPath) {
  if (plan.job.empty()) return;
  CacheJob job = std::move(plan.job);
  plan.job = CacheJob();
  // A run that never reached main recorded nothing worth an archive.
  if (!plan.mainStarted) {
    removeFile(job.input);
    return;
  }
  // The job takes the key's lock over; a clean-up leaves an unheld key's
  // files alone while they are this fresh.
  touchFile(job.lock);
  plan.keyLock.release();
  if (plan.training)
    runCacheJob(job);
  else if (launcherPath.empty() || !startDetachedChild(jobCommandLine(launcherPath, job)))
    removeFile(job.input);
}
