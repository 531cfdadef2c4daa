// Shared fixture of the configuration tests: each test runs in a fresh
// temporary directory with fresh launch settings.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "launch_plan.h"
#include "load_configuration.h"

class ConfigTest : public testing::Test {
 protected:
  void SetUp() override {
    original_ = std::filesystem::current_path();
    std::string path = std::filesystem::temp_directory_path() / "vantrel-config-XXXXXX";
    ASSERT_NE(mkdtemp(path.data()), nullptr);
    directory_ = path;
    std::filesystem::current_path(directory_);
  }

  void TearDown() override {
    std::filesystem::current_path(original_);
    std::filesystem::remove_all(directory_);
  }

  /// Loads the configuration for `settings` as a launch does, "env" set in
  /// this process: the planned settings, or the launch's exit status.
  StepResult<LaunchSettings> load() {
    StepResult<Configuration> configuration = loadConfiguration(settings);
    if (configuration.stops()) return StepResult<LaunchSettings>::stop(*configuration.exitStatus);
    const LaunchPlan plan = planLaunch(settings, std::move(configuration.value));
    applyEnvironment(plan);
    return {plan.settings, std::nullopt};
  }

  /// Writes `content` as the file `name` (binary), creating its directories.
  static void write(const std::string& name, const std::string& content) {
    const std::filesystem::path path(name);
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    std::ofstream(name, std::ios::binary) << content;
  }

  LaunchSettings settings;
  std::filesystem::path original_;
  std::filesystem::path directory_;
};
