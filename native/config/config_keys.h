// The keys of a configuration file, one row each: the configuration reader
// reads them in the table's order, vantrel-check judges unknown keys and
// names the known ones by it, and the packager's writer orders what it
// writes by it. Adding a key is one row (in configuration_reader.cpp, beside
// the code that reads the key's value) plus that reading code.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "json.h"

/// The kinds of value a key takes, as a set.
enum ConfigKind : unsigned {
  kindString = 1,
  kindBoolean = 2,
  kindNumber = 4,
  kindArray = 8,
  kindObject = 16,
};

/// True when a value of `type` is of one of the kinds in `kinds`.
bool isOfKind(unsigned kinds, JsonType type);

struct ConfigurationReader;  ///< the reader's state, in configuration_reader.cpp

struct ConfigKey {
  const char* name;
  unsigned kinds;  ///< ConfigKind values
  /// What the value means, as the messages say what they expected: "an
  /// array of strings such as [\"-Xmx512m\"]".
  const char* expected;
  /// The launcher's error when the key is missing or of another kind, for a
  /// key a launch cannot do without; null for one it may go without (the
  /// launcher then ignores a value of another kind).
  const char* requiredError;
  /// Reads the value; null when it is missing or of another kind (which
  /// the reader has reported already).
  void (*read)(ConfigurationReader& reader, const JsonValue* value);
};

/// True when `method` names a static method of a class ("Class.method"), as
/// the value of "singleInstance" must.
bool namesStaticMethod(std::string_view method);

/// True when `status` is an exit status "restartExitCode" takes (1 to 255).
bool isRestartExitCode(long long status);

/// The table, in reading order.
const std::vector<ConfigKey>& configKeys();

/// The row of `name` (case-sensitive), or null.
const ConfigKey* findConfigKey(std::string_view name);

/// "'env', 'vmArgs', ... and 'splash'": the keys in table order, for messages.
std::string listOfConfigKeys(bool requiredOnly);
