// Fuzzes the launcher's command-line front end. The input, split at NUL
// bytes, is the argument vector (the program path first). Each run starts
// from fresh settings, and the result is checked against the vector:
//   - the program path splits into workingDirectory and programName;
//   - outside interface mode every argument reaches javaArgs unchanged and
//     nothing else changes;
//   - in interface mode javaArgs is a tail of the vector, and every end of
//     the launch is one with status 1.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "command_line.h"
#include "fuzz_support.h"

namespace {

bool isInterfaceMode(const std::vector<std::string>& arguments) {
  return arguments.size() > 1 && (arguments[1] == "--cli" || arguments[1] == "-c");
}

void checkIdentity(const LaunchSettings& settings, const std::string& path) {
  size_t separator = path.rfind('/');
  if (separator == std::string::npos) separator = path.rfind('\\');
  if (separator == std::string::npos) {
    check(settings.programName == path);
  } else {
    check(settings.programName == path.substr(separator + 1));
  }
}

/// javaArgs equals the arguments from some position on (never argv[0]).
bool javaArgsAreATail(const LaunchSettings& settings,
                      const std::vector<std::string>& arguments) {
  const std::vector<std::string>& javaArgs = settings.javaArgs;
  if (javaArgs.size() >= arguments.size()) return false;
  const size_t first = arguments.size() - javaArgs.size();
  for (size_t i = 0; i < javaArgs.size(); ++i)
    if (javaArgs[i] != arguments[first + i]) return false;
  return true;
}

void checkPlainMode(const LaunchSettings& settings, const std::vector<std::string>& arguments) {
  const LaunchSettings fresh;
  check(settings.javaArgs.size() == arguments.size() - 1);
  check(javaArgsAreATail(settings, arguments));
  check(settings.configPath == fresh.configPath && !settings.verbose);
  check(settings.vmArgs.empty());
  size_t separator = arguments[0].rfind('/');
  if (separator == std::string::npos) separator = arguments[0].rfind('\\');
  check(settings.workingDirectory ==
        (separator == std::string::npos ? "" : arguments[0].substr(0, separator)));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Arguments pass through unconverted under a UTF-8 locale.
  setenv("LC_ALL", "C.UTF-8", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> arguments(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0)
      arguments.emplace_back();
    else
      arguments.back() += static_cast<char>(data[i]);
  }
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(&argument[0]);
  argv.push_back(nullptr);

  const int argc = static_cast<int>(arguments.size());
  const StepResult<LaunchSettings> result =
      parseCommandLine(argc, argv.data(), LaunchSettings());
  if (result.stops()) {
    check(*result.exitStatus == 1 && isInterfaceMode(arguments));
    check(result.value.javaArgs.empty());
    return 0;
  }
  checkIdentity(result.value, arguments[0]);
  if (isInterfaceMode(arguments))
    check(javaArgsAreATail(result.value, arguments));
  else
    checkPlainMode(result.value, arguments);
  return 0;
}
