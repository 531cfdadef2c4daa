// Times readVmOptionNames and unrecognisedVmOptions on runtime libraries:
//   vm_options_bench [RUNS] LIBRARY...
// Prints per library the size of its read-only data, the median and the
// fastest time of reading it and judging ten options, and the verdicts.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "vm_option_names.h"

namespace {

const std::vector<std::string> options = {
    "-Xmx512m", "-Xss2m", "-XX:+UseSerialGC", "-XX:MaxRAMPercentage=50", "-Dapp.home=/opt/app",
    "--add-opens=java.base/java.lang=ALL-UNNAMED", "-Xlog:disable", "-ea",
    "-XX:+UseZGCC", "--add-opens java.base/java.lang=ALL-UNNAMED"};

double milliseconds(std::chrono::steady_clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

void bench(const std::string& library, int runs) {
  std::vector<double> times;
  size_t size = 0;
  size_t unrecognised = 0;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    const VmOptionNames names = readVmOptionNames(library);
    unrecognised = unrecognisedVmOptions(names, options).size();
    times.push_back(milliseconds(std::chrono::steady_clock::now() - start));
    size = names.texts.size();
  }
  std::sort(times.begin(), times.end());
  std::printf("%-70s %8.2f MiB  median %6.2f ms  fastest %6.2f ms  %zu of %zu unrecognised\n",
              library.c_str(), size / 1048576.0, times[times.size() / 2], times.front(),
              unrecognised, options.size());
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  int runs = 50;
  if (argc > 1 && std::atoi(argv[1]) > 0) runs = std::atoi(argv[first++]);
  if (first >= argc) {
    std::fprintf(stderr, "usage: vm_options_bench [RUNS] LIBRARY...\n");
    return 2;
  }
  for (int i = first; i < argc; ++i) bench(argv[i], runs);
  return 0;
}
