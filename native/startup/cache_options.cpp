#include "cache_options.h"

#include "platform.h"

namespace {

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool reachesOutside(const std::string& option) {
  static const char* const prefixes[] = {"-Xlog",
                                         "-Xloggc",
                                         "-verbose",
                                         "-javaagent",
                                         "-agentlib",
                                         "-agentpath",
                                         "-Xrun",
                                         "-Xdebug",
                                         "-XX:ErrorFile",
                                         "-XX:OnError",
                                         "-XX:OnOutOfMemoryError",
                                         "-XX:+HeapDump",
                                         "-XX:HeapDumpPath",
                                         "-XX:StartFlightRecording",
                                         "-XX:FlightRecorderOptions",
                                         "-XX:+FlightRecorder",
                                         "-XX:LogFile",
                                         "-XX:+LogVMOutput",
                                         "-XX:+LogCompilation",
                                         "-XX:ReplayDataFile",
                                         "-XX:+PerfDataSaveToFile",
                                         "-XX:PerfDataSaveFile",
                                         "-Dcom.sun.management",
                                         "-XX:+ManagementServer"};
  for (const char* prefix : prefixes)
    if (startsWith(option, prefix)) return true;
  return false;
}

void addQuietOptions(std::vector<std::string>& options, int version, const std::string& errorFile) {
  options.push_back("-Xlog:cds*=off");
  if (version >= 25) options.push_back("-Xlog:aot*=off");
  if (!errorFile.empty()) options.push_back("-XX:ErrorFile=" + errorFile);
}

std::string joinedClassPath(const std::vector<std::string>& classPath) {
  std::string joined;
  for (const std::string& entry : classPath)
    joined += (joined.empty() ? "" : std::string(1, pathListSeparator)) + entry;
  return joined;
}

}  // namespace

std::string sharingOption(const std::vector<std::string>& vmArgs) {
  static const char* const prefixes[] = {"-Xshare:",
                                         "-XX:SharedArchiveFile",
                                         "-XX:ArchiveClassesAtExit",
                                         "-XX:+AutoCreateSharedArchive",
                                         "-XX:SharedClassListFile",
                                         "-XX:AOT",
                                         "-XX:-UseSharedSpaces",
                                         "-XX:DumpLoadedClassList"};
  for (const std::string& option : vmArgs)
    for (const char* prefix : prefixes)
      if (startsWith(option, prefix)) return option;
  return std::string();
}

std::vector<std::string> archiveOptions(const std::string& archive, int version,
                                        const std::string& errorFile) {
  std::vector<std::string> options = {"-XX:SharedArchiveFile=" + archive};
  if (version == 10) options.push_back("-XX:+UseAppCDS");
  addQuietOptions(options, version, errorFile);
  return options;
}

std::vector<std::string> recordingOptions(const std::string& input, int version,
                                          const std::string& errorFile) {
  std::vector<std::string> options = {"-XX:DumpLoadedClassList=" + input};
  addQuietOptions(options, version, errorFile);
  return options;
}

std::vector<std::string> buildCommand(int version, const std::string& java,
                                      const std::vector<std::string>& vmArgs,
                                      const std::vector<std::string>& classPath,
                                      const std::string& input, const std::string& output,
                                      const std::string& errorFile) {
  std::vector<std::string> command = {java};
  for (const std::string& option : vmArgs)
    if (!reachesOutside(option)) command.push_back(option);
  command.insert(command.end(), {"-Xshare:dump", "-XX:SharedClassListFile=" + input,
                                 "-XX:SharedArchiveFile=" + output});
  if (version >= 25) command.push_back("-XX:+AOTClassLinking");
  if (version == 10) command.push_back("-XX:+UseAppCDS");
  if (!errorFile.empty()) command.push_back("-XX:ErrorFile=" + errorFile);
  command.insert(command.end(), {"-cp", joinedClassPath(classPath)});
  return command;
}
