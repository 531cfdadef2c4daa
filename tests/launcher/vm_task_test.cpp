// The VM task driven by a hand-made JNI that records every call.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "vm_task.h"

namespace {

struct FakeJni {
  std::vector<std::string> calls;
  std::string failAt;  ///< the call that fails (returns null or an error)
  bool throwInMain = false;
  bool exceptionPending = false;
  std::string message;  ///< of the pending exception: the name that was not found
};
FakeJni fake;

jobject fakeObject(int n) { return reinterpret_cast<jobject>(static_cast<intptr_t>(n)); }

bool failing(const std::string& call) {
  fake.calls.push_back(call);
  if (fake.failAt != call) return false;
  fake.exceptionPending = true;
  return true;
}

jclass JNICALL findClass(JNIEnv*, const char* name) {
  if (!failing(std::string("FindClass ") + name)) return static_cast<jclass>(fakeObject(1));
  fake.message = name;
  return nullptr;
}
jobjectArray JNICALL newObjectArray(JNIEnv*, jsize length, jclass, jobject) {
  return failing("NewObjectArray " + std::to_string(length))
             ? nullptr
             : static_cast<jobjectArray>(fakeObject(2));
}
jstring JNICALL newStringUtf(JNIEnv*, const char* text) {
  return failing(std::string("NewStringUTF ") + text) ? nullptr
                                                      : static_cast<jstring>(fakeObject(3));
}
void JNICALL setElement(JNIEnv*, jobjectArray, jsize index, jobject) {
  fake.calls.push_back("SetObjectArrayElement " + std::to_string(index));
}
void JNICALL deleteLocalRef(JNIEnv*, jobject) {}
jmethodID JNICALL getStaticMethodId(JNIEnv*, jclass, const char* name, const char* sig) {
  return failing(std::string("GetStaticMethodID ") + name + " " + sig)
             ? nullptr
             : reinterpret_cast<jmethodID>(4);
}
void JNICALL callStaticVoidMethodV(JNIEnv*, jclass, jmethodID, va_list arguments) {
  jobject array = va_arg(arguments, jobject);
  fake.calls.push_back(array == fakeObject(2) ? "CallStaticVoidMethodV array"
                                              : "CallStaticVoidMethodV ?");
  fake.exceptionPending = fake.throwInMain;
}
jboolean JNICALL exceptionCheck(JNIEnv*) {
  fake.calls.push_back("ExceptionCheck");
  return fake.exceptionPending ? JNI_TRUE : JNI_FALSE;
}
void JNICALL exceptionDescribe(JNIEnv*) { fake.calls.push_back("ExceptionDescribe"); }
jthrowable JNICALL exceptionOccurred(JNIEnv*) {
  return fake.exceptionPending ? static_cast<jthrowable>(fakeObject(9)) : nullptr;
}
void JNICALL exceptionClear(JNIEnv*) { fake.exceptionPending = false; }
jint JNICALL throwException(JNIEnv*, jthrowable) {
  fake.calls.push_back("Throw");
  fake.exceptionPending = true;
  return JNI_OK;
}
jmethodID JNICALL getMethodId(JNIEnv*, jclass, const char* name, const char*) {
  return failing(std::string("GetMethodID ") + name) ? nullptr
                                                     : reinterpret_cast<jmethodID>(6);
}
jobject JNICALL callStaticObjectMethodV(JNIEnv*, jclass, jmethodID, va_list) {
  fake.calls.push_back("CallStaticObjectMethodV");
  return fakeObject(7);
}
jobject JNICALL callObjectMethodV(JNIEnv*, jobject, jmethodID, va_list) {
  fake.calls.push_back("CallObjectMethodV");
  return fakeObject(8);
}
jboolean JNICALL isInstanceOf(JNIEnv*, jobject, jclass) { return JNI_TRUE; }
const char* JNICALL getStringUtfChars(JNIEnv*, jstring, jboolean*) {
  return fake.message.c_str();
}
void JNICALL releaseStringUtfChars(JNIEnv*, jstring, const char*) {}
void JNICALL callVoidMethodV(JNIEnv*, jobject, jmethodID, va_list) {
  failing("CallVoidMethodV");
}
jint JNICALL destroyJavaVm(JavaVM*) {
  fake.calls.push_back("DestroyJavaVM");
  return JNI_OK;
}

JNINativeInterface_ makeEnvTable() {
  JNINativeInterface_ table;
  std::memset(&table, 0, sizeof table);
  table.FindClass = findClass;
  table.NewObjectArray = newObjectArray;
  table.NewStringUTF = newStringUtf;
  table.SetObjectArrayElement = setElement;
  table.DeleteLocalRef = deleteLocalRef;
  table.GetStaticMethodID = getStaticMethodId;
  table.CallStaticVoidMethodV = callStaticVoidMethodV;
  table.ExceptionCheck = exceptionCheck;
  table.ExceptionDescribe = exceptionDescribe;
  table.ExceptionOccurred = exceptionOccurred;
  table.ExceptionClear = exceptionClear;
  table.Throw = throwException;
  table.IsInstanceOf = isInstanceOf;
  table.GetMethodID = getMethodId;
  table.CallStaticObjectMethodV = callStaticObjectMethodV;
  table.CallObjectMethodV = callObjectMethodV;
  table.CallVoidMethodV = callVoidMethodV;
  table.GetStringUTFChars = getStringUtfChars;
  table.ReleaseStringUTFChars = releaseStringUtfChars;
  return table;
}

JNINativeInterface_ envTable = makeEnvTable();
JNIEnv_ fakeEnv{&envTable};
JNIInvokeInterface_ vmTable{nullptr, nullptr, nullptr, destroyJavaVm,
                            nullptr, nullptr, nullptr, nullptr};
JavaVM_ fakeVm{&vmTable};

jint JNICALL createVm(JavaVM** vm, void** env, void* args) {
  auto* initArgs = static_cast<JavaVMInitArgs*>(args);
  fake.calls.push_back("JNI_CreateJavaVM " + std::to_string(initArgs->nOptions));
  if (fake.failAt == "JNI_CreateJavaVM") return JNI_ERR;
  *vm = &fakeVm;
  *env = &fakeEnv;
  return JNI_OK;
}

class VmTaskTest : public testing::Test {
 protected:
  void SetUp() override {
    fake = FakeJni();
    settings.mainClass = "app.Outer$Inner";
  }

