#include "vm_task.h"

#include <string>

#include "diagnostics.h"
#include "java_command.h"
#include "java_text.h"
#include "launch_delivery.h"
#include "pending_exception.h"
#include "platform.h"
#include "startup.h"
#include "step_result.h"
#include "uncaught.h"

namespace {

/// The steps' verdict when they cannot go on: the message is written.
const int failed = 1;

int fail(const std::string& message) {
  printErrorLine("Error: " + message);
  return failed;
}

/// Gives up on the Java arguments: a pending exception (out of memory,
/// most likely) is described so that the user sees why.
int failToPassArguments(JNIEnv* env) {
  if (env->ExceptionCheck()) env->ExceptionDescribe();
  return fail("failed to pass command line arguments!");
}

/// The Java arguments as a String[]; null when the VM could not make it.
jobjectArray makeArgumentArray(JNIEnv* env, const LaunchSettings& settings) {
  const std::vector<std::string>& javaArgs = settings.javaArgs;
  jclass stringClass = env->FindClass("java/lang/String");
  if (!stringClass) return nullptr;
  jobjectArray array =
      env->NewObjectArray(static_cast<jsize>(javaArgs.size()), stringClass, nullptr);
  if (!array) return nullptr;
  for (size_t i = 0; i < javaArgs.size(); ++i) {
    if (settings.verbose) printLine(std::string("  # ") + javaArgs[i]);
    jstring text = env->NewStringUTF(toModifiedUtf8(javaArgs[i]).c_str());
    if (!text) return nullptr;
    env->SetObjectArrayElement(array, static_cast<jsize>(i), text);
    env->DeleteLocalRef(text);
  }
  return array;
}

std::string slashForm(std::string className) {
  for (char& c : className)
    if (c == '.') c = '/';
  return className;
}

/// The main class; null after its message.
jclass findMainClass(JNIEnv* env, const std::string& className) {
  // FindClass takes a NUL-terminated name: it would look up a cut one.
  if (holdsNulByte(className)) {
    fail("failed to find main class " + showNulBytes(className));
    return nullptr;
  }
  const std::string jniName = toModifiedUtf8(className);
  jclass mainClass = env->FindClass(jniName.c_str());
  if (mainClass) return mainClass;
  describeUnlessNotFound(env, "java/lang/NoClassDefFoundError", jniName.c_str());
  fail("failed to find main class " + className);
  return nullptr;
}

/// Calls main: its status, 0 when it returned normally and 1 when it left
/// an exception pending; stops when main cannot be called.
StepResult<int> invokeMain(JNIEnv* env, jobjectArray arguments,
                           const LaunchSettings& settings, LaunchQueue* launches) {
  // A class of a named module ("MODULE/CLASS") is the system class loader's
  // to find: the module is the root of the module graph (jdk.module.main).
  const std::string mainClassName = splitMainClass(settings.mainClass).className;
  std::string className = slashForm(mainClassName);
  jclass mainClass = findMainClass(env, className);
  if (!mainClass) return StepResult<int>::stop(failed);
  jmethodID mainMethod =
      env->GetStaticMethodID(mainClass, "main", "([Ljava/lang/String;)V");
  if (!mainMethod) {
    describeUnlessNotFound(env, "java/lang/NoSuchMethodError", nullptr);
    return StepResult<int>::stop(fail("failed to find main method in " + className));
  }
  if (settings.verbose)
    printLine("Invoking static " + mainClassName + ".main() function ...");
  startupMainStarting(env);
  // Later launches handed over while the app started wait for its main.
  if (launches) launches->open();
  env->CallStaticVoidMethod(mainClass, mainMethod, arguments);
  if (!env->ExceptionCheck()) return {0, std::nullopt};
  reportUncaughtException(env);
  return {1, std::nullopt};
}

}  // namespace

void releaseVmOptions(jint optionCount, JavaVMOption* options) {
  for (jint i = 0; i < optionCount; ++i) delete[] options[i].optionString;
  delete[] options;
}

int runVmTask(const LaunchSettings& settings, CreateJavaVMFunction createVm,
              JavaVMInitArgs& args, jint optionCount, JavaVMOption* options,
              LaunchQueue* launches) {
  auto progress = [&settings](const char* line) {
    if (settings.verbose) printLine(line);
  };
  progress("Creating Java VM ...");
  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;
  if (createVm(&vm, reinterpret_cast<void**>(&env), &args) < 0)
    return fail("failed to create Java VM!");
  // The runtime library's initializers ran on the launcher's main thread and
  // left memory freed in its heap, which the VM's threads seldom reuse.
  releaseFreeMemory();
  progress("Passing command line arguments ...");
  jobjectArray arguments = makeArgumentArray(env, settings);
  if (!arguments) return failToPassArguments(env);
  if (launches) startLaunchDelivery(vm, launches, settings.launchReceiver);
  progress("Loading main class ...");
  const StepResult<int> status = invokeMain(env, arguments, settings, launches);
  // Without main, the VM is left to the process's end.
  if (status.stops()) return *status.exitStatus;
  vm->DestroyJavaVM();
  progress("Destroyed Java VM ...");
  releaseVmOptions(optionCount, options);
  return status.value;
}
