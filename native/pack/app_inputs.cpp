// Planning an app folder from the application as it is installed: every
// file is found, every jar on the class path read, before anything is made.
#include "app_inputs.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <system_error>

#include "bytes.h"
#include "class_path.h"
#include "file_util.h"
#include "jar_manifest.h"
#include "tree_walk.h"

namespace fs = std::filesystem;

namespace {

/// The largest main class file read to check it.
constexpr uint64_t maximumClassBytes = 16u << 20;

std::string classFileOf(const std::string& mainClass) {
  std::string classFile = mainClass;
  std::replace(classFile.begin(), classFile.end(), '.', '/');
  return classFile + ".class";
}

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string lowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return text;
}

/// lib*.so, lib*.so.1.2 (Linux) or *.dll (Windows), by name only.
bool hasNativeLibraryName(const std::string& name, PackTarget target) {
  if (target == PackTarget::Windows) return endsWith(lowerCase(name), ".dll");
  size_t so = name.find(".so");
  if (so == std::string::npos || so == 0) return false;
  std::string rest = name.substr(so + 3);
  return rest.empty() ||
         (rest[0] == '.' && rest.find_first_not_of(".0123456789") == std::string::npos);
}

std::string parentOf(const std::string& target) {
  size_t slash = target.rfind('/');
  return slash == std::string::npos ? std::string() : target.substr(0, slash);
}

std::string nameOf(const fs::path& path) { return textOf(path.filename()); }

class Planner : public TreeVisitor {
 public:
  Planner(const PackOptions& options, AppPlan* plan) : options_(options), plan_(*plan) {}

  bool run(std::string* error) {
    std::error_code code;
    output_ = textOf(fs::weakly_canonical(pathOf(options_.output), code));
    return addInputs(error) && addResources(error) && addNativeLibraries(error) &&
           addClassPath(error) && findMainClass(error) && finish(error);
  }

 private:
  // ---- the files -----------------------------------------------------------

  bool fail(std::string* error, const std::string& message) {
    *error = message;
    return false;
  }

  void addFolder(const std::string& target) {
    if (target.empty() || targets_.count(target)) return;
    addFolder(parentOf(target));
    targets_[target] = std::string();
    plan_.copy.folders.push_back(target);
  }

  /// `source` as the file `target`; the same file under the same name twice
  /// is one file, another file under a name taken is an error.
  bool addFile(const fs::path& source, const std::string& target, std::string* error) {
    const std::string identity = resolvedPath(source);
    auto taken = targets_.find(target);
    if (taken != targets_.end()) {
      if (taken->second == identity) return true;
      return fail(error, "two files would be " + target + " in the app folder: " + textOf(source) +
                             " and " + shown_[target]);
    }
    addFolder(parentOf(target));
    targets_[target] = identity;
    shown_[target] = textOf(source);
    reachedTargets_.emplace(reached(source), target);
    fileTargets_.emplace(identity, target);
    plan_.copy.files.push_back({textOf(source), target});
    std::error_code code;
    plan_.copy.bytes += fs::file_size(source, code);
    if (isJarName(target)) plan_.jars.push_back(target);
    if (isNativeLibrary(textOf(source), options_.target)) nativeFolders_.insert(parentOf(target));
    return true;
  }

  /// The tree `folder` as `target`, its links resolved (tree_walk.h).
  bool addTree(const fs::path& folder, const std::string& target, std::string* error) {
    return walkTree(folder, target, output_, *this, error);
  }

  void folder(const fs::path& source, const std::string& target) override {
    addFolder(target);
    folderTargets_.emplace(resolvedPath(source), target);
    reachedTargets_.emplace(reached(source), target);
  }

  /// A path as reached, absolute and without "." or "..", links kept.
  static std::string reached(const fs::path& path) {
    std::error_code code;
    return textOf(fs::absolute(path, code).lexically_normal());
  }

  bool file(const fs::path& source, const std::string& target, std::string* error) override {
    return addFile(source, target, error);
  }

  void warn(const std::string& message) override { plan_.warnings.push_back(message); }

  void leftOutFolder(const fs::path& link, const std::string& resolved,
                     const std::string& target) override {
    warn("left out " + textOf(link) + ": a link to the folder " + resolved +
         " outside the input (--resources " + resolved + "=" + target + " copies it)");
  }

