// The command line of vantrel-pack, read with the project's option parser.
#include "pack_options.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>

#include "config_keys.h"
#include "installer_options.h"
#include "tabopt.h"
#include "tabopt_handlers.h"

namespace {

/// Raw values as the parser stores them, turned into PackOptions afterwards.
/// An option whose value may be left out: whether it was given, and the value.
struct OptionalValue {
  bool given = false;
  const char* value = nullptr;
};

struct RawOptions {
  const char* name = nullptr;
  const char* mainClass = nullptr;
  const char* mainJar = nullptr;
  const char* output = nullptr;
  const char* target = nullptr;
  const char* launcher = nullptr;
  const char* jdk = nullptr;
  const char* runtime = nullptr;
  const char* jmods = nullptr;
  const char* modules = nullptr;
  OptionalValue verify;
  const char* compress = nullptr;
  const char* icon = nullptr;
  const char* appVersion = nullptr;
  const char* vendor = nullptr;
  const char* description = nullptr;
  const char* copyright = nullptr;
  const char* splash = nullptr;
  const char* installScope = nullptr;
  const char* upgradeCode = nullptr;
  const char* maintainer = nullptr;
  const char* signPkcs12 = nullptr;
  const char* signPasswordVariable = nullptr;
  const char* timestampUrl = nullptr;
  const char* appUserModelId = nullptr;
  const char* trainingSeconds = nullptr;
  OptionalValue singleInstance;
  const char* restartExitCode = nullptr;
  std::vector<std::string> inputs;
  std::vector<std::string> classPath;
  std::vector<std::string> resources;
  std::vector<std::string> nativeLibs;
  std::vector<std::string> arguments;
  std::vector<std::string> launchers;
  std::vector<std::string> addModules;
  std::vector<std::string> vmOptions;
  std::vector<std::string> trainingArgs;
  std::vector<std::string> installers;
  std::vector<std::string> associations;
  std::vector<std::string> urlSchemes;
  bool startupCache = false;
  bool zip = false;
  bool force = false;
  bool desktopShortcut = false;
  bool help = false;
};

tabopt_result appendValue(tabopt_context*, const tabopt_option*, const char* value,
                          void* destination) {
  if (!value) return value_required;
  static_cast<std::vector<std::string>*>(destination)->push_back(value);
  return no_error;
}

/// An option with an optional value (--verify[=SECONDS]). A value taken
/// from the next argument that is another option is refused, so that the
/// parser leaves it to be read as one.
tabopt_result storeOptional(tabopt_context*, const tabopt_option*, const char* value,
                            void* destination) {
  if (value && value[0] == '-') return invalid_value;
  *static_cast<OptionalValue*>(destination) = {true, value};
  return no_error;
}

tabopt_option stringRow(const char* name, const char* text, const char* valueName,
                        const char** destination) {
  return {0, name, text, valueName, store_string, destination, 0, 0};
}

tabopt_option flagRow(const char* name, const char* text, bool* destination) {
  return {0, name, text, nullptr, store_boolean, destination, 0, 0};
}

tabopt_option listRow(const char* name, const char* text, const char* valueName,
                      std::vector<std::string>* destination) {
  return {0, name, text, valueName, appendValue, destination, 0, 0};
}

std::vector<tabopt_option> optionTable(RawOptions* raw) {
  return {
      stringRow("name", "The application's name: its folder, launcher and identity.",
                "NAME", &raw->name),
      stringRow("main-class", "The class whose main method starts the application "
                "(default: the main jar's Main-Class).", "CLASS", &raw->mainClass),
      listRow("input", "The application's folder, copied into lib/ as it is, or a jar "
              "(repeatable).", "DIR|FILE", &raw->inputs),
      stringRow("main-jar", "The jar that starts the application: the class path is it and "
                "what its manifest names (default: the top-level jars of --input).",
                "FILE", &raw->mainJar),
      listRow("class-path", "A jar or class folder added to the class path, relative to "
              "--input or absolute; DIR/* for the jars of DIR (repeatable).", "ENTRY",
              &raw->classPath),
      listRow("resources", "A folder copied into the app folder, as TARGET (default: its "
              "name beside the launcher; repeatable).", "DIR[=TARGET]", &raw->resources),
      listRow("native-lib", "A native library, or the native libraries of a folder, copied "
              "into lib/ (repeatable).", "FILE|DIR", &raw->nativeLibs),
      listRow("arguments", "An argument passed to the application before the user's "
              "(repeatable).", "ARG", &raw->arguments),
      listRow("add-launcher", "Another launcher NAME with the main class, arguments, VM "
              "options and console mode of FILE, a .properties or .json file (repeatable).",
              "NAME=FILE", &raw->launchers),
      stringRow("output", "The folder in which NAME/ is made.", "DIR", &raw->output),
      stringRow("target", "linux or windows (default: this machine's).", "PLATFORM",
                &raw->target),
      stringRow("launcher", "The launcher to copy (default: the one beside vantrel-pack).",
                "FILE", &raw->launcher),
      stringRow("jdk", "A JDK whose jlink makes the runtime.", "DIR", &raw->jdk),
      stringRow("runtime", "An existing runtime image, copied with its links resolved.", "DIR",
                &raw->runtime),
      stringRow("jmods", "The target platform's jmods, for a runtime of another platform.",
                "DIR", &raw->jmods),
      listRow("add-modules", "Modules added to those the runtime gets (repeatable).",
              "M1,M2", &raw->addModules),
      stringRow("modules", "The runtime's modules, instead of those the jars use and the "
                "service providers added to them.", "M1,M2", &raw->modules),
      stringRow("compress", "The runtime's modules zipped or not (default: zip with --startup-cache).",
                "none|zip", &raw->compress),
      stringRow("icon", "The application's icon.", "FILE.png|FILE.ico", &raw->icon),
      stringRow("app-version", "The application's version (default 1.0.0).", "X.Y.Z[.W]",
                &raw->appVersion),
      stringRow("vendor", "The company or person shipping the application.", "TEXT",
                &raw->vendor),
      stringRow("description", "What the application is (default: NAME).", "TEXT",
                &raw->description),
      stringRow("copyright", "The copyright notice.", "TEXT", &raw->copyright),
      listRow("vm-option", "An option for the Java VM (repeatable).", "OPTION",
              &raw->vmOptions),
      {0, "verify", "Linux: runs the packaged app for SECONDS (default 10) with the host's "
       "Java files hidden and reports what it takes from outside its folder.", "SECONDS",
       storeOptional, &raw->verify, value_optional, 0},
      flagRow("startup-cache", "Turns the startup cache on; ships one made by a training run.",
              &raw->startupCache),
      listRow("training-arg", "An argument of the training run (repeatable).", "ARG",
              &raw->trainingArgs),
      stringRow("training-seconds", "Ends the training run after N seconds (System.exit).", "N",
                &raw->trainingSeconds),
      {0, "single-instance", "One instance per user: later launches go to the running app "
       "(to its static METHOD, Class.method, when given).", "METHOD", storeOptional,
       &raw->singleInstance, value_optional, 0},
      stringRow("restart-exit-code", "Starts the app again when it ends with status N (1 to 255).",
                "N", &raw->restartExitCode),
      stringRow("splash", "An image shown while the application starts.", "FILE",
                &raw->splash),
      flagRow("zip", "Also writes NAME-VERSION-TARGET.zip.", &raw->zip),
      flagRow("force", "Replaces an existing NAME folder (and installers).", &raw->force),
      listRow("installer", "Also makes an installer: msi (--target windows), deb or rpm "
              "(--target linux). Repeatable.", "KIND", &raw->installers),
      stringRow("install-scope", "msi: user (default; no elevation) or machine.", "SCOPE",
                &raw->installScope),
      stringRow("upgrade-code", "msi: the UpgradeCode (default: derived from vendor and name).",
                "UUID", &raw->upgradeCode),
      listRow("file-association", "A document type the installed app opens (repeatable).",
              "EXT:DESCRIPTION[:MIME-TYPE]", &raw->associations),
      listRow("url-scheme", "Links SCHEME:... the installed app opens (repeatable).", "SCHEME",
              &raw->urlSchemes),
      flagRow("desktop-shortcut", "msi: also a shortcut on the desktop.", &raw->desktopShortcut),
      stringRow("maintainer", "deb and rpm: who maintains the package.", "\"NAME <EMAIL>\"",
                &raw->maintainer),
      stringRow("app-user-model-id", "The Windows taskbar identity (default: VENDOR.NAME).",
                "ID", &raw->appUserModelId),
      stringRow("sign-pkcs12", "Signs the exes and the MSI with this certificate and key.",
                "FILE", &raw->signPkcs12),
      stringRow("sign-password-env", "The environment variable holding its password.", "VAR",
                &raw->signPasswordVariable),
      stringRow("timestamp-url", "A timestamp server for the signatures.", "URL",
                &raw->timestampUrl),
      {'h', "help", "Shows this help.", nullptr, store_boolean, &raw->help, stops_parsing, 0},
      {0, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0},
  };
}

std::string text(const char* value) { return value ? value : ""; }

std::vector<std::string> splitModules(const std::string& list) {
  std::vector<std::string> modules;
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    if (comma > start) modules.push_back(list.substr(start, comma - start));
    start = comma + 1;
  }
  return modules;
}

