// The configuration reader: from the file's bytes to settings and
// diagnostics, with no effect on the process. The key table is here, beside
// the code that reads each key.
#include "config_keys.h"
#include "configuration.h"
#include "file_system.h"
#include "input_file.h"
#include "paths.h"
#include "text_position.h"
#include "user_options.h"

/// Reads one configuration, collecting settings and diagnostics.
struct ConfigurationReader {
  const ConfigurationInputs& inputs;
  Macros macros;
  Configuration result;

  void add(Diagnostic::Kind kind, std::string message, std::string detail) {
    Diagnostic diagnostic;
    diagnostic.kind = kind;
    diagnostic.message = std::move(message);
    diagnostic.detail = std::move(detail);
    result.diagnostics.push_back(std::move(diagnostic));
  }
  void warn(std::string message, std::string detail) {
    add(Diagnostic::Kind::warning, std::move(message), std::move(detail));
  }
  void quiet(std::string detail, bool isError = false) {
    add(Diagnostic::Kind::quiet, std::string(), std::move(detail));
    result.diagnostics.back().quietError = isError;
  }
  void fail(std::string message, std::string detail, TextPosition position = {0, 0}) {
    add(Diagnostic::Kind::error, std::move(message), std::move(detail));
    result.diagnostics.back().line = position.line;
    result.diagnostics.back().column = position.column;
  }
  /// "ignoring WHAT of 'KEY' in FILE: " as the launcher's warnings begin.
  std::string ignoring(const std::string& what, const char* key) const {
    return "ignoring " + what + " of '" + key + "' in " + inputs.configPath + ": ";
  }
  /// Warns of a value that is not a string or holds a NUL byte; true when usable.
  bool usableString(const JsonValue& value, const std::string& what, const char* key) {
    const std::string subject = what + " of '" + key + "'";
    if (value.type() != JsonType::String) {
      const char* kind = describeKind(value.type());
      warn(ignoring(what, key) + "expected a string, found " + kind,
           subject + " is " + kind + ": expected a string; the launcher skips it");
      return false;
    }
    if (!holdsNulByte(value.text())) return true;
    warn(ignoring(what, key) + "it holds a NUL byte",
         subject + " holds a NUL byte; the launcher skips it");
    return false;
  }

  bool parse(JsonDocument* document);
  void readKey(const ConfigKey& key, const JsonValue& root);
};