  /// A tree or file from outside every input, put into lib/ under its own
  /// name (in a folder named after its own when that name is taken).
  bool addOutside(const fs::path& source, bool folder, std::string* target, std::string* error) {
    const std::string identity = resolvedPath(source);
    std::string name = nameOf(source), parent = nameOf(source.parent_path());
    std::vector<std::string> candidates = {"lib/" + name, "lib/" + parent + "/" + name};
    for (int n = 2; n < 100; ++n) candidates.push_back("lib/" + std::to_string(n) + "/" + name);
    for (const std::string& candidate : candidates) {
      auto taken = targets_.find(candidate);
      if (taken != targets_.end() && taken->second != identity) continue;
      *target = candidate;
      return folder ? addTree(source, candidate, error) : addFile(source, candidate, error);
    }
    return fail(error, "cannot find a name in lib/ for " + textOf(source));
  }

  /// Where the file or folder `path` is in the app folder: under its own
  /// name when reached through an input, else where the same file is;
  /// copied in when it is outside the inputs.
  bool placeOf(const fs::path& path, std::string* target, std::string* error) {
    auto byName = reachedTargets_.find(reached(path));
    if (byName != reachedTargets_.end()) {
      *target = byName->second;
      return true;
    }
    std::error_code code;
    const bool folder = fs::is_directory(path, code);
    const std::string identity = resolvedPath(path);
    auto& known = folder ? folderTargets_ : fileTargets_;
    auto found = known.find(identity);
    if (found != known.end()) {
      *target = found->second;
      return true;
    }
    return addOutside(path, folder, target, error);
  }

  // ---- the inputs ----------------------------------------------------------

  bool addInputs(std::string* error) {
    for (const std::string& input : options_.inputs) {
      std::error_code code;
      fs::path path = pathOf(input);
      if (fs::is_directory(path, code)) {
        inputFolders_.push_back(path);
        if (!addTree(path, "lib", error)) return false;
      } else if (fs::is_regular_file(path, code)) {
        if (!addFile(path, "lib/" + nameOf(path), error)) return false;
        inputFiles_.push_back(path);
      } else {
        return fail(error, "the input folder " + input + " does not exist");
      }
    }
    return true;
  }

  /// A name at the top of the app folder that its own files do not have
  /// (the launchers, their configurations, the desktop entry and icon).
  bool isFreeTopName(const std::string& name) const {
    std::vector<std::string> taken = {"lib",
                                      "jre",
                                      "config.json",
                                      options_.name,
                                      options_.name + ".exe",
                                      options_.name + ".json",
                                      options_.name + ".png",
                                      options_.name + ".desktop"};
    for (const ExtraLauncher& launcher : options_.extraLaunchers)
      taken.insert(taken.end(), {launcher.name, launcher.name + ".exe", launcher.name + ".json"});
    for (const std::string& reserved : taken)
      if (lowerCase(name) == lowerCase(reserved)) return false;
    return true;
  }

  /// --resources DIR[=TARGET]: TARGET a relative path without "..", its
  /// first part not one of the folder's own files (lib/ is allowed).
  bool addResources(std::string* error) {
    for (const std::string& given : options_.resources) {
      std::error_code code;
      const size_t equals = given.find('=');
      const fs::path path = pathOf(given.substr(0, equals));
      if (!fs::is_directory(path, code))
        return fail(error, "the resource folder " + textOf(path) + " does not exist");
      std::string target = equals == std::string::npos ? nameOf(fs::weakly_canonical(path, code))
                                                       : given.substr(equals + 1);
      while (!target.empty() && target.back() == '/') target.pop_back();
      const std::string top = target.substr(0, target.find('/'));
      if (target.empty() || pathOf(target).is_absolute() ||
          target.find('\\') != std::string::npos ||
          ("/" + target + "/").find("/../") != std::string::npos ||
          ("/" + target + "/").find("/./") != std::string::npos ||
          (top != "lib" && !isFreeTopName(top)))
        return fail(error, "cannot copy the resource folder " + textOf(path) + " as " + target +
                               ": expected a relative path in the app folder, not one of its "
                               "own files");
      if (!addTree(path, target, error)) return false;
    }
    return true;
  }

