#include "vm_task.h"

#include <iostream>
#include <string>

#include "configuration.h"
#include "java_text.h"
#include "launch_settings.h"
#include "pending_exception.h"
#include "platform.h"
#include "startup.h"
#include "uncaught.h"

namespace {

void progress(const char* line) {
  if (launchSettings.verbose) std::cout << line << std::endl;
}

[[noreturn]] void fail(const std::string& message) {
  std::cerr << "Error: " << message << std::endl;
  exitProcess(1);
}

/// Gives up on the Java arguments: a pending exception (out of memory,
/// most likely) is described so that the user sees why.
[[noreturn]] void failToPassArguments(JNIEnv* env) {
  if (env->ExceptionCheck()) env->ExceptionDescribe();
  fail("failed to pass command line arguments!");
}

jobjectArray makeArgumentArray(JNIEnv* env) {
  const std::vector<std::string>& javaArgs = launchSettings.javaArgs;
  jclass stringClass = env->FindClass("java/lang/String");
  if (!stringClass) failToPassArguments(env);
  jobjectArray array =
      env->NewObjectArray(static_cast<jsize>(javaArgs.size()), stringClass, nullptr);
  if (!array) failToPassArguments(env);
  for (size_t i = 0; i < javaArgs.size(); ++i) {
    if (launchSettings.verbose) std::cout << "  # " << javaArgs[i] << std::endl;
    jstring text = env->NewStringUTF(toModifiedUtf8(javaArgs[i]).c_str());
    if (!text) failToPassArguments(env);
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

jclass findMainClass(JNIEnv* env, const std::string& className) {
  // FindClass takes a NUL-terminated name: it would look up a cut one.
  if (holdsNulByte(className)) fail("failed to find main class " + showNulBytes(className));
  const std::string jniName = toModifiedUtf8(className);
  jclass mainClass = env->FindClass(jniName.c_str());
  if (mainClass) return mainClass;
  describeUnlessNotFound(env, "java/lang/NoClassDefFoundError", jniName.c_str());
  fail("failed to find main class " + className);
}

/// Calls main and tells whether it left an exception pending.
bool invokeMain(JNIEnv* env, jobjectArray arguments) {
  std::string className = slashForm(launchSettings.mainClass);
  jclass mainClass = findMainClass(env, className);
  jmethodID mainMethod =
      env->GetStaticMethodID(mainClass, "main", "([Ljava/lang/String;)V");
  if (!mainMethod) {
    describeUnlessNotFound(env, "java/lang/NoSuchMethodError", nullptr);
    fail("failed to find main method in " + className);
  }
  if (launchSettings.verbose)
    std::cout << "Invoking static " << launchSettings.mainClass << ".main() function ..."
              << std::endl;
  startupMainStarting(env);
  env->CallStaticVoidMethod(mainClass, mainMethod, arguments);
  if (!env->ExceptionCheck()) return false;
  reportUncaughtException(env);
  return true;
}

}  // namespace

void releaseVmOptions(jint optionCount, JavaVMOption* options) {
  for (jint i = 0; i < optionCount; ++i) delete[] options[i].optionString;
  delete[] options;
}

void runVmTask(CreateJavaVMFunction createVm, JavaVMInitArgs& args, jint optionCount,
               JavaVMOption* options) {
  progress("Creating Java VM ...");
  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;
  if (createVm(&vm, reinterpret_cast<void**>(&env), &args) < 0)
    fail("failed to create Java VM!");
  progress("Passing command line arguments ...");
  jobjectArray arguments = makeArgumentArray(env);
  progress("Loading main class ...");
  int status = invokeMain(env, arguments) ? 1 : 0;
  vm->DestroyJavaVM();
  progress("Destroyed Java VM ...");
  releaseVmOptions(optionCount, options);
  exitProcess(status);
}
