// Shared pieces of the tabopt tests: argument vectors, the launcher's option
// table with a stand-in for its VM-option handler, and stderr capture.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "tabopt.h"
#include "tabopt_handlers.h"

/// An argument vector ending with a null entry, owning its texts.
class Arguments {
 public:
  Arguments(std::initializer_list<const char *> texts) : texts_(texts.begin(), texts.end()) {
    for (std::string &text : texts_) pointers_.push_back(&text[0]);
    pointers_.push_back(nullptr);
  }
  Arguments(const Arguments &) = delete;
  char **data() { return pointers_.data(); }
  size_t indexOf(char **entry) { return static_cast<size_t>(entry - pointers_.data()); }

 private:
  std::vector<std::string> texts_;
  std::vector<char *> pointers_;
};

/// Stands in for the launcher's handler of "-J": appends the value.
inline tabopt_result appendVmArg(tabopt_context *, const tabopt_option *, const char *value,
                                 void *destination) {
  if (value) static_cast<std::vector<std::string> *>(destination)->push_back(value);
  return no_error;
}

/// The launcher's eight options. Boolean values start at 2, which no handler
/// stores, so that "untouched" differs from "stored false".
struct LauncherOptions {
  unsigned char showHelp = 2, verboseFlag = 2, cliFlag = 2, consoleFlag = 2;
  const char *cwdValue = nullptr;
  const char *configValue = nullptr;
  std::vector<std::string> vmArgs;
  const tabopt_option table[9] = {
      {'c', "cli", "Enables this command line interface.", nullptr, store_boolean, &cliFlag,
       value_optional, 0},
      {'h', "help", "Shows help.", nullptr, store_boolean, &showHelp, stops_parsing, 0},
      {'?', nullptr, nullptr, nullptr, store_boolean, &showHelp, stops_parsing | not_in_help, 0},
      {0, "cwd", "Sets the working directory.", nullptr, store_string, &cwdValue, value_optional, 0},
      {0, "config", "Specifies the configuration file.", "config.json", store_string, &configValue,
       value_optional, 0},
      {'v', "verbose", "Prints additional information.", nullptr, store_boolean, &verboseFlag,
       value_optional, 0},
      {0, "console", "Attachs a console window. [Windows only]", nullptr, store_boolean,
       &consoleFlag, value_optional, 0},
      {'J', nullptr, "JVM argument", "-Xmx512m", appendVmArg, &vmArgs, 0, 0},
      {}};

  LauncherOptions() = default;
  LauncherOptions(const LauncherOptions &) = delete;

  /// The values that were stored, as "name=value" words.
  std::string summary() const {
    std::string text;
    auto add = [&text](const char *name, const std::string &value) {
      text += (text.empty() ? "" : " ") + std::string(name) + "=" + value;
    };
    const std::pair<const char *, unsigned char> flags[] = {
        {"cli", cliFlag}, {"help", showHelp}, {"verbose", verboseFlag}, {"console", consoleFlag}};
    for (const auto &flag : flags)
      if (flag.second != 2) add(flag.first, std::to_string(flag.second));
    if (cwdValue) add("cwd", cwdValue);
    if (configValue) add("config", configValue);
    for (const std::string &vmArg : vmArgs) add("J", vmArg);
    return text;
  }
};

/// What `action` writes to stderr.
inline std::string stderrOf(const std::function<void()> &action) {
  testing::internal::CaptureStderr();
  action();
  return testing::internal::GetCapturedStderr();
}

/// Owns a context for the length of a test.
struct ContextHolder {
  tabopt_context *context;
  explicit ContextHolder(const tabopt_option *table) : context(create_context(table)) {}
  ~ContextHolder() { destroy_context(context); }
  ContextHolder(const ContextHolder &) = delete;
};