  bool addNativeLibraries(std::string* error) {
    const std::string kind =
        std::string("native library for ") + targetName(options_.target) + " x86-64 (" +
        (options_.target == PackTarget::Windows ? "NAME.dll" : "libNAME.so") + ")";
    for (const std::string& given : options_.nativeLibs) {
      std::error_code code;
      fs::path path = pathOf(given);
      std::vector<fs::path> libraries;
      if (fs::is_directory(path, code)) {
        for (fs::directory_iterator it(path, code), end; !code && it != end; it.increment(code))
          if (isNativeLibrary(textOf(it->path()), options_.target)) libraries.push_back(it->path());
        if (libraries.empty())
          return fail(error, "--native-lib " + given + ": the folder holds no " + kind);
      } else if (isNativeLibrary(given, options_.target)) {
        libraries.push_back(path);
      } else {
        return fail(error,
                    "--native-lib " + given + ": " +
                        (fs::exists(path, code) ? "not a " + kind : "no such file or folder"));
      }
      std::sort(libraries.begin(), libraries.end());
      for (const fs::path& library : libraries)
        if (!addFile(library, "lib/" + nameOf(library), error)) return false;
    }
    return true;
  }

  // ---- the class path ------------------------------------------------------

  /// --main-jar as given: inside an input folder, an input jar of that
  /// name, else a file of its own.
  bool findMainJar(fs::path* path, std::string* error) {
    std::error_code code;
    for (const fs::path& file : inputFiles_)
      if (nameOf(file) == options_.mainJar) {
        *path = file;
        return true;
      }
    for (const fs::path& folder : inputFolders_)
      if (fs::is_regular_file(folder / pathOf(options_.mainJar), code)) {
        *path = folder / pathOf(options_.mainJar);
        return true;
      }
    if (fs::is_regular_file(pathOf(options_.mainJar), code)) {
      *path = pathOf(options_.mainJar);
      return true;
    }
    return fail(error, "the main jar " + options_.mainJar + " is in none of the inputs (" +
                           options_.inputs.front() + (options_.inputs.size() > 1 ? ", ..." : "") +
                           ") and no file");
  }

  /// The top-level jars of the inputs, sorted by their names in lib/.
  std::vector<fs::path> topLevelJars() {
    std::map<std::string, fs::path> jars;
    for (const fs::path& folder : inputFolders_)
      for (const std::string& name : filesEndingIn(textOf(folder), ".jar"))
        jars.emplace(name, folder / pathOf(name));
    for (const fs::path& file : inputFiles_)
      if (isJarName(nameOf(file))) jars.emplace(nameOf(file), file);
    std::vector<fs::path> sorted;
    sorted.reserve(jars.size());
    for (const auto& entry : jars) sorted.push_back(entry.second);
    return sorted;
  }

  /// --class-path ENTRY: relative to an input folder (the first that has
  /// it), or absolute; DIR/* is every jar of DIR, sorted.
  bool findClassPathEntry(const std::string& entry, std::vector<fs::path>* paths,
                          std::string* error) {
    const bool wildcard = entry == "*" || endsWith(entry, "/*");
    const fs::path given = pathOf(wildcard ? entry.substr(0, entry.size() - 1) : entry);
    std::vector<fs::path> candidates;
    if (given.is_absolute())
      candidates.push_back(given);
    else
      for (const fs::path& folder : inputFolders_) candidates.push_back(folder / given);
    for (const fs::path& candidate : candidates) {
      std::error_code code;
      if (!fs::exists(candidate, code) || (wildcard && !fs::is_directory(candidate, code)))
        continue;
      if (!wildcard) {
        paths->push_back(candidate);
        return true;
      }
      for (const std::string& jar : filesEndingIn(textOf(candidate), ".jar"))
        paths->push_back(candidate / pathOf(jar));
      return true;
    }
    return fail(error, "--class-path " + entry + ": no such jar or folder" +
                           (given.is_absolute() ? "" : " in the input folders"));
  }

  bool addClassPath(std::string* error) {
    std::vector<fs::path> entries;
    if (!options_.mainJar.empty()) {
      fs::path mainJar;
      if (!findMainJar(&mainJar, error)) return false;
      mainJar_ = mainJar;
      entries.push_back(mainJar);
    } else {
      entries = topLevelJars();
    }
    for (const std::string& entry : options_.classPath)
      if (!findClassPathEntry(entry, &entries, error)) return false;
    if (entries.empty())
      return fail(error, "no jars in the input folder " + options_.inputs.front());
    for (const fs::path& entry : entries)
      if (!addToClassPath(entry, error)) return false;
    return true;
  }

