#include "launch_delivery.h"

#include <system_error>
#include <thread>

#include "java_text.h"
#include "platform.h"
#include "uncaught.h"

namespace {

/// The static method that takes the launches.
struct Receiver {
  jclass type = nullptr;
  jmethodID method = nullptr;
  bool withDirectory = false;  ///< (String, String[]) rather than (String[])
};

/// Finds `qualified` ("a.b.C.m") by the system class loader; false after
/// clearing what the lookups raised.
bool findReceiver(JNIEnv* env, const std::string& qualified, Receiver* receiver) {
  const size_t dot = qualified.rfind('.');
  if (dot == std::string::npos || dot == 0) return false;
  std::string className = qualified.substr(0, dot);
  for (char& c : className)
    if (c == '.') c = '/';
  const std::string name = toModifiedUtf8(qualified.substr(dot + 1));
  jclass type = env->FindClass(toModifiedUtf8(className).c_str());
  if (!type) {
    env->ExceptionClear();
    return false;
  }
  receiver->withDirectory = true;
  receiver->method =
      env->GetStaticMethodID(type, name.c_str(), "(Ljava/lang/String;[Ljava/lang/String;)V");
  if (!receiver->method) {
    env->ExceptionClear();
    receiver->withDirectory = false;
    receiver->method = env->GetStaticMethodID(type, name.c_str(), "([Ljava/lang/String;)V");
  }
  env->ExceptionClear();
  receiver->type = static_cast<jclass>(env->NewGlobalRef(type));
  return receiver->method != nullptr;
}

jstring javaString(JNIEnv* env, const std::string& text) {
  return env->NewStringUTF(toModifiedUtf8(text).c_str());
}

void deliver(JNIEnv* env, const Receiver& receiver, const ForwardedLaunch& launch) {
  if (env->PushLocalFrame(16) != 0) {
    reportUncaughtException(env);
    return;
  }
  jclass stringClass = env->FindClass("java/lang/String");
  jobjectArray arguments = stringClass ? env->NewObjectArray(
      static_cast<jsize>(launch.arguments.size()), stringClass, nullptr) : nullptr;
  for (size_t i = 0; arguments && i < launch.arguments.size(); ++i) {
    jstring argument = javaString(env, launch.arguments[i]);
    env->SetObjectArrayElement(arguments, static_cast<jsize>(i), argument);
    env->DeleteLocalRef(argument);
  }
  jstring directory = arguments ? javaString(env, launch.workingDirectory) : nullptr;
  if (directory && receiver.withDirectory)
    env->CallStaticVoidMethod(receiver.type, receiver.method, directory, arguments);
  else if (directory)
    env->CallStaticVoidMethod(receiver.type, receiver.method, arguments);
  if (env->ExceptionCheck()) reportUncaughtException(env);
  env->PopLocalFrame(nullptr);
}

void deliverAll(JavaVM* vm, LaunchQueue* queue, const std::string& method) {
  JNIEnv* env = nullptr;
  JavaVMAttachArgs attach{JNI_VERSION_1_8, const_cast<char*>("Launch delivery"), nullptr};
  if (vm->AttachCurrentThreadAsDaemon(reinterpret_cast<void**>(&env), &attach) != JNI_OK) {
    printErrorLine("Warning: cannot hand later launches to the app: the thread that takes them "
                   "cannot join the Java VM");
    return;
  }
  Receiver receiver;
  bool looked = false;
  // The thread stays, also after the last launch: it ends with the process.
  for (;;) {
    const ForwardedLaunch launch = queue->next();
    if (!looked && !findReceiver(env, method, &receiver))
      printErrorLine("Warning: cannot hand later launches to the app: no static method " +
                     method + "(String, String[]) or " + method + "(String[])");
    looked = true;
    if (receiver.method) deliver(env, receiver, launch);
  }
}

}  // namespace

void startLaunchDelivery(JavaVM* vm, LaunchQueue* queue, const std::string& method) {
  try {
    std::thread(deliverAll, vm, queue, method).detach();
  } catch (const std::system_error&) {
    printErrorLine("Warning: cannot hand later launches to the app: no thread for them");
  }
}