namespace {

std::string encodingHint(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF")
    return " (the file starts with a UTF-8 byte order mark, which the launcher does not "
           "accept: save it without one)";
  if (looksLikeUtf16(text)) return " (the file looks like UTF-16: save it as UTF-8)";
  return std::string();
}

bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// ---- the keys, in reading order ------------------------------------------

void readEnvironment(ConfigurationReader& reader, const JsonValue* env) {
  if (!env) return;
  Configuration& result = reader.result;
  result.hasEnvironment = true;
  for (uint64_t i = 0; i < env->size(); ++i) {
    const std::string name(env->key(i));
    const JsonValue value = env->memberValue(i);
    if (!reader.usableString(value, "member '" + name + "'", "env")) continue;
    if (holdsNulByte(name)) {
      const std::string shown = "member '" + showNulBytes(name) + "'";
      reader.warn(reader.ignoring(shown, "env") + "it holds a NUL byte",
                  shown + " of 'env' holds a NUL byte; the launcher skips it");
      continue;
    }
    if (name.empty() || name.find('=') != std::string::npos)
      reader.quiet("member '" + name +
                   "' of 'env': a variable name must not be empty or hold '='; the launcher "
                   "cannot set it");
    result.environment.emplace_back(name, expandMacros(value.text(), reader.macros));
  }
}

/// The effective VM options: the configured ones (only without -J options,
/// which replace them entirely), the user's file, then the -J options.
void readVmArgs(ConfigurationReader& reader, const JsonValue* vmArgs) {
  const ConfigurationInputs& inputs = reader.inputs;
  Configuration& result = reader.result;
  for (uint64_t i = 0; vmArgs && inputs.commandLineVmArgs.empty() && i < vmArgs->size(); ++i) {
    const JsonValue element = vmArgs->element(i);
    if (reader.usableString(element, "element " + std::to_string(i + 1), "vmArgs"))
      result.vmArgs.push_back(expandMacros(element.text(), reader.macros));
  }
  result.userOptionsRead = readUserOptions(inputs.userOptionsPath, reader.macros,
                                           &result.vmArgs, &result.diagnostics);
  result.vmArgs.insert(result.vmArgs.end(), inputs.commandLineVmArgs.begin(),
                       inputs.commandLineVmArgs.end());
}

/// A main class of a named module needs the module path among the VM
/// options ("vmArgs" comes before "mainClass").
void checkModulePath(ConfigurationReader& reader, const std::string& module,
                     const std::string& name) {
  if (module.empty()) return;
  for (const std::string& option : reader.result.vmArgs)
    if (option.rfind("--module-path=", 0) == 0 || option.rfind("-Djdk.module.path=", 0) == 0)
      return;
  reader.quiet(name + " names a class of module '" + module +
               "', but no VM option gives the module path (--module-path=DIR): the Java VM "
               "will not find the module");
}

const char* const mainClassExample = ", such as \"com.example.Main\"";

void readMainClass(ConfigurationReader& reader, const JsonValue* value) {
  if (!value) return;
  const std::string mainClass(value->text());
  const std::string name = "'mainClass' " + quotedText(mainClass);
  if (mainClass.empty())
    reader.quiet(std::string("'mainClass' is empty: expected the name of the main class") +
                     mainClassExample,
                 true);
  else if (holdsNulByte(mainClass))
    reader.quiet(name + " holds a NUL byte: the launcher cannot look up such a class", true);
  else if (endsWith(mainClass, ".class") || endsWith(mainClass, ".java"))
    reader.quiet(name + " names a file: expected the class name without extension", true);
  else
    checkModulePath(reader, splitMainClass(mainClass).module, name);
  reader.result.mainClass = mainClass;
}

void readClassPath(ConfigurationReader& reader, const JsonValue* value) {
  if (!value) return;
  if (value->size() == 0)
    reader.quiet("'classPath' is empty: the Java VM will find no application classes");
  const ClassPathSource source{reader.inputs.configPath, reader.inputs.workingDirectory,
                               reader.macros};
  reader.result.classPath = expandClassPath(*value, source, &reader.result.diagnostics);
}

void readArgs(ConfigurationReader& reader, const JsonValue* args) {
  for (uint64_t i = 0; args && i < args->size(); ++i) {
    const JsonValue element = args->element(i);
    if (reader.usableString(element, "element " + std::to_string(i + 1), "args"))
      reader.result.args.push_back(expandMacros(element.text(), reader.macros));
  }
}

void readStartupCache(ConfigurationReader& reader, const JsonValue* value) {
  if (value) reader.result.startupCache = value->type() == JsonType::True;
}

/// Why Windows would refuse `id` as an AppUserModelID (at most 128
/// characters, no spaces); empty when it takes it.
std::string appUserModelIdProblem(const std::string& id) {
  size_t characters = 0;
  bool spaced = false;
  for (unsigned char c : id) {
    characters += (c & 0xC0) != 0x80;
    spaced = spaced || c <= ' ' || c == 0x7F;
  }
  if (id.empty()) return " is empty";
  if (spaced) return " holds a space or a control character";
  return characters > 128 ? " is too long" : "";
}

void readAppUserModelId(ConfigurationReader& reader, const JsonValue* value) {
  if (!value) return;
  const std::string id(value->text());
  const std::string problem = appUserModelIdProblem(id);
  if (problem.empty()) {
    reader.result.appUserModelId = id;
    return;
  }
  reader.quiet("'appUserModelId' " + quotedText(id) + problem +
               ": Windows takes an ID of at most 128 characters without spaces, such as "
               "\"Vendor.App\"; the launcher ignores it");
}

}  // namespace

bool namesStaticMethod(std::string_view method) {
  const size_t dot = method.rfind('.');
  return !holdsNulByte(method) && dot != std::string_view::npos && dot != 0 &&
         dot + 1 != method.size();
}

bool isRestartExitCode(long long status) { return status >= 1 && status <= 255; }

namespace {

/// true, or the static method that takes the later launches.
void readSingleInstance(ConfigurationReader& reader, const JsonValue* value) {
  if (!value) return;
  reader.result.singleInstance = value->type() != JsonType::False;
  if (value->type() != JsonType::String) return;
  const std::string method(value->text());
  if (!namesStaticMethod(method))
    reader.quiet("'singleInstance' " + quotedText(method) +
                 " names no static method of a class, such as \"com.example.App.onLaunch\"; "
                 "later launches will reach no method");
  reader.result.launchReceiver = method;
}

void readRestartExitCode(ConfigurationReader& reader, const JsonValue* value) {
  if (!value) return;
  const bool integer = value->type() == JsonType::Integer;
  if (integer && isRestartExitCode(value->integerValue())) {
    reader.result.restartExitCode = value->integerValue();
    return;
  }
  const std::string shown =
      integer ? "is " + std::to_string(value->integerValue()) : std::string("is no whole number");
  reader.quiet("'restartExitCode' " + shown +
               ": expected an exit status from 1 to 255; the launcher ignores it");
}

void readSplash(ConfigurationReader& reader, const JsonValue* value) {
  if (!value) return;
  if (holdsNulByte(value->text()))
    reader.quiet("'splash' holds a NUL byte; the launcher ignores it");
  else
    reader.result.splashImage = std::string(value->text());
}

}  // namespace

