// The Java runtime of an app folder: where a launch finds it, what its
// files are called on each system, and which Java version it is.
#pragma once

#include <string>

#include "target_os.h"

/// The runtime's folder inside an app folder.
constexpr const char* runtimeFolderName = "jre";

/// The runtime library that the launcher loads, relative to the runtime
/// folder and written with '/': "lib/server/libjvm.so" on Linux,
/// "bin/server/jvm.dll" on Windows.
const char* runtimeLibraryIn(TargetOs os);

/// The runtime's own class archive, relative to the runtime folder and
/// written with '/': a dynamic archive is recorded on top of it.
const char* baseArchiveIn(TargetOs os);

/// The runtime's class image, relative to the runtime folder.
constexpr const char* runtimeModulesFile = "lib/modules";

/// The runtime's `java` program, relative to the runtime folder: "bin/java",
/// "bin/java.exe" on Windows.
const char* javaProgramIn(TargetOs os);

/// `relative` (one of the paths above) inside the runtime folder
/// `runtimeHome` of this system, with the system's separators.
std::string inRuntime(const std::string& runtimeHome, const char* relative);

/// The Java runtime folder of a launch: "jre" in the launcher's own folder
/// `appDirectory` when that folder exists, otherwise "jre" below the
/// working directory `workingDirectory` (so that --cwd can name another app
/// folder). Absolute when the folders given are; never found through a
/// search path.
std::string runtimeLocation(const std::string& appDirectory,
                            const std::string& workingDirectory);

/// The feature version of JAVA_VERSION in `releaseText` (a runtime's
/// "release" file), read only where a line starts with it: "17.0.15" gives
/// 17, "1.8.0_402" gives 8; 0 when absent.
int javaFeatureVersion(const std::string& releaseText);

/// The feature version of the runtime folder `runtimeHome` from its
/// "release" file; 0 when the file or the version is missing.
int runtimeFeatureVersion(const std::string& runtimeHome);
