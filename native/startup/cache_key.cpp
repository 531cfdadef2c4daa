#include "cache_key.h"

#include <cstdint>

#include "checksum.h"
#include "file_system.h"
#include "paths.h"
#include "runtime_layout.h"

namespace {

/// Bumped when the cache's files change their meaning.
const char* const cacheFormat = "vantrel startup cache 2";

/// FNV-1a over fields, each preceded by its length so that no two lists of
/// fields hash the same bytes.
class KeyHash {
 public:
  void add(const std::string& field) {
    for (char c : std::to_string(field.size()) + ':' + field) step(static_cast<unsigned char>(c));
  }
  uint64_t value() const { return value_; }

 private:
  void step(unsigned char byte) {
    value_ ^= byte;
    value_ *= 0x100000001b3ULL;
  }
  uint64_t value_ = 0xcbf29ce484222325ULL;
};

bool isNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '_' || c == '-';
}

/// `text` with each whole occurrence of `folder` (not followed by more of a
/// file name) replaced by a marker no option can hold.
std::string portable(const std::string& text, const std::string& folder) {
  if (folder.empty()) return text;
  std::string result;
  size_t from = 0;
  for (size_t at = text.find(folder); at != std::string::npos; at = text.find(folder, at + 1)) {
    const size_t end = at + folder.size();
    if (end < text.size() && isNameCharacter(text[end])) continue;
    result += text.substr(from, at - from) + std::string("\0APPDIR\0", 8);
    from = end;
  }
  return result + text.substr(from);
}

std::string resolve(const CacheKeyInputs& inputs, const std::string& path) {
  return isAbsolutePath(path) ? path : joinPath(inputs.workingDirectory, path);
}

std::string stampOf(const std::string& path) {
  const FileStamp stamp = statFile(path);
  if (!stamp.exists) return "missing";
  return std::to_string(stamp.size) + "@" + std::to_string(modifiedSeconds(stamp));
}

}  // namespace

std::string portableKey(const CacheKeyInputs& inputs) {
  KeyHash hash;
  auto add = [&](const std::string& text) { hash.add(portable(text, inputs.appDirectory)); };
  add(cacheFormat);
  add(inputs.releaseText);
  add(inputs.runtimeHome);
  add(stampOf(inRuntime(inputs.runtimeHome, runtimeLibraryIn(hostOs))));
  add(stampOf(inRuntime(inputs.runtimeHome, runtimeModulesFile)));
  add(inputs.workingDirectory);
  add(inputs.mainClass);
  add(std::to_string(inputs.classPath.size()));
  for (const std::string& entry : inputs.classPath) {
    add(entry);
    add(stampOf(resolve(inputs, entry)));
  }
  add(std::to_string(inputs.vmArgs.size()));
  for (const std::string& option : inputs.vmArgs) add(option);
  for (const std::string& option : inputs.environmentOptions) add(option);
  return hexDigits(hash.value());
}

std::string folderTag(const std::string& appDirectory) {
  KeyHash hash;
  hash.add(appDirectory);
  return hexDigits(hash.value());
}
