// A stand-in for the Java runtime library, for tests of the launcher.
//
// Built as jvm.dll (Windows) or libjvm.so (Linux) and placed where the real
// runtime library would be (jre\bin\server\jvm.dll, jre/lib/server/libjvm.so).
// It exports JNI_GetDefaultJavaVMInitArgs and JNI_CreateJavaVM, implements the
// few JNI functions a launcher needs, and writes what it receives to standard
// output, one line per fact, each line prefixed with "[jvm] " and written
// straight to the process's standard output handle so that its order with the
// launcher's own (flushed) output is kept; lines end as text-mode lines of the
// platform do (CR LF on Windows). Every other JNI function aborts the
// process with its function table index.
//
// Lines written, in call order:
//   [jvm] JNI_GetDefaultJavaVMInitArgs version=0x10008
//   [jvm] JNI_CreateJavaVM version=0x10008 ignoreUnrecognized=1 nOptions=N
//   [jvm] option[I]=<optionString>
//   [jvm] env NAME=<value>            (or "[jvm] env NAME unset")
//   [jvm] FindClass <name>
//   [jvm] NewObjectArray length=N class=<name>
//   [jvm] GetStaticMethodID <class> <name> <signature>
//   [jvm] main args=N
//   [jvm] arg[I]=<UTF-16 code units in hex> "<readable form>"
//   [jvm] ExceptionCheck true|false
//   [jvm] GetMethodID <class> <name>  (always fails: NoSuchMethodError)
//   [jvm] ExceptionDescribe
//   [jvm] DestroyJavaVM
// Strings given to NewStringUTF are decoded as the JNI's modified UTF-8
// (surrogate pairs as two three-byte sequences, U+0000 as C0 80); a byte
// that is not part of a valid sequence becomes FFFD.
//
// Behaviour is chosen through environment variables, read when the call
// concerned is made:
//   STANDIN_FAIL_DEFAULT_ARGS=1  JNI_GetDefaultJavaVMInitArgs returns -1
//   STANDIN_FAIL_CREATE_VM=1     JNI_CreateJavaVM returns -1
//   STANDIN_FAIL_STRINGS=1       NewStringUTF and NewString return null with
//                                a java.lang.OutOfMemoryError pending
//   STANDIN_MISSING_CLASS=1      FindClass of the main class (any class
//                                outside java/) returns null with a
//                                java.lang.NoClassDefFoundError pending
//   STANDIN_MISSING_METHOD=1     GetStaticMethodID returns null with a
//                                java.lang.NoSuchMethodError pending
//   STANDIN_THROW=1              main returns with a
//                                java.lang.IllegalStateException pending
//   STANDIN_EXIT=N               main ends the process with exit(N), as
//                                System.exit(N) would
//   STANDIN_PRINT_ENV=A,B,...    JNI_CreateJavaVM reports these environment
//                                variables as the process sees them then
// ExceptionDescribe writes "Exception in thread "main" <class>: <message>"
// to standard error and clears the exception, as a real VM does. A
// throwable is an instance of its own class only; its getMessage() can be
// called.
#define _JNI_IMPLEMENTATION_
#include <jni.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

// --- Output -----------------------------------------------------------------

void writeAll(int stream, const std::string& text) {
#ifdef _WIN32
  // The launcher's C runtime may buffer its own streams; the handle does not.
  HANDLE handle = GetStdHandle(stream == 1 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  DWORD written = 0;
  WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
#else
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(stream, text.data() + done, text.size() - done);
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
#endif
}

#ifdef _WIN32
const char* const lineEnd = "\r\n";
#else
const char* const lineEnd = "\n";
#endif

void record(const std::string& fact) { writeAll(1, "[jvm] " + fact + lineEnd); }

std::string hex(unsigned value, int digits) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*X", digits, value);
  return buffer;
}

// --- Environment --------------------------------------------------------------

