// Loads a configuration of 100 MB ("wide") or one nested ten million levels
// deep ("deep"), generated into the given directory, and prints the time the
// load took and the process's peak memory. Fails when the configuration is
// not read correctly; the figures are only printed.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "launch_plan.h"
#include "load_configuration.h"

namespace {

const size_t kWideBytes = 100u << 20;
const size_t kDeepLevels = 10000000;
const size_t kClassPathEntries = 10000;

/// Writes the text in pieces, so that generating it takes little memory.
class Writer {
 public:
  explicit Writer(const char* path) : file_(std::fopen(path, "wb")) {}
  ~Writer() {
    if (file_) std::fclose(file_);
  }
  bool ok() const { return file_ != nullptr; }
  size_t written() const { return written_; }
  void put(const std::string& text) { put(text.data(), text.size()); }
  void put(const char* text, size_t length) {
    std::fwrite(text, 1, length, file_);
    written_ += length;
  }
  void repeat(char c, size_t count) {
    const std::string block(1 << 16, c);
    for (; count >= block.size(); count -= block.size()) put(block);
    put(block.data(), count);
  }

 private:
  std::FILE* file_;
  size_t written_ = 0;
};

void writeTail(Writer& out) {
  out.put(R"(, "mainClass": "app.Main", "classPath": [)");
  for (size_t i = 0; i < kClassPathEntries; ++i)
    out.put((i ? ", \"lib/library-" : "\"lib/library-") + std::to_string(i) + ".jar\"");
  out.put("]}\n");
}

/// A hundred megabytes of objects, strings, numbers and literals.
void writeWide(Writer& out) {
  out.put(R"({"env": {"VANTREL_BIG": "yes"}, "padding": [)");
  for (size_t i = 0; out.written() < kWideBytes; ++i) {
    out.put((i ? ",\n  {\"key\": \"value " : "\n  {\"key\": \"value ") + std::to_string(i) +
            R"(\n", "number": )" + std::to_string(i * 7) +
            R"(, "double": -1.25e-3, "list": [true, false, null], "text": "\u00e9t\u00e9"})");
  }
  out.put("]");
  writeTail(out);
}

void writeDeep(Writer& out) {
  out.put(R"({"deep": )");
  out.repeat('[', kDeepLevels);
  out.repeat(']', kDeepLevels);
  writeTail(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "wide") != 0 && std::strcmp(argv[1], "deep") != 0)) {
    std::fprintf(stderr, "usage: hostile_big wide|deep <directory>\n");
    return 2;
  }
  const bool wide = std::strcmp(argv[1], "wide") == 0;
  const std::string path = std::string(argv[2]) + (wide ? "/wide.json" : "/deep.json");
  size_t bytes = 0;
  {
    Writer out(path.c_str());
    if (!out.ok()) {
      std::perror(path.c_str());
      return 2;
    }
    wide ? writeWide(out) : writeDeep(out);
    bytes = out.written();
  }

  LaunchSettings settings;
  settings.configPath = path;
  const auto start = std::chrono::steady_clock::now();
  StepResult<Configuration> configuration = loadConfiguration(settings);
  if (configuration.stops()) {
    std::fprintf(stderr, "the configuration was refused (status %d)\n", *configuration.exitStatus);
    return 1;
  }
  const LaunchSettings loaded =
      planLaunch(std::move(settings), std::move(configuration.value)).settings;
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%s: %.1f MB loaded in %.2f s, peak memory %.0f MB\n", argv[1],
              bytes / 1048576.0, seconds.count(), usage.ru_maxrss / 1024.0);
  unlink(path.c_str());

  const bool right = loaded.mainClass == "app.Main" &&
                     loaded.classPath.size() == kClassPathEntries &&
                     loaded.classPath.back() == "lib/library-9999.jar";
  if (!right) std::fprintf(stderr, "the configuration was misread\n");
  return right ? 0 : 1;
}
