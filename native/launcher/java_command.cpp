#include "java_command.h"

namespace {

/// True when the VM options set the property of the option `property` themselves.
bool setByVmOptions(const std::vector<std::string>& vmArgs, const std::string& property) {
  const std::string name = property.substr(0, property.find('=') + 1);
  for (const std::string& option : vmArgs)
    if (option.compare(0, name.size(), name) == 0) return true;
  return false;
}

}  // namespace

std::vector<std::string> javaCommandProperties(const LaunchSettings& settings) {
  std::string command = "-Dsun.java.command=" + settings.mainClass;
  for (const std::string& argument : settings.javaArgs) command += ' ' + argument;
  std::vector<std::string> properties = {command};
  const MainClass main = splitMainClass(settings.mainClass);
  if (!main.module.empty()) {
    // The module becomes the root of the module graph, as with java -m.
    properties.push_back("-Djdk.module.main=" + main.module);
    properties.push_back("-Djdk.module.main.class=" + main.className);
  }
  properties.push_back(std::string("-Dsun.java.launcher=") + javaLauncherValue);
  if (!settings.launcherPath.empty())
    properties.push_back("-Dvantrel.launcher=" + settings.launcherPath);
  std::vector<std::string> unset;
  for (std::string& property : properties)
    if (!setByVmOptions(settings.vmArgs, property)) unset.push_back(std::move(property));
  return unset;
}
