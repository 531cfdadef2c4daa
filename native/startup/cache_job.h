// Building an archive from the training data of a recording run, once that
// run has ended: in a detached background process (the launcher started
// again with startupCacheJobOption) or, in vantrel-pack's training run, at
// once. The archive gets its final name only when it is complete.
#pragma once

#include <string>
#include <vector>

struct CacheJob {
  std::string workingDirectory;   ///< where the app ran: relative class path entries start here
  std::string lock;               ///< the key's lock file, held while building
  std::string input;              ///< the training data, removed at the end
  std::string output;             ///< the archive being written
  std::string finalPrefix;        ///< the complete archive becomes finalPrefix-SUM.jsa
  std::string cacheFolder;        ///< the per-user folder, tidied afterwards
  std::string ownTag;             ///< the folder tag of this app's per-user files
  std::vector<std::string> java;  ///< the build command
  bool empty() const { return java.empty(); }
};

/// The launcher's first argument that makes it run a job instead of an app.
extern const char* const startupCacheJobOption;

/// The command line of a launcher `launcher` that runs `job`.
std::vector<std::string> jobCommandLine(const std::string& launcher, const CacheJob& job);

/// Runs the job: takes the key's lock (waiting while the recording run
/// ends), builds with the runtime's java, names the archive by its checksum,
/// removes the folder's stale files and, last, the training data: a job
/// whose training data is gone is over. Returns the complete archive, or
/// empty when none was made.
std::string runCacheJob(const CacheJob& job);

/// The hidden mode: `arguments` follow startupCacheJobOption. Runs the job
/// as a background process; returns the process's exit status.
int runStartupCacheJob(const std::vector<std::string>& arguments);
