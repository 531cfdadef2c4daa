// Fuzzes the configuration loader with class path expansion. The first input
// byte chooses the settings (bit 0 verbose, bit 1 VM options from the command
// line); the rest, split at the byte 0x1E (which no valid JSON text holds
// outside strings, and no string holds raw), gives config.json, a.txt and
// b.txt in a directory of the process's own, which also holds a
// subdirectory dir.txt. Missing pieces leave their files missing. (FIFOs and
// devices are left to the hostile-input tests.)
//
// Each run starts from fresh settings and ends with the loader's result: the
// planned settings, or the launch's end with status 1. The variables
// of "env" go to a table of the harness instead of the process environment,
// which keeps every value it was ever given and would grow without end. The
// macros expand from the process environment, as in the launcher.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "json.h"
#include "launch_plan.h"
#include "load_configuration.h"
#include "macros.h"
#include "platform.h"

namespace {

/// The variables set during the current run, in call order.
std::vector<std::pair<std::string, std::string>> variablesSet;

std::string directory;

const char* const inputFiles[] = {"config.json", "a.txt", "b.txt"};

void removeFiles() {
  for (const char* name : inputFiles) unlink(name);
  rmdir("dir.txt");
  if (!directory.empty()) rmdir(directory.c_str());
}

void writeFile(const char* name, const std::string& bytes) {
  std::FILE* file = std::fopen(name, "wb");
  check(file != nullptr);
  check(std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
  check(std::fclose(file) == 0);
}

bool isUsableString(const JsonValue& value) {
  return value.type() == JsonType::String &&
         value.text().find('\0') == std::string_view::npos;
}

/// The member `key` of `root` when it has the kind `type`.
bool member(const JsonValue& root, const char* key, JsonType type, JsonValue& value) {
  const uint64_t index = root.findKey(key);
  if (index == root.size()) return false;
  value = root.memberValue(index);
  return value.type() == type;
}

/// `value` with the macros replaced as the loader sees them: no $APPDIR (the
/// settings do not know the launcher's folder), ${NAME} from the environment.
std::string expanded(std::string_view value) {
  return expandMacros(value, Macros{std::string(), environmentValue});
}

/// Every member of "env" with a string value free of NUL bytes, in stored
/// order, minus the names setenv refuses.
std::vector<std::pair<std::string, std::string>> expectedVariables(const JsonValue& root) {
  std::vector<std::pair<std::string, std::string>> expected;
  JsonValue env;
  if (!member(root, "env", JsonType::Object, env)) return expected;
  for (uint64_t i = 0; i < env.size(); ++i) {
    const std::string name(env.key(i));
    const JsonValue value = env.memberValue(i);
    if (name.empty() || name.find_first_of(std::string("=\0", 2)) != std::string::npos ||
        !isUsableString(value))
      continue;
    expected.emplace_back(name, expanded(value.text()));
  }
  return expected;
}

std::vector<std::string> expectedVmArgs(const JsonValue& root, bool fromCommandLine) {
  if (fromCommandLine) return {"-Xcli"};
  std::vector<std::string> expected;
  JsonValue vmArgs;
  if (!member(root, "vmArgs", JsonType::Array, vmArgs)) return expected;
  for (uint64_t i = 0; i < vmArgs.size(); ++i)
    if (isUsableString(vmArgs.element(i)))
      expected.push_back(expanded(vmArgs.element(i).text()));
  return expected;
}

/// What the loader must have found when it returned `settings`.
void checkReturned(const LaunchSettings& settings, const std::string& configText,
                   bool vmArgsFromCommandLine) {
  const JsonDocument document = parseJson(configText.substr(0, configText.find('\0')));
  check(document.ok() && document.root().type() == JsonType::Object);
  const JsonValue root = document.root();
  JsonValue mainClass;
  check(member(root, "mainClass", JsonType::String, mainClass));
  check(mainClass.text() == settings.mainClass);
  check(variablesSet == expectedVariables(root));
  check(settings.vmArgs == expectedVmArgs(root, vmArgsFromCommandLine));
  for (const std::string& entry : settings.classPath)
    check(!entry.empty() && entry.find('\0') == std::string::npos);
  for (const std::string& option : settings.vmArgs)
    check(option.find('\0') == std::string::npos);
}

}  // namespace

// The loader's only way into the process environment, refusing what setenv
// refuses.
bool setEnvironmentVariable(const std::string& name, const std::string& value) {
  check(name.find('\0') == std::string::npos && value.find('\0') == std::string::npos);
  if (name.empty() || name.find('=') != std::string::npos) return false;
  variablesSet.emplace_back(name, value);
  return true;
}

// The loader's lines, as the platform writes them (the rest of the
// platform layer is left out, see above).
void printLine(const std::string& line) { std::printf("%s\n", line.c_str()); }
void printErrorLine(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

namespace {

/// Makes the process's directory and enters it.
void enterDirectory() {
  const char* temporary = std::getenv("TMPDIR");
  std::string pattern = std::string(temporary ? temporary : "/tmp") + "/config-fuzz-XXXXXX";
  check(mkdtemp(&pattern[0]) != nullptr);
  directory = pattern;
  check(chdir(directory.c_str()) == 0);
  check(mkdir("dir.txt", 0700) == 0);
  std::atexit(removeFiles);
}

/// libFuzzer reads the corpus directories and files named on the command
/// line after this process has changed its directory: they are made
/// absolute first.
void makePathsAbsolute(int argc, char** argv) {
  static std::vector<std::string> paths;
  paths.reserve(static_cast<size_t>(argc));
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] == '-') continue;
    paths.push_back(std::filesystem::absolute(argv[i]).string());
    argv[i] = &paths.back()[0];
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  makePathsAbsolute(*argc, *argv);
  enterDirectory();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::vector<std::string> pieces(1);
  for (size_t i = 1; i < size; ++i) {
    if (data[i] == 0x1E)
      pieces.emplace_back();
    else
      pieces.back() += static_cast<char>(data[i]);
  }
  for (size_t i = 0; i < 3; ++i) {
    if (i < pieces.size())
      writeFile(inputFiles[i], pieces[i]);
    else
      unlink(inputFiles[i]);
  }

  LaunchSettings settings;
  settings.verbose = data[0] & 1;
  const bool vmArgsFromCommandLine = data[0] & 2;
  if (vmArgsFromCommandLine) settings.vmArgs.push_back("-Xcli");
  variablesSet.clear();
  StepResult<Configuration> configuration = loadConfiguration(settings);
  if (configuration.stops()) {
    check(*configuration.exitStatus == 1);
    return 0;
  }
  const LaunchPlan plan = planLaunch(std::move(settings), std::move(configuration.value));
  applyEnvironment(plan);
  checkReturned(plan.settings, pieces[0], vmArgsFromCommandLine);
  return 0;
}
