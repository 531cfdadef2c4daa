// The VM options and the build commands of the startup cache's routes.
#pragma once

#include <string>
#include <vector>

/// How an archive is recorded and built, by the runtime's Java version.
enum class CacheRoute {
  None,       ///< older or unknown runtimes
  ClassList,  ///< 10 and later: the app's run lists its classes (-XX:DumpLoadedClassList),
              ///< the runtime's java dumps a static archive from the list (-Xshare:dump)
};

/// The first VM option that sets class sharing itself (-Xshare:off, an
/// archive or AOT cache of its own, a class list), or empty. With one, the VM
/// could not record or would refuse to start.
std::string sharingOption(const std::vector<std::string>& vmArgs);

/// The options of a launch that maps `archive`, for a runtime of Java
/// `version`. They keep the VM quiet about an archive it cannot use (it then
/// runs without) and, with an `errorFile`, send a crash report there.
std::vector<std::string> archiveOptions(const std::string& archive, int version,
                                        const std::string& errorFile);

/// The options of a launch that lists the classes it loads into `input`.
std::vector<std::string> recordingOptions(const std::string& input, int version,
                                          const std::string& errorFile);

/// The command that builds the archive `output` from the class list
/// `input` with the runtime's `java`. The app's VM options go along, but for
/// those whose effects reach outside the VM (log and dump files, agents,
/// commands, recordings, management ports).
std::vector<std::string> buildCommand(int version, const std::string& java,
                                      const std::vector<std::string>& vmArgs,
                                      const std::vector<std::string>& classPath,
                                      const std::string& input, const std::string& output,
                                      const std::string& errorFile);
