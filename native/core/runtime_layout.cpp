#include "runtime_layout.h"

#include "file_system.h"
#include "paths.h"
#include "whole_file.h"

const char* runtimeLibraryIn(TargetOs os) {
  return os == TargetOs::Windows ? "bin/server/jvm.dll" : "lib/server/libjvm.so";
}

const char* baseArchiveIn(TargetOs os) {
  return os == TargetOs::Windows ? "bin/server/classes.jsa" : "lib/server/classes.jsa";
}

const char* javaProgramIn(TargetOs os) {
  return os == TargetOs::Windows ? "bin/java.exe" : "bin/java";
}

std::string inRuntime(const std::string& runtimeHome, const char* relative) {
  return joinPath(runtimeHome, withSystemSeparators(relative));
}

std::string runtimeLocation(const std::string& appDirectory,
                            const std::string& workingDirectory) {
  if (!appDirectory.empty()) {
    std::string own = joinPath(appDirectory, runtimeFolderName);
    if (isDirectory(own)) return own;
  }
  return joinPath(workingDirectory, runtimeFolderName);
}

int javaFeatureVersion(const std::string& releaseText) {
  const std::string marker = "JAVA_VERSION=";
  size_t at = releaseText.find(marker);
  while (at != std::string::npos && at > 0 && releaseText[at - 1] != '\n')
    at = releaseText.find(marker, at + 1);
  if (at == std::string::npos) return 0;
  size_t position = at + marker.size();
  if (position < releaseText.size() && releaseText[position] == '"') ++position;
  if (releaseText.compare(position, 2, "1.") == 0) position += 2;
  int version = 0;
  while (position < releaseText.size() && releaseText[position] >= '0' &&
         releaseText[position] <= '9' && version < 100000)
    version = version * 10 + (releaseText[position++] - '0');
  return version;
}

int runtimeFeatureVersion(const std::string& runtimeHome) {
  std::string release, error;
  if (!readWholeFile(joinPath(runtimeHome, "release"), &release, &error)) return 0;
  return javaFeatureVersion(release);
}
