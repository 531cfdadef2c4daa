#include "vm_hooks.h"

#include <algorithm>
#include <cstring>

#include "desktop_steps.h"
#include "platform.h"

void JNICALL exitThroughLauncher(jint status) {
  exitProcess(endOfApp(static_cast<int>(status)));
}

JavaVMOption hookOption(const char* name, void* hook) {
  char* copy = new char[std::strlen(name) + 1];
  std::strcpy(copy, name);
  return JavaVMOption{copy, hook};
}

JavaVMOption* withHooks(JavaVMOption* options, jint* optionCount,
                        const std::vector<JavaVMOption>& hooks) {
  if (hooks.empty()) return options;
  const size_t count = static_cast<size_t>(*optionCount);
  JavaVMOption* all = new JavaVMOption[count + hooks.size()];
  std::copy(options, options + count, all);
  std::copy(hooks.begin(), hooks.end(), all + count);
  delete[] options;
  *optionCount = static_cast<jint>(count + hooks.size());
  return all;
}
