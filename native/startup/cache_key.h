// The startup cache's key: a hash over everything that makes a class archive
// unusable for a launch, written so that it holds no path of the app folder.
#pragma once

#include <string>
#include <vector>

struct CacheKeyInputs {
  std::string appDirectory;      ///< absolute; enters the key only as a marker
  std::string workingDirectory;  ///< absolute
  std::string runtimeHome;       ///< absolute
  std::string releaseText;       ///< the runtime's "release" file
  std::string mainClass;         ///< what the recording ran
  std::vector<std::string> classPath;
  std::vector<std::string> vmArgs;
  /// The environment's VM options that the VM reads itself (JAVA_TOOL_OPTIONS, _JAVA_OPTIONS).
  std::vector<std::string> environmentOptions;
};

/// 16 hex digits over the inputs and the size and modification time (in
/// seconds, as archives and packages keep them) of the VM library, the
/// runtime's modules and each class path entry. The app folder is replaced
/// by a marker wherever it occurs, so a copy of the folder elsewhere, with its
/// modification times kept, has the same key.
std::string portableKey(const CacheKeyInputs& inputs);

/// 16 hex digits that tell the per-user files of one app folder from another's.
std::string folderTag(const std::string& appDirectory);
