// The configuration reader: from the file's bytes to settings and
// diagnostics, with no effect on the process.
#include <cstring>

#include "configuration.h"
#include "input_file.h"
#include "user_options.h"

namespace {

const char* const mainClassExample = ", such as \"com.example.Main\"";

/// Reads one configuration, collecting settings and diagnostics.
struct Reader {
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
  void fail(std::string message, std::string detail, uint64_t line = 0,
            uint64_t column = 0) {
    add(Diagnostic::Kind::error, std::move(message), std::move(detail));
    result.diagnostics.back().line = line;
    result.diagnostics.back().column = column;
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
  void readEnvironment(const JsonValue& root);
  void readVmArgs(const JsonValue& root);
  void readMainClass(const JsonValue& root);
  void readClassPath(const JsonValue& root);
  void readStartupOptions(const JsonValue& root);
};

/// Line and column of `offset`, counted as the parser counts them: CR LF,
/// CR and LF are one line break each, columns count bytes from 1.
void positionOf(std::string_view text, size_t offset, uint64_t& line, uint64_t& column) {
  line = column = 1;
  for (size_t i = 0; i < offset; ++i) {
    const bool crlf = text[i] == '\r' && i + 1 < offset && text[i + 1] == '\n';
    if (text[i] == '\n' || (text[i] == '\r' && !crlf)) {
      ++line;
      column = 1;
    } else if (!crlf) {
      ++column;
    }
  }
}

std::string encodingHint(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF")
    return " (the file starts with a UTF-8 byte order mark, which the launcher does not "
           "accept: save it without one)";
  if (looksLikeUtf16(text)) return " (the file looks like UTF-16: save it as UTF-8)";
  return std::string();
}

bool Reader::parse(JsonDocument* document) {
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
    positionOf(text, nul, result.diagnostics.back().line, result.diagnostics.back().column);
    text.resize(nul);
  }
  *document = parseJson(text);
  if (!document->ok())
    fail(failed, document->errorMessage() + hint, document->errorLine(),
         document->errorColumn());
  return document->ok();
}

/// The value of `key` in an object root, or false when there is none.
bool member(const JsonValue& root, std::string_view key, JsonValue& value) {
  const uint64_t index = root.findKey(key);
  if (index == root.size()) return false;
  value = root.memberValue(index);
  return true;
}

void Reader::readEnvironment(const JsonValue& root) {
  JsonValue env;
  if (!member(root, "env", env)) return;
  if (env.type() != JsonType::Object) {
    quiet(std::string("'env' is ") + describeKind(env.type()) +
          ": expected an object of \"NAME\": \"value\" members; the launcher ignores it");
    return;
  }
  result.hasEnvironment = true;
  for (uint64_t i = 0; i < env.size(); ++i) {
    const std::string name(env.key(i));
    const JsonValue value = env.memberValue(i);
    if (!usableString(value, "member '" + name + "'", "env")) continue;
    if (holdsNulByte(name)) {
      const std::string shown = "member '" + showNulBytes(name) + "'";
      warn(ignoring(shown, "env") + "it holds a NUL byte",
           shown + " of 'env' holds a NUL byte; the launcher skips it");
      continue;
    }
    if (name.empty() || name.find('=') != std::string::npos)
      quiet("member '" + name +
            "' of 'env': a variable name must not be empty or hold '='; the launcher "
            "cannot set it");
    result.environment.emplace_back(name, expandMacros(value.text(), macros));
  }
}

void Reader::readVmArgs(const JsonValue& root) {
  JsonValue vmArgs;
  // VM options from the command line replace the configured ones entirely.
  if (!inputs.commandLineVmArgs.empty() || !member(root, "vmArgs", vmArgs)) return;
  if (vmArgs.type() != JsonType::Array) {
    quiet(std::string("'vmArgs' is ") + describeKind(vmArgs.type()) +
          ": expected an array of strings such as [\"-Xmx512m\"]; the launcher ignores it");
    return;
  }
  for (uint64_t i = 0; i < vmArgs.size(); ++i) {
    const JsonValue element = vmArgs.element(i);
    if (usableString(element, "element " + std::to_string(i + 1), "vmArgs"))
      result.vmArgs.push_back(expandMacros(element.text(), macros));
  }
}

bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

void Reader::readMainClass(const JsonValue& root) {
  JsonValue value;
  const bool present = member(root, "mainClass", value);
  if (!present || value.type() != JsonType::String) {
    const std::string found =
        present ? std::string("is ") + describeKind(value.type()) : "is missing";
    fail("no 'mainClass' element found in config!",
         "'mainClass' " + found + ": expected a string naming the main class" +
             mainClassExample);
    return;
  }
  result.mainClass = std::string(value.text());
  const std::string name = "'mainClass' " + quotedText(value.text());
  if (result.mainClass.empty())
    quiet(std::string("'mainClass' is empty: expected the name of the main class") +
              mainClassExample,
          true);
  else if (holdsNulByte(result.mainClass))
    quiet(name + " holds a NUL byte: the launcher cannot look up such a class", true);
  else if (endsWith(result.mainClass, ".class") || endsWith(result.mainClass, ".java"))
    quiet(name + " names a file: expected the class name without extension", true);
}

void Reader::readClassPath(const JsonValue& root) {
  JsonValue value;
  const bool present = member(root, "classPath", value);
  if (!present || value.type() != JsonType::Array) {
    const std::string found =
        present ? std::string("is ") + describeKind(value.type()) : "is missing";
    fail("no 'classPath' array found in config!",
         "'classPath' " + found +
             ": expected an array of class path entries such as [\"app.jar\", "
             "\"lib/deps.txt\"]");
    return;
  }
  if (value.size() == 0)
    quiet("'classPath' is empty: the Java VM will find no application classes");
  const ClassPathSource source{inputs.configPath, inputs.workingDirectory, macros};
  result.classPath = expandClassPath(value, source, &result.diagnostics);
}

void Reader::readStartupOptions(const JsonValue& root) {
  JsonValue value;
  if (member(root, "startupCache", value)) {
    if (value.type() == JsonType::True || value.type() == JsonType::False)
      result.startupCache = value.type() == JsonType::True;
    else
      quiet(std::string("'startupCache' is ") + describeKind(value.type()) +
            ": expected true or false; the launcher ignores it");
  }
  if (member(root, "splash", value)) {
    if (value.type() == JsonType::String && !holdsNulByte(value.text()))
      result.splashImage = std::string(value.text());
    else
      quiet(value.type() == JsonType::String
                ? std::string("'splash' holds a NUL byte; the launcher ignores it")
                : std::string("'splash' is ") + describeKind(value.type()) +
                      ": expected the file name of a PNG, GIF or JPEG image; the launcher ignores it");
  }
}

}  // namespace

Configuration readConfiguration(const ConfigurationInputs& inputs) {
  Reader reader{inputs, Macros{inputs.appDirectory, inputs.environment}, Configuration()};
  Configuration& result = reader.result;
  JsonDocument document;
  if (!reader.parse(&document)) return std::move(result);
  const JsonValue root = document.root();
  if (root.type() != JsonType::Object) {
    reader.fail("no 'mainClass' element found in config!",
                "the root is an array: expected an object with 'mainClass' and "
                "'classPath'");
    return std::move(result);
  }
  for (uint64_t i = 0; i < root.size(); ++i) result.keys.emplace_back(root.key(i));
  reader.readEnvironment(root);
  reader.readVmArgs(root);
  result.userOptionsRead = readUserOptions(inputs.userOptionsPath, reader.macros,
                                           &result.vmArgs, &result.diagnostics);
  result.vmArgs.insert(result.vmArgs.end(), inputs.commandLineVmArgs.begin(),
                       inputs.commandLineVmArgs.end());
  reader.readMainClass(root);
  reader.readClassPath(root);
  reader.readStartupOptions(root);
  return std::move(result);
}
