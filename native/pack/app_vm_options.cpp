#include "app_vm_options.h"

#include <algorithm>
#include <map>
#include <set>

#include "jdk_tools.h"
#include "vm_option_modules.h"

namespace {

bool contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

/// The packages of the runtime's modules, asked of its java program once
/// per module.
class Packages {
 public:
  explicit Packages(const std::string& java) : java_(java) {}

  /// True when `module` has `package`, or when that cannot be known.
  bool has(const std::string& module, const std::string& package) {
    if (java_.empty()) return true;
    auto found = packages_.find(module);
    if (found == packages_.end()) found = packages_.emplace(module, describe(module)).first;
    return found->second.empty() || found->second.count(package);
  }

 private:
  std::set<std::string> describe(const std::string& module) {
    std::string output, error;
    std::set<std::string> packages;
    if (!runTool({java_, "--describe-module", module}, &output, &error)) return packages;
    size_t start = 0;
    while (start < output.size()) {
      size_t end = output.find('\n', start);
      if (end == std::string::npos) end = output.size();
      std::string line = output.substr(start, end - start);
      if (line.compare(0, 10, "qualified ") == 0) line.erase(0, 10);
      for (const char* kind : {"exports ", "opens ", "contains "}) {
        const std::string prefix = kind;
        if (line.compare(0, prefix.size(), prefix) == 0)
          packages.insert(
              line.substr(prefix.size(), line.find(' ', prefix.size()) - prefix.size()));
      }
      start = end + 1;
    }
    return packages;
  }

  std::string java_;
  std::map<std::string, std::set<std::string>> packages_;
};

/// --add-opens or --add-exports for each "module/package" the runtime has.
void addManifestRequests(const std::vector<std::string>& requests, const char* option,
                         const char* attribute, const RuntimeFacts& runtime, Packages& packages,
                         std::vector<std::string>* vmOptions, std::vector<std::string>* warnings) {
  for (const std::string& request : requests) {
    size_t slash = request.find('/');
    const std::string module = request.substr(0, slash);
    const std::string package = slash == std::string::npos ? "" : request.substr(slash + 1);
    const std::string left =
        "the main jar's " + std::string(attribute) + " names " + request + ", left out: ";
    if (package.empty())
      warnings->push_back(left + "not MODULE/PACKAGE");
    else if (!runtime.modules.empty() && !contains(runtime.modules, module))
      warnings->push_back(left + "the runtime has no module " + module);
    else if (!packages.has(module, package))
      warnings->push_back(left + module + " has no package " + package);
    else
      vmOptions->push_back(std::string(option) + "=" + request + "=ALL-UNNAMED");
  }
}

bool setsLibraryPath(const std::vector<std::string>& vmOptions) {
  for (const std::string& option : vmOptions)
    if (option.compare(0, 20, "-Djava.library.path=") == 0) return true;
  return false;
}

std::string libraryPathOption(const PackOptions& options, const AppPlan& plan) {
  std::string option = "-Djava.library.path=";
  for (size_t i = 0; i < plan.nativeFolders.size(); ++i)
    option += (i ? (options.target == PackTarget::Windows ? ";" : ":") : "") +
              std::string("$APPDIR/") + plan.nativeFolders[i];
  return option;
}

}  // namespace

std::vector<std::string> modulesNamedByApp(const PackOptions& options, const AppPlan& plan) {
  std::vector<std::string> named = options.addModules;
  for (const std::string& option : options.vmOptions)
    for (const std::string& module : modulesNamedBy(option)) named.push_back(module);
  for (const auto* requests : {&plan.manifest.addOpens, &plan.manifest.addExports})
    for (const std::string& request : *requests)
      named.push_back(request.substr(0, request.find('/')));
  return named;
}

std::vector<std::string> appVmOptions(const PackOptions& options, const AppPlan& plan,
                                      const RuntimeFacts& runtime,
                                      std::vector<std::string>* warnings) {
  std::vector<std::string> vmOptions;
  Packages packages(runtime.java);
  const ManifestRequests& manifest = plan.manifest;
  addManifestRequests(manifest.addOpens, "--add-opens", "Add-Opens", runtime, packages, &vmOptions,
                      warnings);
  addManifestRequests(manifest.addExports, "--add-exports", "Add-Exports", runtime, packages,
                      &vmOptions, warnings);
  if (manifest.enableNativeAccess && runtime.version >= 22)
    vmOptions.push_back("--enable-native-access=ALL-UNNAMED");
  if (!manifest.agentClass.empty())
    warnings->push_back("the main jar's Launcher-Agent-Class " + manifest.agentClass +
                        " is not supported: the launcher starts no agent");
  if (!setsLibraryPath(options.vmOptions)) vmOptions.push_back(libraryPathOption(options, plan));
  vmOptions.insert(vmOptions.end(), options.vmOptions.begin(), options.vmOptions.end());
  for (const std::string& warning : moduleOptionWarnings(options.vmOptions, runtime.modules))
    warnings->push_back(warning);
  return vmOptions;
}
