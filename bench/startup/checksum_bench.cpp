// Prints the median time of the startup cache's check of one archive (its
// checksum over the whole file, as every launch computes it before the VM
// gets the file), for comparison with the VM's own -XX:+VerifySharedSpaces.
//   checksum_bench FILE [RUNS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "checksum.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: checksum_bench FILE [RUNS]\n");
    return 2;
  }
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 21;
  std::vector<double> times;
  uint64_t sum = 0;
  for (int i = 0; i <= runs; ++i) {  // the first run brings the file into memory
    const auto start = std::chrono::steady_clock::now();
    if (!checksumFile(argv[1], &sum)) {
      std::fprintf(stderr, "cannot read %s\n", argv[1]);
      return 1;
    }
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    if (i > 0) times.push_back(took.count());
  }
  std::sort(times.begin(), times.end());
  std::printf("%.2f\n", times[times.size() / 2]);
  return 0;
}
