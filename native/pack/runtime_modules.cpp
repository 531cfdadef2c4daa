// Choosing the modules of a runtime made with jlink. A modular jar declares
// what it requires in its module-info.class, which is read directly: jdeps
// would resolve it as a module and fail on modules that an app running on
// the class path never needs. jdeps analyses the other jars.
#include "runtime_modules.h"

#include <algorithm>
#include <iterator>
#include <set>

#include "bytes.h"
#include "file_util.h"
#include "jar_listing.h"
#include "jdk_tools.h"
#include "runtime_layout.h"
#include "vm_option_modules.h"

using bytes::fits;

const ServiceModule serviceModules[5] = {
    {"jdk.crypto.ec", ""},                  // elliptic-curve TLS (JDK 21 and older)
    {"jdk.zipfs", ""},                      // zip and jar file systems
    {"jdk.unsupported", ""},                // sun.misc.Unsafe, reached by reflection
    {"jdk.accessibility", "java.desktop"},  // assistive technologies
    {"jdk.naming.dns", "java.naming"},      // DNS names through JNDI
};

namespace {

/// The size of a constant pool entry by its tag, a Utf8 entry's text aside;
/// 0 for a tag that is none.
constexpr unsigned char constantSizes[] = {0, 3, 0, 5, 5, 9, 9, 3, 3, 5, 5,
                                           5, 5, 0, 0, 4, 3, 5, 5, 3, 3};

/// The largest module-info.class read.
constexpr uint64_t maximumModuleInfoBytes = 1u << 20;

uint32_t be16(const std::string& data, size_t at) {
  return bytes::byteAt(data, at) << 8 | bytes::byteAt(data, at + 1);
}

/// The class file's constant pool: the offset of each entry (0 for the
/// second slot of a long or double).
bool readConstantPool(const std::string& data, size_t* at, std::vector<size_t>* entries) {
  if (!fits(data, 0, 10) || bytes::be32(data, 0) != 0xCAFEBABEu) return false;
  const uint32_t count = be16(data, 8);
  entries->assign(count, 0);
  *at = 10;
  for (uint32_t i = 1; i < count; ++i) {
    if (!fits(data, *at, 3)) return false;
    (*entries)[i] = *at;
    const unsigned tag = bytes::byteAt(data, *at);
    if (tag >= std::size(constantSizes) || constantSizes[tag] == 0) return false;
    const size_t size = constantSizes[tag] + (tag == 1 ? be16(data, *at + 1) : 0);
    if (tag == 5 || tag == 6) ++i;  // a long or double takes two entries
    *at += size;
  }
  return fits(data, 0, *at);
}

/// The text of the Utf8 entry `index`, or of the Utf8 entry an entry that
/// holds one (Class, Module) names.
bool utf8At(const std::string& data, const std::vector<size_t>& pool, uint32_t index,
            std::string* text, bool direct = false) {
  if (index == 0 || index >= pool.size() || pool[index] == 0) return false;
  size_t at = pool[index];
  const unsigned tag = bytes::byteAt(data, at);
  if (!direct && (tag == 7 || tag == 19)) return utf8At(data, pool, be16(data, at + 1), text, true);
  if (tag != 1 || !fits(data, at + 3, be16(data, at + 1))) return false;
  *text = data.substr(at + 3, be16(data, at + 1));
  return true;
}

/// Skips the fields or methods table at `*at`.
bool skipMembers(const std::string& data, size_t* at) {
  if (!fits(data, *at, 2)) return false;
  uint32_t count = be16(data, *at);
  *at += 2;
  for (uint32_t i = 0; i < count; ++i) {
    if (!fits(data, *at, 8)) return false;
    uint32_t attributes = be16(data, *at + 6);
    *at += 8;
    for (uint32_t j = 0; j < attributes; ++j) {
      if (!fits(data, *at, 6) || !fits(data, *at + 6, bytes::be32(data, *at + 2))) return false;
      *at += 6 + bytes::be32(data, *at + 2);
    }
  }
  return true;
}

bool contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

/// The module-info.class of a jar as the runtime `version` reads it: at
/// the top, or in the newest META-INF/versions/N/ up to the version.
const JarEntry* moduleInfoEntry(const std::vector<JarEntry>& entries, int version) {
  const JarEntry* found = nullptr;
  int foundVersion = -1;
  const std::string versions = "META-INF/versions/", name = "module-info.class";
  for (const JarEntry& entry : entries) {
    int entryVersion = -1;
    if (entry.name == name) {
      entryVersion = 0;
    } else if (entry.name.compare(0, versions.size(), versions) == 0 &&
               entry.name.size() > name.size() &&
               entry.name.compare(entry.name.size() - name.size(), name.size(), name) == 0) {
      std::string number =
          entry.name.substr(versions.size(), entry.name.size() - name.size() - 1 - versions.size());
      if (number.empty() || number.size() > 4 ||
          number.find_first_not_of("0123456789") != std::string::npos)
        continue;
      entryVersion = std::stoi(number);
      if (entryVersion > version) continue;
    }
    if (entryVersion > foundVersion) {
      found = &entry;
      foundVersion = entryVersion;
    }
  }
  return found;
}

/// What the app's jars and class folders use, from their module
/// descriptors and from jdeps.
class Analysis {
 public:
  Analysis(const PackOptions& options, std::ostream& progress)
      : options_(options), progress_(progress), version_(runtimeFeatureVersion(options.jdk)) {}