/// A file name that every file system takes: no separators, no characters
/// Windows refuses, not "." or "..".
bool isPlainFileName(const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.back() == '.' ||
      name.back() == ' ')
    return false;
  for (unsigned char c : name)
    if (c < 32 || std::strchr("/\\:*?\"<>|", c)) return false;
  return true;
}

std::string asciiLower(const std::string& text) {
  std::string lower;
  for (char c : text) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return lower;
}

/// Names taken by the folder's own files: the launcher cannot have them.
bool isReservedName(const std::string& name) {
  const std::string lower = asciiLower(name);
  for (const char* taken : {"lib", "jre", "config.json", "startup-cache"})
    if (lower == taken) return true;
  return false;
}

std::string checkRequired(const RawOptions& raw) {
  const std::pair<const char*, const char*> required[] = {
      {"--name", raw.name},
      {"--main-class", raw.mainClass ? raw.mainClass : raw.mainJar},
      {"--input", raw.inputs.empty() ? nullptr : raw.inputs.front().c_str()},
      {"--output", raw.output}};
  for (const auto& [option, value] : required)
    if (!value || !*value) return std::string("Missing option: ") + option;
  for (const std::string& input : raw.inputs)
    if (input.empty()) return "Invalid value for option --input: an empty path";
  if (!isPlainFileName(raw.name))
    return std::string("Invalid value for option --name: ") + raw.name +
           " (a file name without / \\ : * ? \" < > |)";
  if (isReservedName(raw.name))
    return std::string("Invalid value for option --name: ") + raw.name +
           " (the name of a file the app folder holds already)";
  if (raw.jdk && raw.runtime) return "Options --jdk and --runtime exclude each other";
  if (!raw.jdk && !raw.runtime)
    return "No Java runtime: pass --jdk DIR (a JDK whose jlink makes one) or "
           "--runtime DIR (an existing runtime image to copy)";
  if (raw.compress && raw.runtime)
    return "Option --compress needs --jdk: a runtime copied with --runtime stays as it is";
  return "";
}

