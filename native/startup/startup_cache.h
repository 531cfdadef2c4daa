// The startup cache: a class archive of the app that the Java VM records on
// one run and maps on the next ones, kept in a per-user folder under a key
// over everything that would make it unusable.
#pragma once

#include <string>
#include <vector>

/// How the runtime records and uses the cache, by its Java version.
enum class CacheMechanism {
  None,            ///< older or unknown runtimes
  DynamicArchive,  ///< 13 to 18: -XX:ArchiveClassesAtExit, then -XX:SharedArchiveFile
  AutoArchive,     ///< 19 to 24: -XX:+AutoCreateSharedArchive -XX:SharedArchiveFile
  AotCache,        ///< 25 and later: -XX:AOTCacheOutput, then -XX:AOTCache
};

/// The mechanism for a runtime of `featureVersion` (javaFeatureVersion).
CacheMechanism cacheMechanismFor(int featureVersion);

/// "AOT cache", "dynamic class archive", ... for messages.
const char* describeMechanism(CacheMechanism mechanism);

/// The per-user cache folder of the program `appName` (the launcher's file
/// name without ".exe"): $XDG_CACHE_HOME/NAME on POSIX, %LOCALAPPDATA%\NAME\cache
/// on Windows. Empty when the user's folder is unknown.
std::string startupCacheDirectory(const std::string& appName);

/// What a launch would run with, as the launcher and the checker see it.
struct StartupCacheRequest {
  std::string workingDirectory;        ///< absolute; relative paths start here
  std::string runtimeHome = "jre";     ///< the runtime folder
  std::string cacheDirectory;          ///< from startupCacheDirectory
  std::vector<std::string> classPath;  ///< expanded entries
  std::vector<std::string> vmArgs;
};

/// The decision for one launch.
struct StartupCachePlan {
  CacheMechanism mechanism = CacheMechanism::None;
  std::string key;        ///< 16 hex digits over the runtime, class path and options
  std::string file;       ///< the complete cache file in use; empty when none
  std::string recording;  ///< the file being recorded; empty when none
  std::vector<std::string> vmOptions;  ///< to pass before the app's VM options
  /// "Using startup cache FILE", "Recording startup cache FILE", or
  /// "No startup cache: REASON".
  std::string message;
};

/// Decides and prepares a launch: creates the cache folder and the
/// recording's file, removes a damaged cache file. Never fails: a cache that
/// cannot be used is a plan without VM options.
StartupCachePlan prepareStartupCache(const StartupCacheRequest& request);

/// The same decision without touching the disk beyond reading it, for the
/// checker: "Recording" then means that the next launch would record.
StartupCachePlan inspectStartupCache(const StartupCacheRequest& request);

/// After the VM has written plan.recording (at the exit of the recording
/// run): gives it its final name and removes the files of other keys.
/// Returns the final file, or empty when there was nothing complete to keep.
std::string completeStartupCache(const StartupCachePlan& plan);
