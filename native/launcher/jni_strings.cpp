#include "jni_strings.h"

bool callStringMethod(JNIEnv* env, jobject object, const char* className, const char* method,
                      std::string* text) {
  jclass owner = env->FindClass(className);
  jmethodID id = owner ? env->GetMethodID(owner, method, "()Ljava/lang/String;") : nullptr;
  jstring string = id ? static_cast<jstring>(env->CallObjectMethod(object, id)) : nullptr;
  const char* bytes = string ? env->GetStringUTFChars(string, nullptr) : nullptr;
  if (bytes) {
    *text = bytes;
    env->ReleaseStringUTFChars(string, bytes);
  }
  if (string) env->DeleteLocalRef(string);
  env->ExceptionClear();  // one of these calls may have failed
  return bytes != nullptr;
}