  bool run(const std::vector<std::string>& jars, const std::vector<std::string>& classFolders,
           std::vector<std::string>* modules, std::string* error) {
    std::vector<std::string> plain = classFolders;
    for (const std::string& jar : jars)
      if (!readDescriptor(jar, &plain, error)) return false;
    progress_ << "Finding the modules the jars use (jdeps) ..." << std::endl;
    if (!plain.empty() && !runJdeps(plain, error)) return false;
    modules->assign(used_.begin(), used_.end());
    return true;
  }

 private:
  /// The requires of a modular jar; other jars go to `plain`.
  bool readDescriptor(const std::string& jar, std::vector<std::string>* plain, std::string* error) {
    std::vector<JarEntry> entries;
    std::string data, name, reason;
    std::vector<std::string>
    requires;
    if (!readJarDirectory(jar, &entries, &reason)) {
      *error = "cannot read " + jar + ": " + reason;
      return false;
    }
    const JarEntry* entry = moduleInfoEntry(entries, version_);
    if (!entry) {
      plain->push_back(jar);
      return true;
    }
    if (!readJarEntry(jar, *entry, maximumModuleInfoBytes, &data, &reason) ||
        !readModuleInfo(data, &name, &requires)) {
      *error = "cannot read the module descriptor of " + jar + ": " +
               (reason.empty() ? "damaged" : reason);
      return false;
    }
    used_.insert(requires.begin(), requires.end());
    return true;
  }

  std::vector<std::string> jdepsCommand(const std::vector<std::string>& inputs) const {
    std::vector<std::string> command = {toolOf(options_.jdk, "jdeps"), "--print-module-deps",
                                        "--ignore-missing-deps", "--multi-release",
                                        std::to_string(std::max(version_, 9))};
    command.insert(command.end(), inputs.begin(), inputs.end());
    return command;
  }

  /// The module list jdeps prints last; anything else is a failure.
  static bool moduleList(const std::string& output, std::vector<std::string>* modules) {
    size_t end = output.find_last_not_of("\r\n");
    if (end == std::string::npos) return false;
    size_t start = output.find_last_of('\n', end);
    start = start == std::string::npos ? 0 : start + 1;
    const std::string line = output.substr(start, end + 1 - start);
    if (line.empty() || line.find_first_of(" \t:") != std::string::npos) return false;
    size_t at = 0;
    while (at <= line.size()) {
      size_t comma = line.find(',', at);
      if (comma == std::string::npos) comma = line.size();
      if (comma > at) modules->push_back(line.substr(at, comma - at));
      at = comma + 1;
    }
    return !modules->empty();
  }

  bool runJdeps(const std::vector<std::string>& inputs, std::string* error) {
    std::string output, failure;
    std::vector<std::string> modules;
    if (runTool(jdepsCommand(inputs), &output, &failure) && moduleList(output, &modules)) {
      used_.insert(modules.begin(), modules.end());
      return true;
    }
    *error = "jdeps cannot analyse " + culprit(inputs, output.empty() ? failure : output) +
             "; name the runtime's modules with --modules M1,M2 to do without the analysis";
    return false;
  }

