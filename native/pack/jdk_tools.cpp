#include "jdk_tools.h"

#include "executable_name.h"
#include "file_util.h"
#include "process.h"

std::string toolOf(const std::string& jdk, const std::string& tool) {
  return textOf(pathOf(jdk) / "bin" / executableFileName(tool, hostOs));
}

bool runTool(const std::vector<std::string>& command, std::string* output, std::string* error) {
  ProgramRun run = runProgram(command);
  std::string name = textOf(pathOf(command[0]).stem());
  if (!run.started) {
    *error = "cannot run " + command[0] + ": " + run.error;
    return false;
  }
  if (run.status != 0) {
    *error = name + " failed (exit status " + std::to_string(run.status) + "):\n" + run.output;
    while (!error->empty() && error->back() == '\n') error->pop_back();
    return false;
  }
  *output = run.output;
  return true;
}