/// Looks a variable up in the process's live environment; false when unset.
bool lookUpVariable(const std::string& name, std::string* value) {
#ifdef _WIN32
  // The C runtime's getenv reads a copy taken at start-up, which does not see
  // SetEnvironmentVariable; the environment block does.
  char* block = GetEnvironmentStringsA();
  bool found = false;
  for (const char* entry = block; *entry && !found; entry += std::strlen(entry) + 1) {
    const char* equals = std::strchr(entry + 1, '=');  // "=C:=C:\" entries
    if (equals && static_cast<size_t>(equals - entry) == name.size() &&
        _strnicmp(entry, name.c_str(), name.size()) == 0) {
      *value = equals + 1;
      found = true;
    }
  }
  FreeEnvironmentStringsA(block);
  return found;
#else
  const char* text = std::getenv(name.c_str());
  if (text) *value = text;
  return text != nullptr;
#endif
}

std::string variable(const char* name) {
  std::string value;
  return lookUpVariable(name, &value) ? value : std::string();
}

bool isSet(const char* name) {
  std::string value = variable(name);
  return !value.empty() && value != "0";
}

void recordEnvironment() {
  std::string names = variable("STANDIN_PRINT_ENV");
  size_t start = 0;
  while (start <= names.size()) {
    size_t comma = names.find(',', start);
    if (comma == std::string::npos) comma = names.size();
    std::string name = names.substr(start, comma - start);
    std::string value;
    if (!name.empty())
      record("env " + name + (lookUpVariable(name, &value) ? "=" + value : " unset"));
    start = comma + 1;
  }
}

// --- Objects ------------------------------------------------------------------
// Every object lives until the process ends: a launcher makes a handful.

enum class Kind { Class, String, Array, Throwable };

struct Object {
  Kind kind;
  std::string name;              // class name, or throwable class name
  std::u16string units;          // string contents, or throwable message
  std::vector<Object*> elements;  // array elements
};

Object* newObject(Kind kind, std::string name) {
  return new Object{kind, std::move(name), {}, {}};
}

Object* object(void* reference) { return static_cast<Object*>(reference); }

Object* pendingException = nullptr;

void raise(const char* className, const std::string& message) {
  pendingException = newObject(Kind::Throwable, className);
  pendingException->units.assign(message.begin(), message.end());
}

struct Method {
  Object* owner;
  std::string name;
  std::string signature;
};

// --- Modified UTF-8 --------------------------------------------------------------

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