  /// Runs the task over two options; returns the exit status.
  int run() {
    JavaVMOption* options = new JavaVMOption[2];
    options[0] = {copy("-Djava.class.path=a.jar"), nullptr};
    options[1] = {copy("-Xmx1g"), nullptr};
    args = JavaVMInitArgs{JNI_VERSION_1_8, 2, options, JNI_TRUE};
    int status = runVmTask(settings, createVm, args, 2, options);
    // The options are released only on a run that got past main.
    if (fake.calls.empty() || fake.calls.back() != "DestroyJavaVM")
      releaseVmOptions(2, options);
    return status;
  }

  static char* copy(const char* text) {
    return std::strcpy(new char[std::strlen(text) + 1], text);
  }

  LaunchSettings settings;
  JavaVMInitArgs args{};
};

TEST_F(VmTaskTest, RunsMainAndDestroysTheVm) {
  settings.javaArgs = {"one", "\xF0\x9F\x98\x80"};
  EXPECT_EQ(0, run());
  std::vector<std::string> expected = {
      "JNI_CreateJavaVM 2",
      "FindClass java/lang/String",
      "NewObjectArray 2",
      "NewStringUTF one",
      "SetObjectArrayElement 0",
      "NewStringUTF \xED\xA0\xBD\xED\xB8\x80",  // U+1F600 as two surrogates
      "SetObjectArrayElement 1",
      "FindClass app/Outer$Inner",
      "GetStaticMethodID main ([Ljava/lang/String;)V",
      "CallStaticVoidMethodV array",
      "ExceptionCheck",
      "DestroyJavaVM"};
  EXPECT_EQ(expected, fake.calls);
}

TEST_F(VmTaskTest, PendingExceptionGivesStatusOneAfterDestroy) {
  fake.throwInMain = true;
  settings.verbose = true;
  testing::internal::CaptureStdout();
  EXPECT_EQ(1, run());
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(
      "Creating Java VM ...\nPassing command line arguments ...\nLoading main class ...\n"
      "Invoking static app.Outer$Inner.main() function ...\nDestroyed Java VM ...\n",
      out);
}

TEST_F(VmTaskTest, MainsExceptionGoesToTheUncaughtExceptionHandler) {
  const std::vector<std::string> lookups = {
      "FindClass java/lang/Thread",
      "GetStaticMethodID currentThread ()Ljava/lang/Thread;",
      "GetMethodID getUncaughtExceptionHandler",
      "FindClass java/lang/Thread$UncaughtExceptionHandler",
      "GetMethodID uncaughtException"};
  const std::vector<std::string> calls = {"CallStaticObjectMethodV", "CallObjectMethodV",
                                          "CallVoidMethodV", "ExceptionCheck"};
  const std::vector<std::string> described = {"Throw", "ExceptionDescribe", "DestroyJavaVM"};
  struct Case {
    const char* failAt;
    size_t lookupsMade;  ///< of `lookups`; the calls follow only after all
    bool describes;      ///< ExceptionDescribe reports instead of the handler
  } cases[] = {
      {"", 5, false},
      {"CallVoidMethodV", 5, true},  // the handler itself throws
      {"GetMethodID getUncaughtExceptionHandler", 3, true},
      {"FindClass java/lang/Thread", 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failAt);
    fake = FakeJni();
    fake.throwInMain = true;
    fake.failAt = c.failAt;
    EXPECT_EQ(1, run());
    std::vector<std::string> expected = {"ExceptionCheck"};
    expected.insert(expected.end(), lookups.begin(), lookups.begin() + c.lookupsMade);
    if (c.lookupsMade == lookups.size())
      expected.insert(expected.end(), calls.begin(), calls.end());
    if (c.describes)
      expected.insert(expected.end(), described.begin(), described.end());
    else
      expected.push_back("DestroyJavaVM");
    const auto main = std::find(fake.calls.begin(), fake.calls.end(), "CallStaticVoidMethodV array");
    ASSERT_NE(fake.calls.end(), main);
    EXPECT_EQ(expected, std::vector<std::string>(main + 1, fake.calls.end()));
  }
}

TEST_F(VmTaskTest, FailuresEndWithTheirMessage) {
  struct Case {
    const char* failAt;
    const char* mainClass;
    const char* message;
    bool describes;  ///< the pending exception is described
  } cases[] = {
      {"JNI_CreateJavaVM", "app.Main", "Error: failed to create Java VM!\n", false},
      {"FindClass app/Main", "app.Main", "Error: failed to find main class app/Main\n", false},
      {"FindClass ", "", "Error: failed to find main class \n", false},
      {"GetStaticMethodID main ([Ljava/lang/String;)V", "a.b.C",
       "Error: failed to find main method in a/b/C\n", false},
      {"FindClass java/lang/String", "app.Main",
       "Error: failed to pass command line arguments!\n", true},
      {"NewObjectArray 1", "app.Main", "Error: failed to pass command line arguments!\n", true},
      {"NewStringUTF x", "app.Main", "Error: failed to pass command line arguments!\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failAt);
    fake = FakeJni();
    fake.failAt = c.failAt;
    settings.mainClass = c.mainClass;
    settings.javaArgs = {"x"};
    testing::internal::CaptureStderr();
    EXPECT_EQ(1, run());
    EXPECT_EQ(c.message, testing::internal::GetCapturedStderr());
    bool described = false;
    for (const std::string& call : fake.calls) described |= call == "ExceptionDescribe";
    EXPECT_EQ(c.describes, described);
    EXPECT_NE("DestroyJavaVM", fake.calls.back());
  }
}

}  // namespace
