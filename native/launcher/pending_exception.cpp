#include "pending_exception.h"

#include <string>

#include "jni_strings.h"

namespace {

bool saysOnlyNotFound(JNIEnv* env, jthrowable error, const char* notFoundClass,
                      const char* name) {
  jclass kind = env->FindClass(notFoundClass);
  env->ExceptionClear();
  if (!kind || !env->IsInstanceOf(error, kind)) return false;
  std::string message;
  return !name || (callStringMethod(env, error, "java/lang/Throwable", "getMessage", &message) &&
                   message == name);
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
