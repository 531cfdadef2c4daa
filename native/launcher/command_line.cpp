#include "command_line.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app_identity.h"
#include "launch_settings.h"
#include "platform.h"
#include "tabopt_handlers.h"

namespace {

/// Where the interface mode's options are stored while they are parsed.
struct OptionValues {
  bool showHelp = false;
  bool verboseFlag = false;
  bool cliFlag = false;
  bool consoleFlag = false;
  const char* cwdValue = nullptr;
  const char* configValue = nullptr;
};

/// The separator of the program path: the last '/', or only when there is
/// none the last '\'.
size_t findPathSeparator(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash != std::string::npos ? slash : path.rfind('\\');
}

/// The program name shown in the help comes from what the user typed; the
/// working directory from the executable itself when it is known.
void takeProgramIdentity(const char* programPath) {
  std::string path = programPath ? programPath : "";
  size_t separator = findPathSeparator(path);
  if (separator == std::string::npos) {
    launchSettings.workingDirectory.clear();
    launchSettings.programName = path;
  } else {
    launchSettings.workingDirectory = path.substr(0, separator);
    launchSettings.programName = path.substr(separator + 1);
  }
  if (!launchSettings.appDirectory.empty())
    launchSettings.workingDirectory = launchSettings.appDirectory;
}

void buildOptionTable(tabopt_option* table, OptionValues* values) {
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
  table[7] = {'J', nullptr, "JVM argument", "-Xmx512m", appendVmArg,
              &launchSettings.vmArgs, 0, 0};
  table[8] = {0, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0};
}

void showHelp(tabopt_context* context) {
  const std::string& name = launchSettings.programName;
  printLine("Usage: " + name + " [java arguments]");
  printLine("       " + name + " -c [options] [-- [java arguments]]");
  printLine("");
  printLine("Options:");
  // write_help writes through stdio: the listing is flushed before anything
  // else is written.
  write_help(stdout, context, nullptr);
  std::fflush(stdout);
}

void applyOptions(const OptionValues& values) {
  launchSettings.verbose = values.verboseFlag;
  if (values.cwdValue) {
    if (launchSettings.verbose)
      printLine(std::string("Using working directory ") + values.cwdValue + " ...");
    launchSettings.workingDirectory = values.cwdValue;
  }
  if (values.configValue) {
    if (launchSettings.verbose)
      printLine(std::string("Using configuration file ") + values.configValue + " ...");
    launchSettings.configPath = values.configValue;
  }
}

/// Parses the options from `arguments` (the mode argument first). Returns
/// the first Java argument, or null when help was shown.
char** runInterfaceMode(tabopt_context* context, char** arguments,
                        const OptionValues& values) {
  char** rest = parse_arguments(context, -1, arguments);
  if (last_error(context) != no_error) {
    printErrorLine(error_message(context));
    destroy_context(context);
    exitProcess(1);
  }
  if (values.showHelp) {
    showHelp(context);
    return nullptr;
  }
  applyOptions(values);
  return rest;
}

}  // namespace

void takeAppIdentity(const std::string& executable) {
  const AppIdentity identity = appIdentityOf(executable);
  if (identity.directory.empty()) return;
  launchSettings.appDirectory = identity.directory;
  launchSettings.appName = identity.name;
}

tabopt_result appendVmArg(tabopt_context*, const tabopt_option*, const char* value,
                          void* destination) {
  if (!value) return no_error;
  static_cast<std::vector<std::string>*>(destination)->push_back(value);
  return no_error;
}

bool parseCommandLine(int argc, char** argv) {
  takeProgramIdentity(argv[0]);
  OptionValues values;
  tabopt_option table[9];
  buildOptionTable(table, &values);
  tabopt_context* context = create_context(table);
  if (!context) {
    printErrorLine("Error: failed to parse command line!");
    exitProcess(1);
  }
  if (argc <= 1) {
    destroy_context(context);
    return true;
  }
  char** javaArgs = argv + 1;
  std::string mode = argv[1];
  if (mode == "--cli" || mode == "-c") javaArgs = runInterfaceMode(context, argv + 1, values);
  destroy_context(context);
  if (!javaArgs) return false;
  for (; *javaArgs; ++javaArgs) launchSettings.javaArgs.push_back(toUtf8(*javaArgs));
  return true;
}
