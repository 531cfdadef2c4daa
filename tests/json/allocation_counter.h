// Counts the test program's calls of operator new.
#pragma once

#include <cstddef>

/// Number of allocations through operator new since the program started.
size_t allocationCount();
