// Finding and running the installer tools.
#include "installer_tools.h"

#include <unistd.h>

#include <cstdlib>

#include "file_util.h"
#include "process.h"

namespace {

struct ToolPackage {
  const char* tool;
  const char* package;
};

const ToolPackage toolPackages[] = {
    {"wixl", "wixl"},          {"msibuild", "msitools"},  {"osslsigncode", "osslsigncode"},
    {"dpkg-deb", "dpkg"},      {"dpkg-shlibdeps", "dpkg-dev"}, {"objdump", "binutils"},
    {"rpmbuild", "rpm"},
};

std::string packageOf(const std::string& tool) {
  for (const ToolPackage& entry : toolPackages)
    if (tool == entry.tool) return entry.package;
  return tool;
}

}  // namespace

std::string findOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string list = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= list.size()) {
    size_t colon = list.find(':', start);
    if (colon == std::string::npos) colon = list.size();
    std::string folder = list.substr(start, colon - start);
    std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = colon + 1;
  }
  return "";
}

bool findTools(const std::vector<std::string>& names, std::vector<std::string>* paths,
               std::string* error) {
  paths->clear();
  for (const std::string& name : names) {
    paths->push_back(findOnPath(name));
    if (paths->back().empty()) {
      *error = name + " is missing: install Debian's package " + packageOf(name);
      return false;
    }
  }
  return true;
}

bool runToolIn(const std::string& folder, const std::vector<std::string>& command,
               std::string* output, std::string* error) {
  std::vector<std::string> line = command;
  if (!folder.empty())
    line.insert(line.begin(), {"/bin/sh", "-c", "cd \"$0\" && exec \"$@\"", folder});
  ProgramRun run = runProgram(line);
  std::string name = textOf(pathOf(command[0]).filename());
  if (!run.started) {
    *error = "cannot run " + command[0] + ": " + run.error;
    return false;
  }
  *output = run.output;
  if (run.status == 0) return true;
  *error = name + " failed (exit status " + std::to_string(run.status) + "):\n" + run.output;
  while (!error->empty() && error->back() == '\n') error->pop_back();
  return false;
}
