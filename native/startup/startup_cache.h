// The startup cache: a class archive of the app that the Java VM maps at
// start-up. It comes with the app folder (made by vantrel-pack's training
// run) or is recorded at the user's: the app's own run lists what it loads,
// a background process builds the archive afterwards. Archives are checked
// before use, and a damaged one or one the VM dies with is passed over.
#pragma once

#include <string>
#include <vector>

#include "cache_job.h"
#include "cache_options.h"
#include "file_lock.h"
#include "runtime_layout.h"

/// The route of a cache, at the user's and for shipping alike, for a runtime
/// of `featureVersion` (javaFeatureVersion).
CacheRoute cacheRouteFor(int featureVersion);

/// "static class archive (...)" or "none", for messages.
const char* describeRoute(CacheRoute route);

/// The per-user cache folder of the program `appName` (the launcher's file
/// name without ".exe"): $XDG_CACHE_HOME/NAME on POSIX, %LOCALAPPDATA%\NAME\cache
/// on Windows. Empty when the user's folder is unknown.
std::string startupCacheDirectory(const std::string& appName);

/// The folder of an app folder that holds the cache made at packaging time.
std::string shippedCacheDirectory(const std::string& appDirectory);

/// The environment variable that makes a launch the training run of
/// vantrel-pack: its value is the number of seconds after which the app is
/// ended through System.exit (0: it ends by itself).
extern const char* const trainingRunVariable;

/// What a launch would run with, as the launcher and the checker see it.
struct StartupCacheRequest {
  std::string appDirectory;         ///< absolute, the launcher's folder
  std::string workingDirectory;     ///< absolute; relative paths start here
  std::string runtimeHome = "jre";  ///< the runtime folder
  std::string cacheDirectory;       ///< per-user, from startupCacheDirectory
  std::string mainClass;
  std::vector<std::string> classPath;  ///< expanded entries
  std::vector<std::string> vmArgs;
  bool training = false;  ///< record for shipping (vantrel-pack's training run)
};

/// The decision for one launch and what its later steps need. Move-only: it
/// holds the locks that tell other launches what this one is doing.
struct StartupCachePlan {
  CacheRoute route = CacheRoute::None;
  std::string key;                     ///< 16 hex digits over the runtime, class path and options
  std::string file;                    ///< the archive in use; empty when none
  bool shipped = false;                ///< `file` came with the app folder
  std::string recording;               ///< the training data being recorded; empty when none
  std::vector<std::string> vmOptions;  ///< to pass before the app's VM options
  /// "Using startup cache FILE", "Recording startup cache FILE", or
  /// "No startup cache: REASON".
  std::string message;
  /// A per-user cache folder that is not safe to use: shown as a warning.
  std::string warning;

  CacheJob job;           ///< the build to run once the recording run ends
  bool training = false;  ///< the job runs at once, for shipping
  bool mainStarted = false;
  FileLock keyLock;    ///< held while this launch records the key
  FileLock startLock;  ///< held while the VM starts with `file`
  std::string startMarker;
  std::string rejectedMarker;  ///< what marks `file` as one not to use again
};

/// Decides and prepares a launch: finds an archive that fits and is intact,
/// or takes the key and sets up the recording. Never fails: a cache that
/// cannot be used is a plan without VM options.
StartupCachePlan prepareStartupCache(const StartupCacheRequest& request);

/// The same decision without changing anything on disk, for the checker:
/// "Recording" then means that the next launch would record.
StartupCachePlan inspectStartupCache(const StartupCacheRequest& request);

/// Gives up the plan before the VM starts ("No startup cache: REASON"):
/// removes what it set up and lets go of its locks.
void dropStartupCache(StartupCachePlan& plan, const std::string& reason);

/// Once the VM has started and found the main class: the archive in use did
/// not make it die. `vmShares` tells whether the VM maps it; one that the VM
/// refused is not used again.
void startupCacheStarted(StartupCachePlan& plan, bool vmShares);

/// When the recording run ends (at the process's exit): starts the build in
/// the background through the launcher `launcherPath` (see cache_job.h), or
/// for a training run builds the archive and waits.
void finishStartupCache(StartupCachePlan& plan, const std::string& launcherPath);
