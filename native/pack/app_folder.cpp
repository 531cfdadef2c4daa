// The files of a packaged application folder other than the runtime:
// config.json and the Linux desktop entry.
#include "app_folder.h"

#include "config_keys.h"
#include "configuration.h"
#include "configuration_writer.h"
#include "desktop_entry.h"
#include "paths.h"

namespace {

/// The first thing the reader says about a configuration, or empty.
std::string firstRemark(const Configuration& configuration) {
  for (const std::string& key : configuration.keys)
    if (!findConfigKey(key)) return "unknown key '" + key + "'";
  if (configuration.diagnostics.empty()) return std::string();
  const Diagnostic& first = configuration.diagnostics.front();
  return first.detail.empty() ? first.message : first.detail;
}

/// What differs between the values read and those written, or empty.
std::string difference(const Configuration& read, const AppConfiguration& written) {
  if (read.mainClass != written.mainClass) return "'mainClass' reads back otherwise";
  if (read.classPath.entries != written.classPath) return "'classPath' reads back otherwise";
  if (read.vmArgs != written.vmArgs) return "'vmArgs' reads back otherwise";
  if (read.args != written.args) return "'args' reads back otherwise";
  if (read.startupCache != written.startupCache) return "'startupCache' reads back otherwise";
  if (read.splashImage != written.splash) return "'splash' reads back otherwise";
  if (read.appUserModelId != written.appUserModelId) return "'appUserModelId' reads back otherwise";
  if (read.singleInstance != written.singleInstance || read.launchReceiver != written.launchReceiver)
    return "'singleInstance' reads back otherwise";
  if (read.restartExitCode != written.restartExitCode)
    return "'restartExitCode' reads back otherwise";
  return std::string();
}

}  // namespace

std::string configurationText(const AppConfiguration& configuration) {
  ConfigurationWriter writer;
  writer.setString("mainClass", configuration.mainClass);
  writer.setStrings("classPath", configuration.classPath);
  writer.setStrings("vmArgs", configuration.vmArgs);
  if (!configuration.args.empty()) writer.setStrings("args", configuration.args);
  if (configuration.startupCache) writer.setBoolean("startupCache", true);
  if (!configuration.splash.empty()) writer.setString("splash", configuration.splash);
  if (!configuration.appUserModelId.empty())
    writer.setString("appUserModelId", configuration.appUserModelId);
  if (!configuration.launchReceiver.empty())
    writer.setString("singleInstance", configuration.launchReceiver);
  else if (configuration.singleInstance)
    writer.setBoolean("singleInstance", true);
  if (configuration.restartExitCode)
    writer.setInteger("restartExitCode", configuration.restartExitCode);
  return writer.text();
}

bool readsBackAsWritten(const std::string& folder, const std::string& fileName,
                        const AppConfiguration& configuration, std::string* error) {
  // No $APPDIR and no variables: the values read are the values written.
  ConfigurationInputs inputs;
  inputs.workingDirectory = asFolder(folder);
  inputs.configPath = fileName;
  const Configuration read = readConfiguration(inputs);
  std::string problem = firstRemark(read);
  if (problem.empty()) problem = difference(read, configuration);
  if (!problem.empty())
    *error = "the written " + resolvePath(inputs.workingDirectory, inputs.configPath) +
             " does not read back as written: " + problem;
  return problem.empty();
}

std::string desktopEntry(const PackOptions& options, const std::string& installFolder) {
  DesktopEntry entry;
  entry.name = options.name;
  entry.comment = options.description;
  entry.program = installFolder + "/" + options.name;
  entry.fieldCode = "%F";
  entry.icon = installFolder + "/" + options.name + ".png";
  entry.workingFolder = installFolder;
  entry.startupWmClass = javaWindowClass(options.mainClass);
  return desktopEntryText(entry);
}