/// The training run's options: they need a startup cache made here.
std::string checkTraining(const RawOptions& raw, PackOptions* options) {
  options->trainingArgs = raw.trainingArgs;
  const bool training = raw.trainingSeconds || !raw.trainingArgs.empty();
  if (training && (!raw.startupCache || options->target != hostOs))
    return std::string("Options --training-arg and --training-seconds need --startup-cache "
                       "and the target ") + targetName(hostOs);
  if (!raw.trainingSeconds) return "";
  const std::string seconds = raw.trainingSeconds;
  if (seconds.empty() || seconds.size() > 5 ||
      seconds.find_first_not_of("0123456789") != std::string::npos || std::stoul(seconds) == 0)
    return "Invalid value for option --training-seconds: " + seconds +
           " (a number of seconds from 1 to 99999)";
  options->trainingSeconds = static_cast<unsigned>(std::stoul(seconds));
  return "";
}

/// --single-instance and --restart-exit-code, as the launcher reads them.
std::string checkDesktopOptions(const RawOptions& raw, PackOptions* options) {
  options->singleInstance = raw.singleInstance.given;
  options->launchReceiver = text(raw.singleInstance.value);
  const std::string& method = options->launchReceiver;
  if (!method.empty() &&
      (!namesStaticMethod(method) || method.find_first_of(" \t/;()") != std::string::npos))
    return "Invalid value for option --single-instance: " + method +
           " (a static method of a class, such as com.example.App.onLaunch)";
  if (!raw.restartExitCode) return "";
  const std::string code = raw.restartExitCode;
  if (code.empty() || code.size() > 3 || code.find_first_not_of("0123456789") != std::string::npos ||
      !isRestartExitCode(std::stoi(code)))
    return "Invalid value for option --restart-exit-code: " + code +
           " (an exit status from 1 to 255)";
  options->restartExitCode = std::stoi(code);
  return "";
}

