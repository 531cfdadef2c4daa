// The files of a packaged application folder other than the runtime:
// config.json and the Linux desktop entry.
#include "app_folder.h"

#include "config_keys.h"
#include "configuration.h"
#include "configuration_writer.h"
#include "desktop_entry.h"
#include "paths.h"

namespace {

std::vector<std::string> classPathOf(const std::vector<std::string>& jars) {
  std::vector<std::string> entries;
  entries.reserve(jars.size());
  for (const std::string& jar : jars) entries.push_back("lib/" + jar);
  return entries;
}

/// The first thing the reader says about a configuration, or empty.
std::string firstRemark(const Configuration& configuration) {
  for (const std::string& key : configuration.keys)
    if (!findConfigKey(key)) return "unknown key '" + key + "'";
  if (configuration.diagnostics.empty()) return std::string();
  const Diagnostic& first = configuration.diagnostics.front();
  return first.detail.empty() ? first.message : first.detail;
}

/// What differs between the values read and those written, or empty.
std::string difference(const Configuration& read, const PackOptions& options,
                       const std::vector<std::string>& jars, const std::string& splashName) {
  if (read.mainClass != options.mainClass) return "'mainClass' reads back otherwise";
  if (read.classPath.entries != classPathOf(jars)) return "'classPath' reads back otherwise";
  if (read.vmArgs != options.vmOptions) return "'vmArgs' reads back otherwise";
  if (read.startupCache != options.startupCache) return "'startupCache' reads back otherwise";
  if (read.splashImage != splashName) return "'splash' reads back otherwise";
  const std::string appUserModelId =
      options.target == PackTarget::Windows ? options.appUserModelId : std::string();
  if (read.appUserModelId != appUserModelId) return "'appUserModelId' reads back otherwise";
  return std::string();
}

}  // namespace

std::string configurationText(const PackOptions& options, const std::vector<std::string>& jars,
                              const std::string& splashName) {
  ConfigurationWriter writer;
  writer.setString("mainClass", options.mainClass);
  writer.setStrings("classPath", classPathOf(jars));
  writer.setStrings("vmArgs", options.vmOptions);
  if (options.startupCache) writer.setBoolean("startupCache", true);
  if (!splashName.empty()) writer.setString("splash", splashName);
  if (options.target == PackTarget::Windows)
    writer.setString("appUserModelId", options.appUserModelId);
  return writer.text();
}

bool readsBackAsWritten(const std::string& folder, const PackOptions& options,
                        const std::vector<std::string>& jars, const std::string& splashName,
                        std::string* error) {
  // No $APPDIR and no variables: the values read are the values written.
  ConfigurationInputs inputs;
  inputs.workingDirectory = asFolder(folder);
  const Configuration read = readConfiguration(inputs);
  std::string problem = firstRemark(read);
  if (problem.empty()) problem = difference(read, options, jars, splashName);
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
