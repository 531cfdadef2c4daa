#include "extra_launchers.h"

#include "json.h"
#include "whole_file.h"

namespace {

/// The largest launcher file read.
constexpr unsigned long long maximumSpecBytes = 1u << 20;

bool fail(std::string* error, const std::string& message) {
  *error = message;
  return false;
}

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool readStrings(const JsonValue& value, std::vector<std::string>* strings) {
  if (value.type() != JsonType::Array) return false;
  for (uint64_t i = 0; i < value.size(); ++i) {
    if (value.element(i).type() != JsonType::String) return false;
    strings->emplace_back(value.element(i).text());
  }
  return true;
}

bool readJsonSpec(const std::string& text, LauncherSpec* spec, std::string* problem) {
  JsonDocument document = parseJson(text);
  if (!document.ok()) {
    *problem = document.errorMessage() + " at line " + std::to_string(document.errorLine());
    return false;
  }
  const JsonValue root = document.root();
  if (root.type() != JsonType::Object) return fail(problem, "expected an object");
  for (uint64_t i = 0; i < root.size(); ++i) {
    const std::string key(root.key(i));
    const JsonValue value = root.memberValue(i);
    const JsonType type = value.type();
    bool ok = true;
    if (key == "mainClass") {
      ok = type == JsonType::String;
      if (ok) spec->mainClass = value.text();
    } else if (key == "args") {
      ok = readStrings(value, &spec->arguments);
    } else if (key == "vmArgs") {
      ok = readStrings(value, &spec->vmOptions);
    } else if (key == "console") {
      ok = type == JsonType::True || type == JsonType::False;
      spec->console = type == JsonType::True;
    } else {
      return fail(problem, "unknown key '" + key + "' (mainClass, args, vmArgs, console)");
    }
    if (!ok) return fail(problem, "'" + key + "' is of the wrong kind");
  }
  return true;
}

std::string trimmed(const std::string& text) {
  size_t start = text.find_first_not_of(" \t\r");
  if (start == std::string::npos) return std::string();
  return text.substr(start, text.find_last_not_of(" \t\r") + 1 - start);
}

bool readPropertiesSpec(const std::string& text, LauncherSpec* spec, std::string* problem) {
  size_t start = 0;
  for (int line = 1; start < text.size(); ++line) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string content = trimmed(text.substr(start, end - start));
    start = end + 1;
    if (content.empty() || content[0] == '#' || content[0] == '!') continue;
    size_t separator = content.find_first_of("=:");
    if (separator == std::string::npos)
      return fail(problem, "line " + std::to_string(line) + " is not KEY=VALUE");
    const std::string key = trimmed(content.substr(0, separator));
    const std::string value = trimmed(content.substr(separator + 1));
    if (key == "main-class")
      spec->mainClass = value;
    else if (key == "arguments")
      spec->arguments = splitArguments(value);
    else if (key == "vm-options")
      spec->vmOptions = splitArguments(value);
    else if (key == "console" && (value == "true" || value == "false"))
      spec->console = value == "true";
    else if (key == "console")
      return fail(problem, "console is true or false");
    else
      return fail(problem, "unknown key '" + key + "' on line " + std::to_string(line) +
                               " (main-class, arguments, vm-options, console)");
  }
  return true;
}

}  // namespace

std::vector<std::string> splitArguments(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, inWord = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

bool readLauncherSpec(const ExtraLauncher& launcher, LauncherSpec* spec, std::string* error) {
  std::string text, problem;
  *spec = LauncherSpec();
  spec->name = launcher.name;
  if (!readFileUpTo(launcher.file, maximumSpecBytes, &text, &problem))
    return fail(error, "cannot read the launcher file " + launcher.file + ": " + problem);
  bool ok = endsWith(launcher.file, ".json") ? readJsonSpec(text, spec, &problem)
                                             : readPropertiesSpec(text, spec, &problem);
  if (!ok) return fail(error, "cannot use the launcher file " + launcher.file + ": " + problem);
  return true;
}
