#include "vm_hooks.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "platform.h"
#include "report.h"
#include "wide_text-win32.h"

namespace {

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

}  // namespace

// Java's System.exit goes through the launcher always: the runtime's C
// library would end the process without the launcher's exit handlers (the
// --console prompt).
JavaVMOption* appendVmHooks(JavaVMOption* options, jint* optionCount, bool) {
  std::vector<JavaVMOption> hooks = {
      hookOption("exit", reinterpret_cast<void*>(exitThroughLauncher)),
      hookOption("abort", reinterpret_cast<void*>(abortHook))};
  // Only kept output needs catching: otherwise the runtime writes as ever.
  if (reportIsKept()) hooks.push_back(hookOption("vfprintf", reinterpret_cast<void*>(vfprintfHook)));
  return withHooks(options, optionCount, hooks);
}
