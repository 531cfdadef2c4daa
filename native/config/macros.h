// The two macros of configuration values and VM options files: $APPDIR, the
// launcher's own folder, and ${NAME}, a variable of the launcher's
// environment as it was before the configuration's "env" was applied.
#pragma once

#include <functional>
#include <string>
#include <string_view>

/// Looks up an environment variable: true with its value when it is set.
using EnvironmentLookup = std::function<bool(const std::string& name, std::string* value)>;

struct Macros {
  /// Replaces $APPDIR: absolute, without a trailing separator; when empty,
  /// $APPDIR is left as written.
  std::string appDirectory;
  /// Gives ${NAME}; none, or a variable that is not set, leaves it as written.
  EnvironmentLookup environment;
};

/// `text` with every "$APPDIR" and every "${NAME}" (NAME not empty, without
/// '{', '}' or '$') replaced, in one pass: replacements are not expanded
/// again, and any other '$' stays as it is.
std::string expandMacros(std::string_view text, const Macros& macros);