std::string fillInstallerOptions(const RawOptions& raw, PackOptions* options) {
  options->installers = raw.installers;
  options->machineScope = text(raw.installScope) == "machine";
  if (raw.installScope && !options->machineScope && text(raw.installScope) != "user")
    return "Invalid value for option --install-scope: " + text(raw.installScope) +
           " (user or machine)";
  for (const std::string& association : raw.associations) {
    options->associations.emplace_back();
    if (!parseFileAssociation(association, &options->associations.back()))
      return "Invalid value for option --file-association: " + association +
             " (EXT:DESCRIPTION[:MIME-TYPE], as txt:Text document:text/plain)";
  }
  options->urlSchemes = raw.urlSchemes;
  options->upgradeCode = text(raw.upgradeCode);
  options->desktopShortcut = raw.desktopShortcut;
  options->maintainer = text(raw.maintainer);
  options->signPkcs12 = text(raw.signPkcs12);
  options->signPasswordVariable = text(raw.signPasswordVariable);
  options->timestampUrl = text(raw.timestampUrl);
  options->appUserModelId = raw.appUserModelId
                                ? raw.appUserModelId
                                : defaultAppUserModelId(options->vendor, options->name);
  return checkInstallerOptions(*options, raw.installScope != nullptr);
}

/// --add-launcher NAME=FILE: a name the folder can take beside the others.
std::string fillLaunchers(const RawOptions& raw, PackOptions* options) {
  for (const std::string& value : raw.launchers) {
    size_t equals = value.find('=');
    ExtraLauncher launcher;
    launcher.name = value.substr(0, equals);
    if (equals != std::string::npos) launcher.file = value.substr(equals + 1);
    // Windows file names ignore case.
    // Its configuration NAME.json must not be config.json either.
    bool taken = asciiLower(launcher.name) == asciiLower(options->name) ||
                 asciiLower(launcher.name) == "config";
    for (const ExtraLauncher& other : options->extraLaunchers)
      taken = taken || other.name == launcher.name;
    if (equals == std::string::npos || launcher.file.empty() || !isPlainFileName(launcher.name) ||
        isReservedName(launcher.name) || taken)
      return "Invalid value for option --add-launcher: " + value +
             " (NAME=FILE, NAME a file name other than the app's, lib, jre or config, given once)";
    options->extraLaunchers.push_back(launcher);
  }
  return "";
}

