#include "pending_exception.h"

#include <string>

namespace {

/// The message of `error` in modified UTF-8; empty when it has none.
std::string messageOf(JNIEnv* env, jthrowable error) {
  jclass throwable = env->FindClass("java/lang/Throwable");
  jmethodID getMessage =
      throwable ? env->GetMethodID(throwable, "getMessage", "()Ljava/lang/String;") : nullptr;
  jstring message =
      getMessage ? static_cast<jstring>(env->CallObjectMethod(error, getMessage)) : nullptr;
  std::string text;
  const char* chars = message ? env->GetStringUTFChars(message, nullptr) : nullptr;
  if (chars) {
    text = chars;
    env->ReleaseStringUTFChars(message, chars);
  }
  env->ExceptionClear();  // one of these calls may have failed
  return text;
}

bool saysOnlyNotFound(JNIEnv* env, jthrowable error, const char* notFoundClass,
                      const char* name) {
  jclass kind = env->FindClass(notFoundClass);
  env->ExceptionClear();
  if (!kind || !env->IsInstanceOf(error, kind)) return false;
  return !name || messageOf(env, error) == name;
}

}  // namespace

void describeUnlessNotFound(JNIEnv* env, const char* notFoundClass, const char* name) {
  jthrowable error = env->ExceptionOccurred();
  if (!error) return;
  // No other JNI call may be made while an exception is pending.
  env->ExceptionClear();
  if (saysOnlyNotFound(env, error, notFoundClass, name)) return;
  env->Throw(error);
  env->ExceptionDescribe();
}
