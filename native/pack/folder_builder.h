// Building an app folder, step by step, in a folder of its own.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "pack_inputs.h"
#include "pack_options.h"

class FolderBuilder {
 public:
  /// Asked between the steps: true stops the builder.
  using StopCheck = bool (*)();

  FolderBuilder(const PackOptions& options, const PackInputs& inputs, const std::string& folder,
                std::ostream& progress)
      : options_(options), inputs_(inputs), folder_(folder), progress_(progress) {}

  /// Runs the steps in order while they succeed and `stop` allows.
  bool build(StopCheck stop, std::string* error);

  static bool stopped(StopCheck stop, std::string* error);

  static constexpr const char* interruptedText = "interrupted; nothing was left behind";

 private:
  std::string at(const std::string& relative) const;
  bool copyApp(std::string* error);
  bool makeJre(std::string* error);
  bool settleVmOptions(std::string* error);
  bool copyLaunchers(std::string* error);
  bool writeSplash(std::string* error);
  bool writeConfigurations(std::string* error);
  bool writeDesktopFiles(std::string* error);
  bool signPrograms(std::string* error);
  /// With --startup-cache for this machine: the training run, once the
  /// folder is complete.
  bool recordCache(std::string* error);
  bool writeLauncher(const std::string& name, const std::string& branded, std::string* error);
  bool writeConfiguration(const std::string& fileName, const std::string& mainClass,
                          const std::vector<std::string>& vmArgs,
                          const std::vector<std::string>& args, std::string* error);
  void warn(const std::string& message);

  const PackOptions& options_;
  const PackInputs& inputs_;
  std::string folder_;
  std::ostream& progress_;
  StopCheck stop_ = nullptr;
  std::vector<std::string> vmOptions_;  ///< settled once the runtime is there
  std::string splash_;                  ///< the splash image's name in the folder
};
