// Reading the launcher's configuration file into the launch settings.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "json.h"

/// Loads launchSettings.configPath: sets the variables of "env" in this
/// process, takes "vmArgs" while launchSettings.vmArgs is empty, and sets
/// mainClass and classPath. Ends the process with status 1 (exitProcess) when
/// the file cannot be loaded or lacks "mainClass" or "classPath".
void loadConfiguration();

/// Expands a "classPath" array: entries ending in ".txt" are argument files
/// whose list after the first "-classpath" token takes their place.
std::vector<std::string> expandClassPath(const JsonValue& array);

/// A value's kind as messages name it: "a string", "a number", "null", ...
const char* describeKind(JsonType type);

/// Writes "Warning: ignoring <what> of '<key>' in <configPath>: expected a
/// string, found <kind>" to standard error; the value is then skipped.
void warnNotString(const std::string& what, const char* key, JsonType found);

/// True when `text` holds a NUL byte. Such a text cannot be handed on: the
/// environment and the Java VM take NUL-terminated texts and would cut it.
bool holdsNulByte(std::string_view text);

/// Writes "Warning: ignoring <what> of '<key>' in <configPath>: it holds a
/// NUL byte" to standard error; the value is then skipped.
void warnNulByte(const std::string& what, const char* key);

/// `text` with each NUL byte written as \u0000, for messages.
std::string showNulBytes(std::string_view text);
