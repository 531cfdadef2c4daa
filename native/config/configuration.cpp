#include "configuration.h"

#include <iostream>

#include "class_path.h"
#include "launch_settings.h"
#include "platform.h"

namespace {

/// Finds `key` in an object root and stores its value. False when the root
/// is not an object, lacks the key, or the value is not of kind `type`.
bool findMember(const JsonValue& root, std::string_view key, JsonType type,
                JsonValue& value) {
  if (root.type() != JsonType::Object) return false;
  const uint64_t index = root.findKey(key);
  if (index == root.size()) return false;
  value = root.memberValue(index);
  return value.type() == type;
}

[[noreturn]] void fail(const std::string& message) {
  std::cerr << "Error: " << message << std::endl;
  exitProcess(1);
}

/// Sets the variables of "env", in the document's member order.
void setUpEnvironment(const JsonValue& env) {
  if (launchSettings.verbose) std::cout << "Setting up env..." << std::endl;
  for (uint64_t i = 0; i < env.size(); ++i) {
    const std::string name(env.key(i));
    const JsonValue value = env.memberValue(i);
    if (value.type() != JsonType::String) {
      warnNotString("member '" + name + "'", "env", value.type());
      continue;
    }
    const std::string text(value.text());
    if (holdsNulByte(name) || holdsNulByte(text)) {
      warnNulByte("member '" + showNulBytes(name) + "'", "env");
      continue;
    }
    if (launchSettings.verbose) std::cout << "  " << name << '=' << text << std::endl;
    // A name the platform refuses (empty, or holding '=') is passed over.
    setEnvironmentVariable(name, text);
  }
}

void appendVmArgs(const JsonValue& array) {
  for (uint64_t i = 0; i < array.size(); ++i) {
    const JsonValue element = array.element(i);
    const std::string what = "element " + std::to_string(i + 1);
    if (element.type() != JsonType::String)
      warnNotString(what, "vmArgs", element.type());
    else if (holdsNulByte(element.text()))
      warnNulByte(what, "vmArgs");
    else
      launchSettings.vmArgs.emplace_back(element.text());
  }
}

/// "startupCache" (a boolean) and "splash" (a file name); other kinds are
/// left for vantrel-check to report.
void readStartupSettings(const JsonValue& root) {
  JsonValue value;
  if (findMember(root, "startupCache", JsonType::True, value)) launchSettings.startupCache = true;
  if (findMember(root, "splash", JsonType::String, value) && !holdsNulByte(value.text()))
    launchSettings.splashImage = std::string(value.text());
}

}  // namespace

const char* describeKind(JsonType type) {
  switch (type) {
    case JsonType::Integer:
    case JsonType::Double:
      return "a number";
    case JsonType::Null:
      return "null";
    case JsonType::False:
    case JsonType::True:
      return "a boolean";
    case JsonType::String:
      return "a string";
    case JsonType::Array:
      return "an array";
    case JsonType::Object:
      return "an object";
  }
  return "an unknown value";
}

void warnNotString(const std::string& what, const char* key, JsonType found) {
  std::cerr << "Warning: ignoring " << what << " of '" << key << "' in "
            << launchSettings.configPath << ": expected a string, found "
            << describeKind(found) << std::endl;
}

bool holdsNulByte(std::string_view text) {
  return text.find('\0') != std::string_view::npos;
}

void warnNulByte(const std::string& what, const char* key) {
  std::cerr << "Warning: ignoring " << what << " of '" << key << "' in "
            << launchSettings.configPath << ": it holds a NUL byte" << std::endl;
}

std::string showNulBytes(std::string_view text) {
  std::string shown;
  for (char c : text) {
    if (c == '\0')
      shown += "\\u0000";
    else
      shown += c;
  }
  return shown;
}

void loadConfiguration() {
  const JsonDocument document = loadJsonFile(launchSettings.configPath);
  if (!document.ok()) fail("failed to load configuration: " + launchSettings.configPath);
  const JsonValue root = document.root();
  JsonValue value;
  if (findMember(root, "env", JsonType::Object, value)) setUpEnvironment(value);
  // VM options from the command line replace the configured ones entirely.
  if (launchSettings.vmArgs.empty() && findMember(root, "vmArgs", JsonType::Array, value))
    appendVmArgs(value);
  if (!findMember(root, "mainClass", JsonType::String, value))
    fail("no 'mainClass' element found in config!");
  launchSettings.mainClass = std::string(value.text());
  if (!findMember(root, "classPath", JsonType::Array, value))
    fail("no 'classPath' array found in config!");
  launchSettings.classPath = expandClassPath(value);
  readStartupSettings(root);
}
