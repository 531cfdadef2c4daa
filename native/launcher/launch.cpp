#include "launch.h"

#include <cstring>
#include <string>
#include <utility>

#include "configuration.h"
#include "file_system.h"
#include "launch_settings.h"
#include "platform.h"
#include "runtime_location.h"
#include "startup.h"
#include "vm_encoding.h"
#include "vm_hooks.h"
#include "vm_task.h"

namespace {

void enterWorkingDirectory() {
  const std::string& directory = launchSettings.workingDirectory;
  if (directory.empty()) return;
  if (launchSettings.verbose)
    printLine("Changing working directory to " + directory + " ...");
  if (!changeWorkingDirectory(directory))
    printErrorLine("Warning: failed to change working directory to " + directory);
}

[[noreturn]] void fail(const char* message) {
  printErrorLine(std::string("Error: ") + message);
  exitProcess(1);
}

/// A NUL-terminated copy that the VM task releases with delete[].
char* copyText(const std::string& text) {
  char* copy = new char[text.size() + 1];
  std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

std::string classPathOption() {
  std::string option = "-Djava.class.path=";
  const std::vector<std::string>& classPath = launchSettings.classPath;
  for (size_t i = 0; i < classPath.size(); ++i) {
    if (i > 0) option += pathListSeparator;
    option += classPath[i];
  }
  return option;
}

/// Option 0 is the class path, then the VM options in their given order.
JavaVMOption* buildVmOptions(const std::string& classPath) {
  const std::vector<std::string>& vmArgs = launchSettings.vmArgs;
  JavaVMOption* options = new JavaVMOption[vmArgs.size() + 1];
  options[0].optionString = copyText(classPath);
  options[0].extraInfo = nullptr;
  for (size_t i = 0; i < vmArgs.size(); ++i) {
    if (launchSettings.verbose) printLine("  # " + vmArgs[i]);
    options[i + 1].optionString = copyText(vmArgs[i]);
    options[i + 1].extraInfo = nullptr;
  }
  return options;
}

/// The runtime library of `runtimeHome`, loaded; ends the process on failure.
VmEntryPoints loadRuntime(const std::string& runtimeHome) {
  if (launchSettings.verbose) {
    printLine("Using Java runtime " + runtimeHome + " ...");
    printLine("Loading JVM runtime library ...");
  }
  VmEntryPoints entryPoints;
  if (!loadVmRuntimeLibrary(runtimeHome, &entryPoints))
    fail("failed to load VM runtime library!");
  return entryPoints;
}

/// The class path option, the VM options in the runtime's encoding and the
/// launcher's hooks; ends the process when an option cannot be encoded.
JavaVMOption* prepareVmOptions(const std::string& runtimeHome, jint* optionCount) {
  if (launchSettings.verbose) printLine("Passing VM options ...");
  std::string classPath = classPathOption();
  std::vector<std::string*> optionTexts = {&classPath};
  for (std::string& option : launchSettings.vmArgs) optionTexts.push_back(&option);
  const std::string encodingError = encodeVmOptions(runtimeHome, optionTexts);
  if (!encodingError.empty()) fail(encodingError.c_str());
  *optionCount = static_cast<jint>(launchSettings.vmArgs.size() + 1);
  return appendVmHooks(buildVmOptions(classPath), optionCount);
}

}  // namespace

void launch(VmRunner runner) {
  enterWorkingDirectory();
  loadConfiguration();
  const std::string runtimeHome = runtimeLocation(launchSettings.appDirectory, currentDirectory());
  const VmEntryPoints entryPoints = loadRuntime(runtimeHome);
  prepareStartup(runtimeHome);
  auto getDefaultArgs =
      reinterpret_cast<GetDefaultJavaVMInitArgsFunction>(entryPoints.getDefaultArgs);
  auto createVm = reinterpret_cast<CreateJavaVMFunction>(entryPoints.createVm);

  JavaVMInitArgs args{};
  args.version = JNI_VERSION_1_8;
  args.nOptions = 0;
  args.options = nullptr;
  args.ignoreUnrecognized = JNI_TRUE;
  if (getDefaultArgs(&args) < 0) fail("failed to load default Java VM arguments!");

  jint optionCount = 0;
  JavaVMOption* options = prepareVmOptions(runtimeHome, &optionCount);
  args.nOptions = optionCount;
  args.options = options;

  VmTask task = [createVm, &args, optionCount, options]() {
    runVmTask(createVm, args, optionCount, options);
  };
  runner(std::move(task), args);
}