  /// Puts a jar or class folder on the class path, then what its manifest's
  /// Class-Path names, as the Java runtime follows them.
  bool addToClassPath(const fs::path& path, std::string* error) {
    std::string target;
    if (!placeOf(path, &target, error)) return false;
    if (!onClassPath_.insert(target).second) return true;
    plan_.classPath.push_back(target);
    plan_.classPathSources.push_back(textOf(path));
    std::error_code code;
    if (fs::is_directory(path, code)) {
      if (mainEntry_.name.empty() && fs::is_regular_file(path / pathOf(classFile()), code))
        mainFolder_ = path;
      return true;
    }
    std::vector<JarEntry> entries;
    JarManifest manifest;
    std::string reason;
    if (!readJarDirectory(textOf(path), &entries, &reason))
      return fail(error, "cannot read " + textOf(path) + ": " + reason);
    if (!readManifest(textOf(path), entries, &manifest, &reason))
      return fail(error, "cannot read the manifest of " + textOf(path) + ": " + reason);
    if (path == mainJar_) mainManifest_ = manifest;
    if (mainClass_.empty() && path == mainJar_) mainClass_ = manifest.value("Main-Class");
    findMainClassIn(path, entries, manifest);
    return followClassPath(path, manifest, error);
  }

  bool followClassPath(const fs::path& jar, const JarManifest& manifest, std::string* error) {
    std::vector<std::string> missing, notFiles;
    for (const ClassPathReference& reference :
         classPathReferences(manifest.value("Class-Path"), textOf(jar.parent_path()))) {
      std::error_code code;
      if (reference.path.empty())
        notFiles.push_back(reference.text);
      else if (!fs::exists(pathOf(reference.path), code))
        missing.push_back(reference.text);
      else if (!addToClassPath(pathOf(reference.path), error))
        return false;
    }
    const std::string where = "the Class-Path of " + textOf(jar) + " names ";
    if (!missing.empty()) warn(where + "what does not exist (left out): " + listed(missing));
    if (!notFiles.empty()) warn(where + "what is not a file (left out): " + listed(notFiles));
    return true;
  }

  static std::string listed(const std::vector<std::string>& items) {
    std::string list;
    for (const std::string& item : items) list += (list.empty() ? "" : " ") + item;
    return list;
  }

  std::string classFile() const {
    return mainClass_.empty() ? std::string() : classFileOf(mainClass_);
  }

  void findMainClassIn(const fs::path& jar, const std::vector<JarEntry>& entries,
                       const JarManifest& manifest) {
    if (!mainEntry_.name.empty() || !mainFolder_.empty() || mainClass_.empty()) return;
    const std::string wanted = classFile();
    auto entry = std::find_if(entries.begin(), entries.end(),
                              [&](const JarEntry& candidate) { return candidate.name == wanted; });
    if (entry == entries.end()) return;
    mainEntry_ = *entry;
    mainEntryJar_ = jar;
    // Without --main-jar, the jar that holds the main class and names it
    // as its Main-Class is the main jar.
    if (mainJar_.empty() && manifest.value("Main-Class") == mainClass_) mainManifest_ = manifest;
  }

  // ---- the main class and what the main jar asks ----------------------------

  bool findMainClass(std::string* error) {
    if (mainClass_.empty())
      return fail(error, "Missing option: --main-class (the manifest of the main jar " +
                             options_.mainJar + " names no Main-Class)");
    plan_.mainClass = mainClass_;
    if (!mainFolder_.empty()) return true;
    if (mainEntry_.name.empty())
      return fail(error, "the main class " + mainClass_ + " (" + classFile() +
                             ") is in none of the jars and class folders of the class path");
    std::string data, reason;
    const std::string jar = textOf(mainEntryJar_);
    if (!readJarEntry(jar, mainEntry_, maximumClassBytes, &data, &reason))
      return fail(error, "cannot use the jar " + jar + ": " + reason);
    if (data.compare(0, 4, "\xca\xfe\xba\xbe") != 0)
      return fail(error, "cannot use the jar " + jar + ": its entry " + mainEntry_.name +
                             " is not a class file");
    return true;
  }

