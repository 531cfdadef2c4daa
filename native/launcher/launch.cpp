#include "launch.h"

#include <cstring>
#include <string>
#include <utility>

#include "desktop_steps.h"
#include "java_command.h"
#include "paths.h"
#include "platform.h"
#include "runtime_layout.h"
#include "startup.h"
#include "step_result.h"
#include "vm_encoding.h"
#include "vm_hooks.h"
#include "vm_option_check.h"
#include "vm_task.h"

namespace {

/// Writes "Error: MESSAGE"; the launch ends with status 1.
int fail(const std::string& message) {
  printErrorLine("Error: " + message);
  return 1;
}

/// A NUL-terminated copy that the VM task releases with delete[].
char* copyText(const std::string& text) {
  char* copy = new char[text.size() + 1];
  std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

std::string classPathOption(const std::vector<std::string>& classPath) {
  std::string option = "-Djava.class.path=";
  for (size_t i = 0; i < classPath.size(); ++i) {
    if (i > 0) option += pathListSeparator;
    option += classPath[i];
  }
  return option;
}

/// Option 0 is the class path, then the VM options in their given order
/// (listed with -v), then the launcher's properties.
JavaVMOption* buildVmOptions(const std::string& classPath, const std::vector<std::string>& vmArgs,
                             const std::vector<std::string>& properties, bool verbose) {
  JavaVMOption* options = new JavaVMOption[1 + vmArgs.size() + properties.size()];
  JavaVMOption* next = options;
  *next++ = JavaVMOption{copyText(classPath), nullptr};
  for (const std::string& option : vmArgs) {
    if (verbose) printLine("  # " + option);
    *next++ = JavaVMOption{copyText(option), nullptr};
  }
  for (const std::string& property : properties) *next++ = JavaVMOption{copyText(property), nullptr};
  return options;
}

/// The runtime library of the plan, loaded.
StepResult<VmEntryPoints> loadRuntime(const LaunchPlan& plan) {
  if (plan.settings.verbose) {
    printLine("Using Java runtime " + plan.runtimeHome + " ...");
    printLine("Loading JVM runtime library ...");
  }
  const std::string library = withSystemSeparators(runtimeLibraryIn(hostOs));
  VmEntryPoints entryPoints;
  if (!loadVmRuntimeLibrary(plan.runtimeHome, library, &entryPoints))
    return StepResult<VmEntryPoints>::stop(fail("failed to load VM runtime library!"));
  return {entryPoints, std::nullopt};
}

/// The VM's arguments with the runtime's defaults and no options yet.
StepResult<JavaVMInitArgs> defaultVmArgs(const VmEntryPoints& runtime) {
  auto getDefaultArgs =
      reinterpret_cast<GetDefaultJavaVMInitArgsFunction>(runtime.getDefaultArgs);
  JavaVMInitArgs args{};
  args.version = JNI_VERSION_1_8;
  args.nOptions = 0;
  args.options = nullptr;
  args.ignoreUnrecognized = JNI_TRUE;
  if (getDefaultArgs(&args) < 0)
    return StepResult<JavaVMInitArgs>::stop(fail("failed to load default Java VM arguments!"));
  return {args, std::nullopt};
}

/// The options the VM is created with.
struct VmOptions {
  JavaVMOption* options = nullptr;  ///< allocated with new[], as releaseVmOptions expects
  jint count = 0;
};

/// The class path option, the VM options (`vmArgs`) in the runtime's
/// encoding and the launcher's hooks; stops when an option cannot be encoded.
StepResult<VmOptions> prepareVmOptions(const LaunchPlan& plan, std::vector<std::string> vmArgs) {
  const bool verbose = plan.settings.verbose;
  if (verbose) printLine("Passing VM options ...");
  std::string classPath = classPathOption(plan.settings.classPath);
  std::vector<std::string*> optionTexts = {&classPath};
  for (std::string& option : vmArgs) optionTexts.push_back(&option);
  const std::string encodingError = encodeVmOptions(plan.runtimeHome, optionTexts);
  if (!encodingError.empty()) return StepResult<VmOptions>::stop(fail(encodingError));
  std::vector<std::string> properties = javaCommandProperties(plan.settings);
  for (std::string& property : properties)
    encodeVmOptionApproximately(plan.runtimeHome, &property);
  VmOptions prepared;
  prepared.count = static_cast<jint>(1 + vmArgs.size() + properties.size());
  prepared.options = appendVmHooks(buildVmOptions(classPath, vmArgs, properties, verbose),
                                   &prepared.count, plan.settings.restartExitCode != 0);
  return {prepared, std::nullopt};
}

/// The start-up aids' VM options in front of the plan's.
std::vector<std::string> allVmArgs(const LaunchPlan& plan) {
  std::vector<std::string> vmArgs = prepareStartup(plan);
  vmArgs.insert(vmArgs.end(), plan.settings.vmArgs.begin(), plan.settings.vmArgs.end());
  return vmArgs;
}

}  // namespace

int runLaunch(const LaunchPlan& plan, const VmRunner& runner) {
  applyEnvironment(plan);
  const StepResult<VmEntryPoints> runtime = loadRuntime(plan);
  if (runtime.stops()) return *runtime.exitStatus;
  warnOfUnrecognisedVmOptions(plan);
  std::vector<std::string> vmArgs = allVmArgs(plan);
  StepResult<JavaVMInitArgs> args = defaultVmArgs(runtime.value);
  if (args.stops()) return *args.exitStatus;
  const StepResult<VmOptions> options = prepareVmOptions(plan, std::move(vmArgs));
  if (options.stops()) return *options.exitStatus;
  args.value.nOptions = options.value.count;
  args.value.options = options.value.options;
  auto createVm = reinterpret_cast<CreateJavaVMFunction>(runtime.value.createVm);
  // The task's end is the process's end: the VM may still run threads.
  VmTask task = [&plan, createVm, &args, prepared = options.value]() {
    exitProcess(endOfApp(runVmTask(plan.settings, createVm, args.value, prepared.count,
                                   prepared.options, plan.launches)));
  };
  runner(std::move(task), args.value);
  return 0;
}