/// Decodes the JNI's modified UTF-8; invalid bytes become U+FFFD one by one.
std::u16string decodeModifiedUtf8(const char* text) {
  std::u16string units;
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p) {
    if (*p < 0x80) {
      units += char16_t(*p++);
    } else if ((*p & 0xE0) == 0xC0 && isContinuation(p[1])) {
      units += char16_t(((p[0] & 0x1F) << 6) | (p[1] & 0x3F));
      p += 2;
    } else if ((*p & 0xF0) == 0xE0 && isContinuation(p[1]) && isContinuation(p[2])) {
      units += char16_t(((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
      p += 3;
    } else {
      units += char16_t(0xFFFD);
      ++p;
    }
  }
  return units;
}

std::string describeUnits(const std::u16string& units) {
  std::string codes, readable;
  for (char16_t unit : units) {
    if (!codes.empty()) codes += ' ';
    codes += hex(unit, 4);
    if (unit == '"' || unit == '\\')
      readable += std::string("\\") + char(unit);
    else if (unit >= 0x20 && unit < 0x7F)
      readable += char(unit);
    else
      readable += "\\u" + hex(unit, 4);
  }
  return codes + (codes.empty() ? "\"" : " \"") + readable + "\"";
}

std::string narrow(const std::u16string& units) {
  std::string text;
  for (char16_t unit : units) text += unit < 0x80 ? char(unit) : '?';
  return text;
}

// --- JNI functions -------------------------------------------------------------------

jint JNICALL getVersion(JNIEnv*) { return JNI_VERSION_1_8; }

jclass JNICALL findClass(JNIEnv*, const char* name) {
  record(std::string("FindClass ") + name);
  if (std::strncmp(name, "java/", 5) != 0 && isSet("STANDIN_MISSING_CLASS")) {
    raise("java.lang.NoClassDefFoundError", name);
    return nullptr;
  }
  return reinterpret_cast<jclass>(newObject(Kind::Class, name));
}

jthrowable JNICALL exceptionOccurred(JNIEnv*) {
  return reinterpret_cast<jthrowable>(pendingException);
}

void JNICALL exceptionDescribe(JNIEnv*) {
  record("ExceptionDescribe");
  if (!pendingException) return;
  writeAll(2, "Exception in thread \"main\" " + pendingException->name + ": " +
                  narrow(pendingException->units) + lineEnd);
  pendingException = nullptr;
}

void JNICALL exceptionClear(JNIEnv*) { pendingException = nullptr; }

jint JNICALL throwObject(JNIEnv*, jthrowable error) {
  pendingException = object(error);
  return JNI_OK;
}

jboolean JNICALL exceptionCheck(JNIEnv*) {
  record(std::string("ExceptionCheck ") + (pendingException ? "true" : "false"));
  return pendingException ? JNI_TRUE : JNI_FALSE;
}

void JNICALL deleteLocalRef(JNIEnv*, jobject) {}

jobjectArray JNICALL newObjectArray(JNIEnv*, jsize length, jclass elementClass,
                                    jobject initial) {
  std::string className = elementClass ? object(elementClass)->name : "(null)";
  record("NewObjectArray length=" + std::to_string(length) + " class=" + className);
  if (length < 0) {
    raise("java.lang.NegativeArraySizeException", std::to_string(length));
    return nullptr;
  }
  Object* array = newObject(Kind::Array, "[L" + className + ";");
  array->elements.assign(static_cast<size_t>(length), object(initial));
  return reinterpret_cast<jobjectArray>(array);
}

jsize JNICALL getArrayLength(JNIEnv*, jarray array) {
  return static_cast<jsize>(object(array)->elements.size());
}

void JNICALL setObjectArrayElement(JNIEnv*, jobjectArray array, jsize index,
                                   jobject value) {
  std::vector<Object*>& elements = object(array)->elements;
  if (index < 0 || static_cast<size_t>(index) >= elements.size()) {
    raise("java.lang.ArrayIndexOutOfBoundsException", std::to_string(index));
    return;
  }
  elements[static_cast<size_t>(index)] = object(value);
}

jstring newStringFromUnits(std::u16string units) {
  if (isSet("STANDIN_FAIL_STRINGS")) {
    raise("java.lang.OutOfMemoryError", "stand-in refuses strings");
    return nullptr;
  }
  Object* string = newObject(Kind::String, "java/lang/String");
  string->units = std::move(units);
  return reinterpret_cast<jstring>(string);
}

jstring JNICALL newStringUtf(JNIEnv*, const char* bytes) {
  return newStringFromUnits(decodeModifiedUtf8(bytes));
}

jstring JNICALL newString(JNIEnv*, const jchar* units, jsize length) {
  return newStringFromUnits(std::u16string(units, units + length));
}

jmethodID JNICALL getStaticMethodId(JNIEnv*, jclass owner, const char* name,
                                    const char* signature) {
  record("GetStaticMethodID " + (owner ? object(owner)->name : "(null)") + " " + name + " " +
         signature);
  if (isSet("STANDIN_MISSING_METHOD")) {
    raise("java.lang.NoSuchMethodError", name);
    return nullptr;
  }
  return reinterpret_cast<jmethodID>(new Method{object(owner), name, signature});
}

jboolean JNICALL isInstanceOf(JNIEnv*, jobject instance, jclass type) {
  std::string name = object(type)->name;  // slash form; a throwable's is dotted
  for (char& c : name)
    if (c == '/') c = '.';
  return instance && object(instance)->name == name ? JNI_TRUE : JNI_FALSE;
}

/// Only Throwable.getMessage() is known: the launcher's use of the
/// uncaught-exception handler meets a pending NoSuchMethodError.
jmethodID JNICALL getMethodId(JNIEnv*, jclass owner, const char* name, const char* signature) {
  record("GetMethodID " + (owner ? object(owner)->name : "(null)") + " " + name);
  if (std::string(name) == "getMessage")
    return reinterpret_cast<jmethodID>(new Method{object(owner), name, signature});
  raise("java.lang.NoSuchMethodError", name);
  return nullptr;
}

/// Only Throwable.getMessage() is known.
jobject JNICALL callObjectMethodV(JNIEnv*, jobject instance, jmethodID method, va_list) {
  if (reinterpret_cast<Method*>(method)->name != "getMessage") return nullptr;
  Object* message = newObject(Kind::String, "java/lang/String");
  message->units = object(instance)->units;
  return reinterpret_cast<jobject>(message);
}

const char* JNICALL getStringUtfChars(JNIEnv*, jstring string, jboolean* isCopy) {
  std::string bytes;
  for (char16_t unit : object(string)->units) {
    if (unit != 0 && unit < 0x80) {
      bytes += char(unit);
    } else if (unit < 0x800) {
      bytes += char(0xC0 | (unit >> 6));
      bytes += char(0x80 | (unit & 0x3F));
    } else {
      bytes += char(0xE0 | (unit >> 12));
      bytes += char(0x80 | ((unit >> 6) & 0x3F));
      bytes += char(0x80 | (unit & 0x3F));
    }
  }
  if (isCopy) *isCopy = JNI_TRUE;
  return std::strcpy(new char[bytes.size() + 1], bytes.c_str());
}

void JNICALL releaseStringUtfChars(JNIEnv*, jstring, const char* chars) { delete[] chars; }

/// The stand-in's main method: reports its arguments, then does what the
/// environment asks.
void runMain(Object* arguments) {
  if (!arguments) {
    record("main args=null");
  } else {
    record("main args=" + std::to_string(arguments->elements.size()));
    for (size_t i = 0; i < arguments->elements.size(); ++i) {
      Object* element = arguments->elements[i];
      record("arg[" + std::to_string(i) + "]=" +
             (element ? describeUnits(element->units) : std::string("null")));
    }
  }
  std::string exitCode = variable("STANDIN_EXIT");
  if (!exitCode.empty()) std::exit(std::atoi(exitCode.c_str()));
  if (isSet("STANDIN_THROW")) raise("java.lang.IllegalStateException", "thrown by main");
}

void JNICALL callStaticVoidMethodV(JNIEnv*, jclass, jmethodID, va_list arguments) {
  runMain(object(va_arg(arguments, jobject)));
}

void JNICALL callStaticVoidMethod(JNIEnv* env, jclass owner, jmethodID method, ...) {
  va_list arguments;
  va_start(arguments, method);
  callStaticVoidMethodV(env, owner, method, arguments);
  va_end(arguments);
}

void JNICALL callStaticVoidMethodA(JNIEnv*, jclass, jmethodID, const jvalue* arguments) {
  runMain(object(arguments[0].l));
}

// --- Function tables ----------------------------------------------------------------

/// Placeholder for every JNI function the stand-in does not implement: the
/// index is the function's position in the JNI function table.
template <size_t Index>
void JNICALL unsupported() {
  writeAll(2, "[jvm] unsupported JNI function called: table index " +
                  std::to_string(Index) + lineEnd);
  std::abort();
}

template <typename Table, size_t... Index>
void fillUnsupported(Table* table, std::index_sequence<Index...>) {
  using Slot = void(JNICALL*)();
  const Slot slots[] = {&unsupported<Index>...};
  static_assert(sizeof slots == sizeof(Table), "one slot per table entry");
  std::memcpy(static_cast<void*>(table), slots, sizeof slots);
}

JNINativeInterface_ makeNativeInterface() {
  JNINativeInterface_ table;
  fillUnsupported(&table, std::make_index_sequence<sizeof table / sizeof(void*)>());
  table.reserved0 = table.reserved1 = table.reserved2 = table.reserved3 = nullptr;
  table.GetVersion = getVersion;
  table.FindClass = findClass;
  table.ExceptionOccurred = exceptionOccurred;
  table.ExceptionDescribe = exceptionDescribe;
  table.ExceptionClear = exceptionClear;
  table.ExceptionCheck = exceptionCheck;
  table.Throw = throwObject;
  table.IsInstanceOf = isInstanceOf;
  table.GetMethodID = getMethodId;
  table.CallObjectMethodV = callObjectMethodV;
  table.GetStringUTFChars = getStringUtfChars;
  table.ReleaseStringUTFChars = releaseStringUtfChars;
  table.DeleteLocalRef = deleteLocalRef;
  table.NewObjectArray = newObjectArray;
  table.GetArrayLength = getArrayLength;
  table.SetObjectArrayElement = setObjectArrayElement;
  table.NewString = newString;
  table.NewStringUTF = newStringUtf;
  table.GetStaticMethodID = getStaticMethodId;
  table.CallStaticVoidMethod = callStaticVoidMethod;
  table.CallStaticVoidMethodV = callStaticVoidMethodV;
  table.CallStaticVoidMethodA = callStaticVoidMethodA;
  return table;
}

const JNINativeInterface_ nativeInterface = makeNativeInterface();
JNIEnv mainEnv{&nativeInterface};

jint JNICALL destroyJavaVm(JavaVM*) {
  record("DestroyJavaVM");
  return JNI_OK;
}

jint JNICALL detachCurrentThread(JavaVM*) {
  record("DetachCurrentThread");
  return JNI_OK;
}

jint JNICALL getEnv(JavaVM*, void** env, jint) {
  *env = &mainEnv;
  return JNI_OK;
}

JNIInvokeInterface_ makeInvokeInterface() {
  JNIInvokeInterface_ table;
  fillUnsupported(&table, std::make_index_sequence<sizeof table / sizeof(void*)>());
  table.reserved0 = table.reserved1 = table.reserved2 = nullptr;
  table.DestroyJavaVM = destroyJavaVm;
  table.DetachCurrentThread = detachCurrentThread;
  table.GetEnv = getEnv;
  return table;
}

const JNIInvokeInterface_ invokeInterface = makeInvokeInterface();
JavaVM theVm{&invokeInterface};

}  // namespace

// --- Exported entry points ------------------------------------------------------------

jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* args) {
  auto* initArgs = static_cast<JavaVMInitArgs*>(args);
  record("JNI_GetDefaultJavaVMInitArgs version=0x" + hex(unsigned(initArgs->version), 0));
  return isSet("STANDIN_FAIL_DEFAULT_ARGS") ? JNI_ERR : JNI_OK;
}

jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* args) {
  auto* initArgs = static_cast<JavaVMInitArgs*>(args);
  record("JNI_CreateJavaVM version=0x" + hex(unsigned(initArgs->version), 0) +
         " ignoreUnrecognized=" + std::to_string(int(initArgs->ignoreUnrecognized)) +
         " nOptions=" + std::to_string(initArgs->nOptions));
  for (jint i = 0; i < initArgs->nOptions; ++i) {
    const char* option = initArgs->options[i].optionString;
    record("option[" + std::to_string(i) + "]=" + (option ? option : "(null)"));
  }
  recordEnvironment();
  if (isSet("STANDIN_FAIL_CREATE_VM")) return JNI_ERR;
  *vm = &theVm;
  *env = &mainEnv;
  return JNI_OK;
}
