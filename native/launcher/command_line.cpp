#include "command_line.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app_identity.h"
#include "paths.h"
#include "platform.h"
#include "tabopt_handlers.h"

namespace {

/// Where the interface mode's options are stored while they are parsed.
struct OptionValues {
  bool showHelp = false;
  bool verboseFlag = false;
  bool cliFlag = false;
  bool consoleFlag = false;
  bool newInstanceFlag = false;
  const char* cwdValue = nullptr;
  const char* configValue = nullptr;
};

/// The program name shown in the help comes from what the user typed; the
/// working directory from the executable itself when it is known.
void takeProgramIdentity(const char* programPath, LaunchSettings& settings) {
  std::string path = programPath ? programPath : "";
  size_t separator = programPathSplit(path);
  if (separator == std::string::npos) {
    settings.workingDirectory.clear();
    settings.programName = path;
  } else {
    settings.workingDirectory = path.substr(0, separator);
    settings.programName = path.substr(separator + 1);
  }
  if (!settings.appDirectory.empty()) settings.workingDirectory = settings.appDirectory;
}

void buildOptionTable(tabopt_option* table, OptionValues* values,
                      std::vector<std::string>* vmArgs) {
  table[0] = {'c', "cli", "Enables this command line interface.", nullptr,
              store_boolean, &values->cliFlag, value_optional, 0};
  table[1] = {'h', "help", "Shows help.", nullptr, store_boolean, &values->showHelp,
              stops_parsing, 0};
  table[2] = {'?', nullptr, nullptr, nullptr, store_boolean, &values->showHelp,
              stops_parsing | not_in_help, 0};
  table[3] = {0, "cwd", "Sets the working directory.", nullptr, store_string,
              &values->cwdValue, value_optional, 0};
  table[4] = {0, "config", "Specifies the configuration file.", "config.json",
              store_string, &values->configValue, value_optional, 0};
  table[5] = {'v', "verbose", "Prints additional information.", nullptr, store_boolean,
              &values->verboseFlag, value_optional, 0};
  table[6] = {0, "console", "Attachs a console window. [Windows only]", nullptr,
              store_boolean, &values->consoleFlag, value_optional, 0};
  table[7] = {0, "new-instance", "Starts a separate instance of a single-instance app.",
              nullptr, store_boolean, &values->newInstanceFlag, value_optional, 0};
  table[8] = {'J', nullptr, "JVM argument", "-Xmx512m", appendVmArg, vmArgs, 0, 0};
  table[9] = {0, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0};
}

void showHelp(tabopt_context* context, const std::string& name) {
  printLine("Usage: " + name + " [java arguments]");
  printLine("       " + name + " -c [options] [-- [java arguments]]");
  printLine("");
  printLine("Options:");
  // write_help writes through stdio: the listing is flushed before anything
  // else is written.
  write_help(stdout, context, nullptr);
  std::fflush(stdout);
}

void applyOptions(const OptionValues& values, LaunchSettings& settings) {
  settings.verbose = values.verboseFlag;
  settings.newInstance = values.newInstanceFlag;
  if (values.cwdValue) {
    if (settings.verbose)
      printLine(std::string("Using working directory ") + values.cwdValue + " ...");
    settings.workingDirectory = values.cwdValue;
  }
  if (values.configValue) {
    if (settings.verbose)
      printLine(std::string("Using configuration file ") + values.configValue + " ...");
    settings.configPath = values.configValue;
    settings.configFromCommandLine = true;
  }
}

/// Parses the options from `arguments` (the mode argument first) into
/// `settings`. Returns the first Java argument, or stops with status 1 when
/// help was shown or an option is wrong.
StepResult<char**> runInterfaceMode(tabopt_context* context, char** arguments,
                                    const OptionValues& values, LaunchSettings& settings) {
  char** rest = parse_arguments(context, -1, arguments);
  if (last_error(context) != no_error) {
    printErrorLine(error_message(context));
    return StepResult<char**>::stop(1);
  }
  if (values.showHelp) {
    showHelp(context, settings.programName);
    return StepResult<char**>::stop(1);
  }
  applyOptions(values, settings);
  return {rest, std::nullopt};
}

}  // namespace

LaunchSettings settingsOfLauncher(const std::string& executable) {
  LaunchSettings settings;
  const AppIdentity identity = appIdentityOf(executable);
  if (identity.directory.empty()) return settings;
  settings.appDirectory = identity.directory;
  settings.appName = identity.name;
  settings.launcherPath = executable;
  return settings;
}

tabopt_result appendVmArg(tabopt_context*, const tabopt_option*, const char* value,
                          void* destination) {
  if (!value) return no_error;
  static_cast<std::vector<std::string>*>(destination)->push_back(value);
  return no_error;
}

StepResult<LaunchSettings> parseCommandLine(int argc, char** argv, LaunchSettings settings) {
  takeProgramIdentity(argv[0], settings);
  OptionValues values;
  tabopt_option table[10];
  buildOptionTable(table, &values, &settings.vmArgs);
  tabopt_context* context = create_context(table);
  if (!context) {
    printErrorLine("Error: failed to parse command line!");
    return StepResult<LaunchSettings>::stop(1);
  }
  StepResult<char**> javaArgs{argc > 1 ? argv + 1 : nullptr, std::nullopt};
  const std::string mode = argc > 1 ? argv[1] : "";
  settings.interfaceMode = mode == "--cli" || mode == "-c";
  if (settings.interfaceMode) javaArgs = runInterfaceMode(context, argv + 1, values, settings);
  destroy_context(context);
  if (javaArgs.stops()) return StepResult<LaunchSettings>::stop(*javaArgs.exitStatus);
  for (char** rest = javaArgs.value; rest && *rest; ++rest)
    settings.javaArgs.push_back(toUtf8(*rest));
  return {std::move(settings), std::nullopt};
}
