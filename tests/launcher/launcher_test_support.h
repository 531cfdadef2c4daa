// Shared helpers of the launcher tests.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "command_line.h"

/// A null-terminated argument vector over copies of `arguments`.
class ArgumentVector {
 public:
  explicit ArgumentVector(std::vector<std::string> arguments)
      : storage_(std::move(arguments)) {
    for (std::string& argument : storage_) pointers_.push_back(&argument[0]);
    pointers_.push_back(nullptr);
  }
  int count() const { return static_cast<int>(storage_.size()); }
  char** data() { return pointers_.data(); }

 private:
  std::vector<std::string> storage_;
  std::vector<char*> pointers_;
};

/// parseCommandLine over `arguments`, on top of the launcher's settings `own`.
inline StepResult<LaunchSettings> parse(const std::vector<std::string>& arguments,
                                        LaunchSettings own = LaunchSettings()) {
  ArgumentVector argv(arguments);
  return parseCommandLine(argv.count(), argv.data(), std::move(own));
}