std::string fillOptions(const RawOptions& raw, PackOptions* options) {
  options->name = raw.name;
  options->mainClass = text(raw.mainClass);
  options->inputs = raw.inputs;
  options->mainJar = text(raw.mainJar);
  options->classPath = raw.classPath;
  options->resources = raw.resources;
  options->nativeLibs = raw.nativeLibs;
  options->arguments = raw.arguments;
  options->output = raw.output;
  options->target = hostOs;
  std::string target = text(raw.target);
  if (target == "windows") options->target = PackTarget::Windows;
  else if (target == "linux") options->target = PackTarget::Linux;
  else if (!target.empty())
    return "Invalid value for option --target: " + target + " (linux or windows)";
  unsigned short parts[4];
  if (raw.appVersion && !parseAppVersion(raw.appVersion, parts))
    return std::string("Invalid value for option --app-version: ") + raw.appVersion +
           " (one to four numbers from 0 to 65535, as 1.2.3)";
  if (raw.appVersion) options->appVersion = raw.appVersion;
  options->launcher = text(raw.launcher);
  options->jdk = text(raw.jdk);
  options->runtime = text(raw.runtime);
  options->jmods = text(raw.jmods);
  for (const std::string& list : raw.addModules)
    for (const std::string& module : splitModules(list)) options->addModules.push_back(module);
  options->modulesGiven = raw.modules != nullptr;
  options->modules = splitModules(text(raw.modules));
  if (options->modulesGiven && options->modules.empty())
    return "Invalid value for option --modules: an empty list";
  std::string error = fillLaunchers(raw, options);
  if (!error.empty()) return error;
  if (raw.verify.given) {
    std::string seconds = text(raw.verify.value);
    options->verifySeconds = seconds.empty() ? 10 : std::atoi(seconds.c_str());
    if (seconds.size() > 4 || seconds.find_first_not_of("0123456789") != std::string::npos ||
        (!seconds.empty() && options->verifySeconds < 1))
      return "Invalid value for option --verify: " + seconds + " (a number of seconds, 1 to 9999)";
  }
  // Zipped modules cost start-up time that a startup cache wins back.
  std::string compress = text(raw.compress);
  options->compression = raw.startupCache ? PackCompression::Zip : PackCompression::None;
  if (compress == "zip") options->compression = PackCompression::Zip;
  else if (compress == "none") options->compression = PackCompression::None;
  else if (!compress.empty())
    return "Invalid value for option --compress: " + compress + " (none or zip)";
  options->icon = text(raw.icon);
  options->vendor = text(raw.vendor);
  options->description = text(raw.description);
  options->copyright = text(raw.copyright);
  options->vmOptions = raw.vmOptions;
  options->startupCache = raw.startupCache;
  std::string training = checkTraining(raw, options);
  if (training.empty()) training = checkDesktopOptions(raw, options);
  if (!training.empty()) return training;
  options->splash = text(raw.splash);
  options->zip = raw.zip;
  options->force = raw.force;
  return fillInstallerOptions(raw, options);
}

}  // namespace

const char* targetName(PackTarget target) {
  return target == PackTarget::Windows ? "windows" : "linux";
}

bool parseAppVersion(const std::string& text, unsigned short parts[4]) {
  size_t count = 0, start = 0;
  for (int i = 0; i < 4; ++i) parts[i] = 0;
  while (true) {
    size_t dot = text.find('.', start);
    std::string part = text.substr(start, dot == std::string::npos ? dot : dot - start);
    if (count == 4 || part.empty() || part.size() > 5 ||
        part.find_first_not_of("0123456789") != std::string::npos)
      return false;
    unsigned long value = std::strtoul(part.c_str(), nullptr, 10);
    if (value > 65535) return false;
    parts[count++] = static_cast<unsigned short>(value);
    if (dot == std::string::npos) return true;
    start = dot + 1;
  }
}

PackCommandLine parsePackCommandLine(const std::vector<std::string>& arguments) {
  PackCommandLine result;
  RawOptions raw;
  std::vector<tabopt_option> table = optionTable(&raw);
  std::unique_ptr<tabopt_context, void (*)(tabopt_context*)> context(
      create_context(table.data()), destroy_context);
  if (!context) {
    result.error = "Insufficient memory";
    return result;
  }
  std::vector<char*> vector;
  vector.reserve(arguments.size() + 1);
  for (const std::string& argument : arguments)
    vector.push_back(const_cast<char*>(argument.c_str()));
  vector.push_back(nullptr);
  char** rest = parse_arguments(context.get(), -1, vector.data());
  if (last_error(context.get()) != no_error) {
    result.error = error_message(context.get());
  } else if (raw.help) {
    result.showHelp = true;
    const tabopt_help_layout layout = {2, 32, 0};
    std::unique_ptr<char, void (*)(void*)> help(build_help(context.get(), &layout), std::free);
    result.help = help ? help.get() : "";
  } else if (*rest) {
    result.error = std::string("Unexpected argument: ") + *rest;
  } else {
    result.error = checkRequired(raw);
    if (result.error.empty()) result.error = fillOptions(raw, &result.options);
  }
  return result;
}
