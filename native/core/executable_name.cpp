#include "executable_name.h"

bool endsWithExe(std::string_view name) {
  if (name.size() < 4) return false;
  std::string suffix(name.substr(name.size() - 4));
  for (char& c : suffix) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return suffix == ".exe";
}

std::string withoutExe(std::string name) {
  if (endsWithExe(name)) name.resize(name.size() - 4);
  return name;
}

std::string executableFileName(const std::string& name, TargetOs os) {
  return os == TargetOs::Windows ? name + ".exe" : name;
}

std::string defaultLauncherFileName(TargetOs os) {
  return os == TargetOs::Windows ? "Vantrel.exe" : "vantrel";
}
