#include "startup_vm.h"

#include <cstring>

#include "child_process.h"

namespace {

struct Timer {
  JavaVM* vm;
  unsigned seconds;
};

void exitLater(void* argument) {
  const Timer timer = *static_cast<Timer*>(argument);
  delete static_cast<Timer*>(argument);
  pauseMilliseconds(timer.seconds * 1000);
  JNIEnv* env = nullptr;
  // Fails once the VM is gone: the app ended by itself.
  if (timer.vm->AttachCurrentThreadAsDaemon(reinterpret_cast<void**>(&env), nullptr) != JNI_OK)
    return;
  jclass system = env->FindClass("java/lang/System");
  jmethodID exit = system ? env->GetStaticMethodID(system, "exit", "(I)V") : nullptr;
  if (exit) env->CallStaticVoidMethod(system, exit, 0);
}

}  // namespace

bool vmSharesClasses(JNIEnv* env) {
  jclass system = env->FindClass("java/lang/System");
  jmethodID getProperty = system ? env->GetStaticMethodID(system, "getProperty",
                                                          "(Ljava/lang/String;)Ljava/lang/String;")
                                 : nullptr;
  jstring name = getProperty ? env->NewStringUTF("java.vm.info") : nullptr;
  jobject value = name ? env->CallStaticObjectMethod(system, getProperty, name) : nullptr;
  // Without an answer the archive is not blamed.
  bool shares = value == nullptr;
  if (value) {
    const char* text = env->GetStringUTFChars(static_cast<jstring>(value), nullptr);
    shares = !text || std::strstr(text, "sharing");
    if (text) env->ReleaseStringUTFChars(static_cast<jstring>(value), text);
  }
  if (env->ExceptionCheck()) env->ExceptionClear();
  for (jobject reference : {static_cast<jobject>(system), static_cast<jobject>(name), value})
    if (reference) env->DeleteLocalRef(reference);
  return shares;
}

void exitVmAfter(JavaVM* vm, unsigned seconds) {
  Timer* timer = new Timer{vm, seconds};
  if (!startDetachedThread(exitLater, timer)) delete timer;
}
