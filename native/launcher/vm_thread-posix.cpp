#include "vm_thread.h"

#include <pthread.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const size_t defaultStackSize = 8u << 20;
const size_t minimumStackSize = 1u << 20;

/// Reads a size such as 512k, 4m or 1g; 0 when it is not one.
size_t parseSize(const char* text) {
  char* end = nullptr;
  unsigned long long value = std::strtoull(text, &end, 10);
  if (end == text) return 0;
  std::string suffix = end;
  if (suffix == "k" || suffix == "K") value <<= 10;
  else if (suffix == "m" || suffix == "M") value <<= 20;
  else if (suffix == "g" || suffix == "G") value <<= 30;
  else if (!suffix.empty()) return 0;
  return static_cast<size_t>(value);
}

void* runTask(void* task) {
  (*static_cast<VmTask*>(task))();
  return nullptr;
}

}  // namespace

size_t vmThreadStackSize(const JavaVMInitArgs& args) {
  size_t size = 0;
  for (jint i = 0; i < args.nOptions; ++i) {
    const char* option = args.options[i].optionString;
    if (option && std::strncmp(option, "-Xss", 4) == 0) size = parseSize(option + 4);
  }
  if (size == 0) return defaultStackSize;
  return size < minimumStackSize ? minimumStackSize : size;
}

void runOnVmThread(VmTask task, const JavaVMInitArgs& args) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, vmThreadStackSize(args));
  pthread_t thread;
  bool started = pthread_create(&thread, &attributes, runTask, &task) == 0;
  pthread_attr_destroy(&attributes);
  if (started)
    pthread_join(thread, nullptr);
  else
    task();
}