const std::vector<ConfigKey>& configKeys() {
  static const std::vector<ConfigKey> keys = {
      {"env", kindObject, "an object of \"NAME\": \"value\" members", nullptr,
       readEnvironment},
      {"vmArgs", kindArray, "an array of strings such as [\"-Xmx512m\"]", nullptr, readVmArgs},
      {"mainClass", kindString,
       "a string naming the main class, such as \"com.example.Main\"",
       "no 'mainClass' element found in config!", readMainClass},
      {"classPath", kindArray,
       "an array of class path entries such as [\"app.jar\", \"lib/deps.txt\"]",
       "no 'classPath' array found in config!", readClassPath},
      {"args", kindArray,
       "an array of strings, the arguments main gets before the command line's, such as "
       "[\"--data\", \"$APPDIR/data\"]",
       nullptr, readArgs},
      {"startupCache", kindBoolean, "true or false", nullptr, readStartupCache},
      {"splash", kindString, "the file name of a PNG, GIF or JPEG image", nullptr, readSplash},
      {"appUserModelId", kindString,
       "the identity Windows groups the app's windows and shortcuts under, such as "
       "\"Vendor.App\"",
       nullptr, readAppUserModelId},
      {"singleInstance", kindBoolean | kindString,
       "true, or the static method that takes later launches, such as "
       "\"com.example.App.onLaunch\"",
       nullptr, readSingleInstance},
      {"restartExitCode", kindNumber,
       "the exit status with which the app asks to be restarted, such as 3", nullptr,
       readRestartExitCode},
  };
  return keys;
}

bool ConfigurationReader::parse(JsonDocument* document) {
  const std::string failed = "failed to load configuration: " + inputs.configPath;
  std::string text;
  bool opened = false;
  const int failure =
      readInputFile(resolvePath(inputs.workingDirectory, inputs.configPath), &text, &opened);
  if (failure) {
    fail(failed, (opened ? "cannot read file: " : "cannot open file: ") +
                     inputFileError(failure));
    return false;
  }
  const std::string hint = encodingHint(text);
  const size_t nul = text.find('\0');
  if (nul != std::string::npos) {
    add(Diagnostic::Kind::quiet, "", "NUL byte: the launcher ignores everything from here on");
    const TextPosition position = textPositionOf(text, nul);
    result.diagnostics.back().line = position.line;
    result.diagnostics.back().column = position.column;
    text.resize(nul);
  }
  *document = parseJson(text);
  if (!document->ok())
    fail(failed, document->errorMessage() + hint,
         {document->errorLine(), document->errorColumn()});
  return document->ok();
}

/// Reports a key that is missing or of another kind as its row says, then
/// reads it.
void ConfigurationReader::readKey(const ConfigKey& key, const JsonValue& root) {
  const uint64_t index = root.findKey(key.name);
  const bool present = index != root.size();
  const JsonValue value = present ? root.memberValue(index) : JsonValue();
  const bool usable = present && isOfKind(key.kinds, value.type());
  const std::string found =
      present ? std::string("is ") + describeKind(value.type()) : "is missing";
  const std::string expected = std::string(": expected ") + key.expected;
  if (!usable && key.requiredError)
    fail(key.requiredError, '\'' + std::string(key.name) + "' " + found + expected);
  else if (!usable && present)
    quiet('\'' + std::string(key.name) + "' " + found + expected + "; the launcher ignores it");
  key.read(*this, usable ? &value : nullptr);
}

Configuration readConfiguration(const ConfigurationInputs& inputs) {
  ConfigurationReader reader{inputs, Macros{inputs.appDirectory, inputs.environment},
                             Configuration()};
  Configuration& result = reader.result;
  JsonDocument document;
  if (!reader.parse(&document)) return std::move(result);
  const JsonValue root = document.root();
  if (root.type() != JsonType::Object) {
    // The launcher names the first key it cannot do without.
    for (const ConfigKey& key : configKeys())
      if (key.requiredError) {
        reader.fail(key.requiredError, "the root is an array: expected an object with " +
                                           listOfConfigKeys(true));
        break;
      }
    return std::move(result);
  }
  for (uint64_t i = 0; i < root.size(); ++i) result.keys.emplace_back(root.key(i));
  for (const ConfigKey& key : configKeys()) reader.readKey(key, root);
  return std::move(result);
}

std::string defaultConfigurationFile(const std::string& workingDirectory,
                                     const std::string& appName) {
  const std::string own = appName + ".json";
  if (appName.empty()) return "config.json";
  const FileStamp stamp = statFile(resolvePath(workingDirectory, own));
  return stamp.exists && !stamp.directory ? own : "config.json";
}

MainClass splitMainClass(const std::string& mainClass) {
  const size_t slash = mainClass.find('/');
  const bool modular = slash != std::string::npos && slash > 0 &&
                       mainClass.find('/', slash + 1) == std::string::npos &&
                       mainClass.find('.', slash + 1) != std::string::npos;
  if (!modular) return {std::string(), mainClass};
  return {mainClass.substr(0, slash), mainClass.substr(slash + 1)};
}
