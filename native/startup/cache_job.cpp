#include "cache_job.h"

#include <cstdint>

#include "cache_files.h"
#include "checksum.h"
#include "child_process.h"
#include "file_lock.h"
#include "file_system.h"
#include "paths.h"
#include "platform.h"

namespace {

/// How long a job waits for the recording run to let go of the key.
constexpr int lockWaitMilliseconds = 60 * 1000;
/// Longer than any build: a VM that takes longer is stuck.
constexpr unsigned buildTimeoutSeconds = 600;

/// Job fields in the order of the command line; the build command follows.
std::string CacheJob::*const fields[] = {
    &CacheJob::workingDirectory, &CacheJob::lock,        &CacheJob::input,  &CacheJob::output,
    &CacheJob::finalPrefix,      &CacheJob::cacheFolder, &CacheJob::ownTag,
};
constexpr size_t fieldCount = sizeof fields / sizeof fields[0];

bool waitForLock(FileLock& lock, const std::string& path) {
  for (int waited = 0; !lock.acquire(path); waited += 50) {
    if (waited >= lockWaitMilliseconds) return false;
    pauseMilliseconds(50);
  }
  return true;
}

/// A complete archive of the job's key that is there already.
bool alreadyBuilt(const CacheJob& job) {
  const size_t cut = job.finalPrefix.find_last_of("/\\");
  const std::string folder = job.finalPrefix.substr(0, cut);
  const std::string prefix = job.finalPrefix.substr(cut + 1);
  std::string sum;
  for (const std::string& name : listDirectory(folder))
    if (parseArchiveName(name, prefix, &sum)) return true;
  return false;
}

/// The key's prefix in the cache folder: the lock's name without ".lock".
std::string keyPrefix(const CacheJob& job) {
  const size_t start = job.lock.find_last_of("/\\") + 1;
  return job.lock.substr(start, job.lock.size() - start - std::string(".lock").size());
}

std::string failureMark(const CacheJob& job) {
  return joinPath(job.cacheFolder, keyPrefix(job) + ".failed");
}

/// Runs the build; the archive under its final name, or empty.
std::string build(const CacheJob& job) {
  ChildOptions options;
  // The VM options of the environment went into the recording run already;
  // here they would only add their side effects.
  options.environment = {"JAVA_TOOL_OPTIONS", "_JAVA_OPTIONS", "JDK_JAVA_OPTIONS"};
  options.timeoutSeconds = buildTimeoutSeconds;
  const ChildRun run = runChild(job.java, options);
  uint64_t sum = 0;
  const FileStamp made = statFile(job.output);
  if (run.status == 0 && made.exists && made.size > 0 && checksumFile(job.output, &sum)) {
    std::string complete = job.finalPrefix + "-" + hexDigits(sum) + ".jsa";
    if (replaceFile(job.output, complete)) return complete;
  }
  removeFile(job.output);
  createNewFile(failureMark(job));
  return std::string();
}

}  // namespace

const char* const startupCacheJobOption = "--vantrel-build-startup-cache";

std::vector<std::string> jobCommandLine(const std::string& launcher, const CacheJob& job) {
  std::vector<std::string> line = {launcher, startupCacheJobOption};
  for (auto field : fields) line.push_back(job.*field);
  line.insert(line.end(), job.java.begin(), job.java.end());
  return line;
}

std::string runCacheJob(const CacheJob& job) {
  FileLock lock;
  if (!waitForLock(lock, job.lock)) return std::string();
  std::string complete;
  const FileStamp input = statFile(job.input);
  if (input.exists && input.size > 0 && !alreadyBuilt(job) &&
      changeWorkingDirectory(job.workingDirectory))
    complete = build(job);
  if (!job.cacheFolder.empty()) tidyCacheFolder(job.cacheFolder, job.ownTag, keyPrefix(job));
  // Last: once the training data is gone, the job is over.
  removeFile(job.input);
  return complete;
}

int runStartupCacheJob(const std::vector<std::string>& arguments) {
  if (arguments.size() <= fieldCount) return 2;
  CacheJob job;
  for (size_t i = 0; i < fieldCount; ++i) job.*fields[i] = arguments[i];
  job.java.assign(arguments.begin() + fieldCount, arguments.end());
  becomeBackgroundProcess();
  return runCacheJob(job).empty() ? 1 : 0;
}