  void takeManifestRequests() {
    ManifestRequests& requests = plan_.manifest;
    const JarManifest& manifest = mainManifest_;
    if (manifest.attributes.empty()) return;
    requests.jar = textOf(mainJar_.empty() ? mainEntryJar_ : mainJar_);
    requests.addOpens = manifestWords(manifest.value("Add-Opens"));
    requests.addExports = manifestWords(manifest.value("Add-Exports"));
    requests.enableNativeAccess = manifest.value("Enable-Native-Access") == "ALL-UNNAMED";
    requests.splashEntry = manifest.value("SplashScreen-Image");
    requests.agentClass = manifest.value("Launcher-Agent-Class");
  }

  bool finish(std::string*) {
    takeManifestRequests();
    plan_.nativeFolders.assign(nativeFolders_.begin(), nativeFolders_.end());
    // lib first: the folder every app has.
    auto lib = std::find(plan_.nativeFolders.begin(), plan_.nativeFolders.end(), "lib");
    if (lib != plan_.nativeFolders.end()) plan_.nativeFolders.erase(lib);
    plan_.nativeFolders.insert(plan_.nativeFolders.begin(), "lib");
    return true;
  }

  const PackOptions& options_;
  AppPlan& plan_;
  std::string output_;
  std::vector<fs::path> inputFolders_, inputFiles_;
  std::map<std::string, std::string> targets_;         ///< target -> identity ("" for a folder)
  std::map<std::string, std::string> shown_;           ///< target -> source as reached
  std::map<std::string, std::string> fileTargets_;     ///< identity -> first target
  std::map<std::string, std::string> folderTargets_;   ///< identity -> first target
  std::map<std::string, std::string> reachedTargets_;  ///< path as reached -> target
  std::set<std::string> onClassPath_;
  std::set<std::string> nativeFolders_;
  fs::path mainJar_;
  std::string mainClass_ = options_.mainClass;
  JarManifest mainManifest_;
  JarEntry mainEntry_;
  fs::path mainEntryJar_, mainFolder_;
};

/// The first bytes of a file, at most `count`.
std::string headOf(const std::string& path, size_t count) {
  std::ifstream in(pathOf(path), std::ios::binary);
  std::string head(count, '\0');
  in.read(&head[0], static_cast<std::streamsize>(count));
  head.resize(static_cast<size_t>(in.gcount()));
  return head;
}

}  // namespace

bool isNativeLibrary(const std::string& path, PackTarget target) {
  std::error_code code;
  if (!hasNativeLibraryName(textOf(pathOf(path).filename()), target) ||
      !fs::is_regular_file(pathOf(path), code))
    return false;
  if (target == PackTarget::Linux) {
    // A 64-bit little-endian ELF file for x86-64 (machine 62).
    const std::string head = headOf(path, 20);
    return head.size() == 20 &&
           head.compare(0, 4,
                        "\x7f"
                        "ELF") == 0 &&
           head[4] == 2 && head[5] == 1 && bytes::le16(head, 18) == 62;
  }
  const std::string head = headOf(path, 4096);
  if (head.size() < 64 || head.compare(0, 2, "MZ") != 0) return false;
  const uint32_t pe = bytes::le32(head, 0x3c);
  return bytes::fits(head.size(), pe, 6) && head.compare(pe, 4, std::string("PE\0\0", 4)) == 0 &&
         bytes::le16(head, pe + 4) == 0x8664;
}

bool classPathHolds(const AppPlan& plan, const std::string& className, std::string* error) {
  const std::string classFile = classFileOf(className);
  for (const std::string& source : plan.classPathSources) {
    std::error_code code;
    std::vector<JarEntry> entries;
    if (fs::is_directory(pathOf(source), code)) {
      if (fs::is_regular_file(pathOf(source) / pathOf(classFile), code)) return true;
      continue;
    }
    if (!readJarDirectory(source, &entries, error)) {
      *error = "cannot be looked up: cannot read " + source + ": " + *error;
      return false;
    }
    for (const JarEntry& entry : entries)
      if (entry.name == classFile) return true;
  }
  *error = "(" + classFile + ") is in none of the jars and class folders of the class path";
  return false;
}

bool planApp(const PackOptions& options, AppPlan* plan, std::string* error) {
  *plan = AppPlan();
  return Planner(options, plan).run(error);
}
