// vantrel-check --config: everything the launcher would stop at, or pass
// over without a word, in one configuration and the files it names.
#include "check.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string_view>

#include "class_path.h"
#include "configuration.h"
#include "input_file.h"
#include "json.h"
#include "platform.h"
#include "startup_check.h"

namespace {

/// The diagnostics of one configuration and their counts.
struct Report {
  std::string file;       ///< the configuration path as given
  std::string directory;  ///< where the launcher runs: "" or a path ending in a separator
  int errors = 0;
  int warnings = 0;
};

void error(Report& report, const std::string& message) {
  std::cout << report.file << ": error: " << message << std::endl;
  ++report.errors;
}

void errorAt(Report& report, uint64_t line, uint64_t column, const std::string& message) {
  std::cout << report.file << ':' << line << ':' << column << ": error: " << message
            << std::endl;
  ++report.errors;
}

void warning(Report& report, const std::string& message) {
  std::cout << report.file << ": warning: " << message << std::endl;
  ++report.warnings;
}

void note(const Report& report, const std::string& message) {
  std::cout << report.file << ": note: " << message << std::endl;
}

// NUL bytes are shown as \u0000 so that the report stays plain text.
std::string quoted(std::string_view text) { return '"' + showNulBytes(text) + '"'; }

std::string keyName(std::string_view key) { return '\'' + showNulBytes(key) + '\''; }

std::string count(int n, const char* noun) {
  return std::to_string(n) + ' ' + noun + (n == 1 ? "" : "s");
}

int summarize(const Report& report) {
  if (report.errors == 0 && report.warnings == 0)
    std::cout << report.file << ": ok" << std::endl;
  else
    std::cout << report.file << ": " << count(report.errors, "error") << ", "
              << count(report.warnings, "warning") << std::endl;
  return report.errors ? 1 : 0;
}

// ---- paths, relative to the directory the launcher runs in -------------

bool isPathSeparator(char c) {
#ifdef _WIN32
  if (c == '\\') return true;
#endif
  return c == '/';
}

bool isAbsolute(const std::string& path) {
#ifdef _WIN32
  if (path.size() >= 2 && path[1] == ':') return true;
#endif
  return !path.empty() && isPathSeparator(path[0]);
}

std::string directoryOf(const std::string& path) {
  for (size_t i = path.size(); i > 0; --i)
    if (isPathSeparator(path[i - 1])) return path.substr(0, i);
  return std::string();
}

std::string resolve(const Report& report, const std::string& path) {
  return isAbsolute(path) ? path : report.directory + path;
}

bool exists(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0;
}

/// " (looked for "PATH")" when the path differs from what the user wrote.
std::string lookedFor(const Report& report, const std::string& path) {
  const std::string resolved = resolve(report, path);
  return resolved == path ? std::string() : " (looked for " + quoted(resolved) + ")";
}

// ---- the file and its syntax --------------------------------------------

/// Reads the whole file in binary mode; on failure returns the reason.
std::string readFile(const std::string& path, std::string& text) {
  std::FILE* file = openInputFile(path.c_str());
  if (!file) return "cannot open file: " + inputFileError(errno);
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  const int failure = std::ferror(file) ? (errno ? errno : EIO) : 0;
  std::fclose(file);
  return failure ? std::string("cannot read file: ") + std::strerror(failure)
                 : std::string();
}

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

/// The launcher reads the text up to its first NUL byte; cuts it there.
void cutAtNul(Report& report, std::string& text) {
  const size_t nul = text.find('\0');
  if (nul == std::string::npos) return;
  uint64_t line, column;
  positionOf(text, nul, line, column);
  std::cout << report.file << ':' << line << ':' << column
            << ": warning: NUL byte: the launcher ignores everything from here on"
            << std::endl;
  ++report.warnings;
  text.resize(nul);
}

void reportSyntaxError(Report& report, const std::string& text,
                       const JsonDocument& document) {
  std::string message = document.errorMessage();
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
    message +=
        " (the file starts with a UTF-8 byte order mark, which the launcher "
        "does not accept: save it without one)";
  errorAt(report, document.errorLine(), document.errorColumn(), message);
}

// ---- the members of the root --------------------------------------------

const char* const knownKeys[] = {"env",          "vmArgs", "mainClass",
                                 "classPath",    "startupCache", "splash"};

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

/// Reports a key that the launcher does not read; false for such a key.
bool checkKnownKey(Report& report, std::string_view key) {
  for (const char* known : knownKeys) {
    if (key == known) return true;
    if (sameIgnoringCase(key, known)) {
      warning(report, "unknown key " + keyName(key) + " is ignored; did you mean " +
                          keyName(known) + "? (keys are case-sensitive)");
      return false;
    }
  }
  warning(report, "unknown key " + keyName(key) +
                      " is ignored (the launcher reads 'env', 'vmArgs', 'mainClass' "
                      "and 'classPath')");
  return false;
}

/// Unknown keys, and keys the launcher reads that are given more than once
/// (members with equal keys are adjacent in the document's order).
void checkKeys(Report& report, const JsonValue& root) {
  for (uint64_t i = 0; i < root.size();) {
    uint64_t next = i + 1;
    while (next < root.size() && root.key(next) == root.key(i)) ++next;
    if (checkKnownKey(report, root.key(i)) && next - i > 1)
      warning(report, "key " + keyName(root.key(i)) + " appears " +
                          std::to_string(next - i) +
                          " times; the launcher uses only one of them, and which one is "
                          "not defined");
    i = next;
  }
}

/// The value of `key`, or false when the root has no such member.
bool member(const JsonValue& root, std::string_view key, JsonValue& value) {
  const uint64_t index = root.findKey(key);
  if (index == root.size()) return false;
  value = root.memberValue(index);
  return true;
}

std::string elementName(uint64_t index, const char* key) {
  return "element " + std::to_string(index + 1) + " of '" + key + "'";
}

/// Reports a value that should be a string; true when it is one.
bool checkString(Report& report, const JsonValue& value, const std::string& what) {
  if (value.type() == JsonType::String) return true;
  warning(report, what + " is " + describeKind(value.type()) +
                      ": expected a string; the launcher skips it");
  return false;
}

/// Reports a text that holds a NUL byte, which the launcher skips; true when
/// it holds none.
bool checkNul(Report& report, std::string_view text, const std::string& what) {
  if (!holdsNulByte(text)) return true;
  warning(report, what + " holds a NUL byte; the launcher skips it");
  return false;
}

// ---- env, vmArgs, mainClass ---------------------------------------------

void checkVariable(Report& report, std::string_view name, const JsonValue& value) {
  const std::string what = "member " + keyName(name) + " of 'env'";
  if (!checkString(report, value, what)) return;
  if (!checkNul(report, std::string(name) + std::string(value.text()), what)) return;
  if (name.empty() || name.find('=') != std::string_view::npos)
    warning(report, what +
                        ": a variable name must not be empty or hold '='; the "
                        "launcher cannot set it");
}

void checkEnvironment(Report& report, const JsonValue& root) {
  JsonValue env;
  if (!member(root, "env", env)) return;
  if (env.type() != JsonType::Object) {
    warning(report, std::string("'env' is ") + describeKind(env.type()) +
                        ": expected an object of \"NAME\": \"value\" members; the "
                        "launcher ignores it");
    return;
  }
  for (uint64_t i = 0; i < env.size(); ++i)
    checkVariable(report, env.key(i), env.memberValue(i));
}

void checkVmArgs(Report& report, const JsonValue& root) {
  JsonValue vmArgs;
  if (!member(root, "vmArgs", vmArgs)) return;
  if (vmArgs.type() != JsonType::Array) {
    warning(report, std::string("'vmArgs' is ") + describeKind(vmArgs.type()) +
                        ": expected an array of strings such as [\"-Xmx512m\"]; the "
                        "launcher ignores it");
    return;
  }
  for (uint64_t i = 0; i < vmArgs.size(); ++i) {
    const std::string what = elementName(i, "vmArgs");
    if (checkString(report, vmArgs.element(i), what))
      checkNul(report, vmArgs.element(i).text(), what);
  }
}

bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

void checkMainClass(Report& report, const JsonValue& root) {
  JsonValue mainClass;
  if (!member(root, "mainClass", mainClass)) {
    error(report,
          "'mainClass' is missing: expected a string naming the main class, "
          "such as \"com.example.Main\"");
  } else if (mainClass.type() != JsonType::String) {
    error(report, std::string("'mainClass' is ") + describeKind(mainClass.type()) +
                      ": expected a string naming the main class, such as "
                      "\"com.example.Main\"");
  } else if (mainClass.text().empty()) {
    error(report,
          "'mainClass' is empty: expected the name of the main class, such as "
          "\"com.example.Main\"");
  } else if (holdsNulByte(mainClass.text())) {
    error(report, "'mainClass' " + quoted(mainClass.text()) +
                      " holds a NUL byte: the launcher cannot look up such a class");
  } else if (endsWith(mainClass.text(), ".class") ||
             endsWith(mainClass.text(), ".java")) {
    error(report, "'mainClass' " + quoted(mainClass.text()) +
                      " names a file: expected the class name without extension");
  }
}

// ---- classPath and its argument files ------------------------------------

void checkEntry(Report& report, const std::string& entry, const std::string& from) {
  if (entry.empty() || exists(resolve(report, entry))) return;
  warning(report, "class path entry " + quoted(entry) + from + " does not exist" +
                      lookedFor(report, entry));
}

void checkArgumentFile(Report& report, const std::string& path) {
  const std::string name = "class path argument file " + quoted(path);
  const ArgumentFile file = readArgumentFile(resolve(report, path));
  if (!file.readable) {
    warning(report, name + lookedFor(report, path) + " cannot be read (" + file.error +
                        "); the launcher skips it");
  } else if (!file.hasMarker) {
    warning(report, name +
                        " has no \"-classpath\" token: expected \"-classpath\" "
                        "followed by a list of entries; it adds nothing");
  } else if (!file.hasList) {
    warning(report, name +
                        " ends right after its \"-classpath\" token: expected a "
                        "list of entries after it; it adds nothing");
  }
  const std::string from = " (from " + quoted(path) + ")";
  for (const std::string& entry : file.entries)
    if (checkNul(report, entry, "class path entry " + quoted(entry) + from))
      checkEntry(report, entry, from);
}

void checkClassPath(Report& report, const JsonValue& root) {
  JsonValue classPath;
  const bool present = member(root, "classPath", classPath);
  if (!present || classPath.type() != JsonType::Array) {
    const std::string found =
        present ? std::string("is ") + describeKind(classPath.type()) : "is missing";
    error(report, "'classPath' " + found +
                      ": expected an array of class path entries such as [\"app.jar\", "
                      "\"lib/deps.txt\"]");
    return;
  }
  if (classPath.size() == 0)
    warning(report, "'classPath' is empty: the Java VM will find no application classes");
  for (uint64_t i = 0; i < classPath.size(); ++i) {
    const JsonValue element = classPath.element(i);
    if (!checkString(report, element, elementName(i, "classPath")) ||
        !checkNul(report, element.text(), elementName(i, "classPath")))
      continue;
    const std::string entry(element.text());
    if (isArgumentFile(entry))
      checkArgumentFile(report, entry);
    else
      checkEntry(report, entry, "");
  }
}

void checkRuntimeLibrary(Report& report) {
  const std::string path = vmRuntimeLibraryPath;
  if (!exists(resolve(report, path)))
    error(report, "Java runtime library " + quoted(path) + lookedFor(report, path) +
                      " not found: expected the bundled Java runtime in \"jre\" next to "
                      "the configuration");
}

void checkRoot(Report& report, const JsonValue& root) {
  if (root.type() != JsonType::Object) {
    error(report,
          "the root is an array: expected an object with 'mainClass' and "
          "'classPath'");
    return;
  }
  checkKeys(report, root);
  checkEnvironment(report, root);
  checkVmArgs(report, root);
  checkMainClass(report, root);
  checkClassPath(report, root);
  for (const CheckLine& line : checkStartupSettings(root, report.directory))
    line.warning ? warning(report, line.text) : note(report, line.text);
}

}  // namespace

int checkConfigurationFile(const std::string& path) {
  Report report{path, directoryOf(path)};
  std::string text;
  const std::string failure = readFile(path, text);
  if (!failure.empty()) {
    error(report, failure);
    return summarize(report);
  }
  cutAtNul(report, text);
  const JsonDocument document = parseJson(text);
  if (!document.ok())
    reportSyntaxError(report, text, document);
  else
    checkRoot(report, document.root());
  checkRuntimeLibrary(report);
  return summarize(report);
}
