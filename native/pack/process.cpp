#include "process.h"

#include "child_process.h"

ProgramRun runProgram(const std::vector<std::string>& arguments) {
  ChildOptions options;
  options.captureOutput = true;
  const ChildRun child = runChild(arguments, options);
  ProgramRun run;
  run.started = child.started;
  run.status = child.status;
  run.output = child.output;
  run.error = child.error;
  return run;
}
