#include "uncaught.h"

#include <string>

#include "jni_strings.h"
#include "report.h"

namespace {

/// Stack lines shown with the description where only a box shows them.
const jsize shownStackLines = 12;

/// A Java object's toString() for the kept text (modified UTF-8 for
/// characters beyond the Basic Multilingual Plane, which the box shows as
/// replacement marks); "?" when it cannot be had.
std::string text(JNIEnv* env, jobject object) {
  std::string result;
  return callStringMethod(env, object, "java/lang/Object", "toString", &result) ? result : "?";
}

/// Writes what the default handler would, cut to its first lines, to the
/// kept messages.
void keepDescription(JNIEnv* env, jthrowable throwable) {
  std::string lines = "Exception in thread \"main\" " + text(env, throwable) + "\n";
  jclass throwableClass = env->FindClass("java/lang/Throwable");
  jmethodID getStackTrace = throwableClass ? env->GetMethodID(
      throwableClass, "getStackTrace", "()[Ljava/lang/StackTraceElement;") : nullptr;
  auto frames = getStackTrace
      ? static_cast<jobjectArray>(env->CallObjectMethod(throwable, getStackTrace)) : nullptr;
  env->ExceptionClear();
  const jsize count = frames ? env->GetArrayLength(frames) : 0;
  for (jsize i = 0; i < count && i < shownStackLines; ++i)
    lines += "\tat " + text(env, env->GetObjectArrayElement(frames, i)) + "\n";
  if (count > shownStackLines) lines += "\t...\n";
  keepReportText(lines);
}

/// Calls the current thread's handler; false when that cannot be done.
bool callHandler(JNIEnv* env, jthrowable throwable) {
  jclass threadClass = env->FindClass("java/lang/Thread");
  jmethodID currentThread = threadClass ? env->GetStaticMethodID(
      threadClass, "currentThread", "()Ljava/lang/Thread;") : nullptr;
  jmethodID getHandler = currentThread ? env->GetMethodID(threadClass,
      "getUncaughtExceptionHandler", "()Ljava/lang/Thread$UncaughtExceptionHandler;") : nullptr;
  jclass handlerClass =
      getHandler ? env->FindClass("java/lang/Thread$UncaughtExceptionHandler") : nullptr;
  jmethodID uncaught = handlerClass ? env->GetMethodID(handlerClass, "uncaughtException",
      "(Ljava/lang/Thread;Ljava/lang/Throwable;)V") : nullptr;
  if (!uncaught) return false;
  jobject thread = env->CallStaticObjectMethod(threadClass, currentThread);
  jobject handler = thread ? env->CallObjectMethod(thread, getHandler) : nullptr;
  if (!handler) return false;
  env->CallVoidMethod(handler, uncaught, thread, throwable);
  return !env->ExceptionCheck();
}

}  // namespace

void reportUncaughtException(JNIEnv* env) {
  jthrowable throwable = env->ExceptionOccurred();
  env->ExceptionClear();
  if (!throwable) return;
  if (reportIsKept()) keepDescription(env, throwable);
  if (callHandler(env, throwable)) return;
  // An exception from the lookups or the handler itself is dropped: the
  // one main left is what the user needs to see.
  env->ExceptionClear();
  env->Throw(throwable);
  env->ExceptionDescribe();
}
