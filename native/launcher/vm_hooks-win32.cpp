#include "vm_hooks.h"

#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform.h"
#include "report.h"
#include "wide_text-win32.h"

namespace {

/// Java's System.exit: the runtime's C library would end the process
/// without the launcher's exit handlers (the --console prompt).
void JNICALL exitHook(jint status) { exitProcess(static_cast<int>(status)); }

/// The runtime gives up (inside JNI_CreateJavaVM, too): show why first.
void JNICALL abortHook() { showFailure(); }

/// The runtime's own messages, in the process's code page, kept for the box.
jint JNICALL vfprintfHook(std::FILE*, const char* format, va_list arguments) {
  va_list copy;
  va_copy(copy, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length <= 0) return length;
  std::vector<char> text(static_cast<size_t>(length) + 1);
  std::vsnprintf(text.data(), text.size(), format, arguments);
  keepReportText(codePageToUtf8(std::string(text.data(), static_cast<size_t>(length)), CP_ACP));
  return length;
}

JavaVMOption hookOption(const char* name, void* hook) {
  char* copy = new char[std::strlen(name) + 1];
  std::strcpy(copy, name);
  return JavaVMOption{copy, hook};
}

}  // namespace

JavaVMOption* appendVmHooks(JavaVMOption* options, jint* optionCount) {
  std::vector<JavaVMOption> hooks = {
      hookOption("exit", reinterpret_cast<void*>(exitHook)),
      hookOption("abort", reinterpret_cast<void*>(abortHook))};
  // Only kept output needs catching: otherwise the runtime writes as ever.
  if (reportIsKept()) hooks.push_back(hookOption("vfprintf", reinterpret_cast<void*>(vfprintfHook)));
  const size_t count = static_cast<size_t>(*optionCount);
  JavaVMOption* all = new JavaVMOption[count + hooks.size()];
  std::copy(options, options + count, all);
  std::copy(hooks.begin(), hooks.end(), all + count);
  delete[] options;
  *optionCount = static_cast<jint>(count + hooks.size());
  return all;
}
