// Replaces the global operator new of the test program to count calls.
#include "allocation_counter.h"

#include <cstdlib>
#include <new>

namespace {
size_t count = 0;
}  // namespace

size_t allocationCount() { return count; }

void* operator new(size_t size) {
  ++count;
  if (void* p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void* operator new[](size_t size) { return operator new(size); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