  /// The jar or folder jdeps fails on and its first message: each is
  /// analysed alone until one fails.
  std::string culprit(const std::vector<std::string>& inputs, const std::string& failure) {
    for (const std::string& input : inputs) {
      std::string output, reason;
      std::vector<std::string> modules;
      if (runTool(jdepsCommand({input}), &output, &reason) && moduleList(output, &modules))
        continue;
      return input + " (" + firstMessage(output.empty() ? reason : output) + ")";
    }
    return "the app's jars (" + firstMessage(failure) + ")";
  }

  /// The first line of a tool's output that is no stack frame, without
  /// the exception's class.
  static std::string firstMessage(const std::string& output) {
    size_t start = 0;
    while (start < output.size()) {
      size_t end = output.find('\n', start);
      if (end == std::string::npos) end = output.size();
      std::string line = output.substr(start, end - start);
      start = end + 1;
      if (line.find_first_not_of(" \t") == std::string::npos ||
          line.find("failed (exit status") != std::string::npos ||
          line.compare(0, 4, "\tat ") == 0 || line.compare(0, 3, "   ") == 0)
        continue;
      size_t exception = line.rfind("Exception: ");
      if (exception != std::string::npos) line.erase(0, exception + 11);
      if (line.compare(0, 7, "Error: ") == 0) line.erase(0, 7);
      while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
      return line;
    }
    return "no message";
  }

  const PackOptions& options_;
  std::ostream& progress_;
  int version_;
  std::set<std::string> used_;
};

}  // namespace

bool readModuleInfo(const std::string& classFile, std::string* name,
                    std::vector<std::string>* requires) {
  std::vector<size_t> pool;
  size_t at = 0;
  if (!readConstantPool(classFile, &at, &pool) || !fits(classFile, at, 8)) return false;
  at += 6 + 2 * static_cast<size_t>(be16(classFile, at + 6)) + 2;  // flags, classes, interfaces
  if (!skipMembers(classFile, &at) || !skipMembers(classFile, &at) || !fits(classFile, at, 2))
    return false;
  uint32_t attributes = be16(classFile, at);
  at += 2;
  for (uint32_t i = 0; i < attributes; ++i) {
    std::string attribute;
    if (!fits(classFile, at, 6) || !utf8At(classFile, pool, be16(classFile, at), &attribute))
      return false;
    const uint32_t length = bytes::be32(classFile, at + 2);
    const size_t start = at + 6;
    if (!fits(classFile, start, length)) return false;
    at = start + length;
    if (attribute != "Module") continue;
    if (length < 8 || !utf8At(classFile, pool, be16(classFile, start), name)) return false;
    const uint32_t count = be16(classFile, start + 6);
    if (!fits(length, 8, 6ull * count)) return false;
    requires->clear();
    for (uint32_t j = 0; j < count; ++j) {
      std::string required;
      if (!utf8At(classFile, pool, be16(classFile, start + 8 + 6 * static_cast<size_t>(j)),
                  &required))
        return false;
      requires->push_back(required);
    }
    return true;
  }
  return false;
}

bool chooseModules(const PackOptions& options, const std::vector<std::string>& jars,
                   const std::vector<std::string>& classFolders,
                   const std::vector<std::string>& named, std::ostream& progress,
                   std::vector<std::string>* modules, std::string* error) {
  if (options.modulesGiven) {
    *modules = options.modules;
    return true;
  }
  std::vector<std::string> available, used;
  runtimeModules(options.jdk, &available);
  if (!Analysis(options, progress).run(jars, classFolders, &used, error)) return false;
  // Only the JDK's own modules: a modular jar also requires the app's.
  std::vector<std::string> chosen;
  for (const std::string& module : used)
    if (available.empty() || contains(available, module)) chosen.push_back(module);
  for (const ServiceModule& service : serviceModules)
    if (contains(available, service.name) && (!*service.when || contains(chosen, service.when)))
      chosen.push_back(service.name);
  for (const std::string& module : named)
    if (contains(available, module)) chosen.push_back(module);
  // --add-modules as given: jlink names one the JDK lacks.
  chosen.insert(chosen.end(), options.addModules.begin(), options.addModules.end());
  if (chosen.empty()) chosen.push_back("java.base");
  std::sort(chosen.begin(), chosen.end());
  chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
  *modules = chosen;
  return true;
}
