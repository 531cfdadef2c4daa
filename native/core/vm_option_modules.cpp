#include "vm_option_modules.h"

#include <algorithm>

#include "paths.h"
#include "whole_file.h"

namespace {

struct ModuleOption {
  std::string_view name;  ///< with its '='
  char moduleEnd;         ///< what ends the first module: '/' or '=', or ',' for a list
  bool targets;           ///< a '=' is followed by a list of target modules
};

constexpr ModuleOption moduleOptions[] = {
    {"--add-opens=", '/', true},
    {"--add-exports=", '/', true},
    {"--add-reads=", '=', true},
    {"--add-modules=", ',', false},
    {"--enable-native-access=", ',', false},
    {"--patch-module=", '=', false},
};

void addNames(std::string_view list, std::vector<std::string>* modules) {
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = list.find(',', start);
    if (comma == std::string_view::npos) comma = list.size();
    std::string_view name = list.substr(start, comma - start);
    if (!name.empty() && name.substr(0, 4) != "ALL-") modules->emplace_back(name);
    start = comma + 1;
  }
}

}  // namespace

std::vector<std::string> modulesNamedBy(std::string_view option) {
  std::vector<std::string> modules;
  for (const ModuleOption& known : moduleOptions) {
    if (option.substr(0, known.name.size()) != known.name) continue;
    std::string_view value = option.substr(known.name.size());
    if (known.moduleEnd == ',') {
      addNames(value, &modules);
      break;
    }
    size_t end = value.find(known.moduleEnd);
    addNames(value.substr(0, end), &modules);
    size_t equals = value.find('=');
    if (known.targets && equals != std::string_view::npos && end != std::string_view::npos)
      addNames(value.substr(equals + 1), &modules);
    break;
  }
  return modules;
}

bool isModuleOptionWithoutValue(std::string_view option) {
  for (const ModuleOption& known : moduleOptions)
    if (option == known.name.substr(0, known.name.size() - 1)) return true;
  return false;
}

bool releaseModules(const std::string& releaseText, std::vector<std::string>* modules) {
  const std::string marker = "MODULES=";
  size_t at = releaseText.find(marker);
  while (at != std::string::npos && at > 0 && releaseText[at - 1] != '\n')
    at = releaseText.find(marker, at + 1);
  if (at == std::string::npos) return false;
  size_t end = releaseText.find('\n', at);
  std::string line = releaseText.substr(
      at + marker.size(), end == std::string::npos ? std::string::npos : end - at - marker.size());
  modules->clear();
  std::string name;
  for (char c : line + ' ') {
    if (c == ' ' || c == '"' || c == '\r' || c == '\t') {
      if (!name.empty()) modules->push_back(name);
      name.clear();
    } else {
      name += c;
    }
  }
  return true;
}

bool runtimeModules(const std::string& runtimeHome, std::vector<std::string>* modules) {
  std::string release, error;
  return readWholeFile(joinPath(runtimeHome, "release"), &release, &error) &&
         releaseModules(release, modules);
}

std::vector<std::string> moduleOptionWarnings(const std::vector<std::string>& vmOptions,
                                              const std::vector<std::string>& modules) {
  std::vector<std::string> warnings;
  for (const std::string& option : vmOptions) {
    if (isModuleOptionWithoutValue(option))
      warnings.push_back("the VM option " + option +
                         " takes its value after '=' in the same option (" + option + "=...)");
    for (const std::string& module : modulesNamedBy(option))
      if (!modules.empty() && std::find(modules.begin(), modules.end(), module) == modules.end())
        warnings.push_back(
            "the VM option " + option + " names the module " + module +
            ", which the runtime does not have" +
            (option.compare(0, 14, "--add-modules=") == 0 ? ": the VM will not start" : ""));
  }
  return warnings;
}
