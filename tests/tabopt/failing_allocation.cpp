#include "failing_allocation.h"

#include <cstddef>

extern "C" {
void *__real_malloc(size_t size);
void *__real_calloc(size_t count, size_t size);
void *__real_realloc(void *block, size_t size);
}

namespace {

int countdown = 0;  // 0: disarmed
bool failAfter = false;
bool triggered = false;

bool shouldFail() {
  if (countdown == 0) return false;
  if (countdown > 1) {
    --countdown;
    return false;
  }
  triggered = true;
  if (!failAfter) countdown = 0;
  return true;
}

}  // namespace

void failAllocation(int nth, bool andAfter) {
  countdown = nth;
  failAfter = andAfter;
  triggered = false;
}

bool disarmAllocationFailure() {
  countdown = 0;
  return triggered;
}

extern "C" {

void *__wrap_malloc(size_t size) { return shouldFail() ? nullptr : __real_malloc(size); }

void *__wrap_calloc(size_t count, size_t size) {
  return shouldFail() ? nullptr : __real_calloc(count, size);
}

void *__wrap_realloc(void *block, size_t size) {
  return shouldFail() ? nullptr : __real_realloc(block, size);
}

}
