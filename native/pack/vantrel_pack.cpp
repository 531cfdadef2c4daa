// Entry of vantrel-pack: reads the command line, runs the packer and ends
// with its status.
#include <iostream>

#include "arguments.h"
#include "file_util.h"
#include "interruption.h"
#include "pack.h"
#include "platform.h"

namespace {

void showUsage(std::ostream& out, const std::string& help) {
  out << "Usage: vantrel-pack --name NAME --input DIR|FILE [--main-jar FILE] [--main-class CLASS]\n"
         "                    --output DIR [--jdk DIR | --runtime DIR] [options]\n"
         "Makes OUTPUT/NAME: the launcher, config.json, lib/ with what --input holds, as it\n"
         "is, and jre/ with a Java runtime.\n\nOptions:\n"
      << help;
}

/// The folder of vantrel-pack itself, where the build puts the launchers.
std::string toolFolder() {
  return textOf(pathOf(executablePath()).parent_path());
}

}  // namespace

int main(int argc, char** argv) {
  PackCommandLine commandLine = parsePackCommandLine(commandLineArguments(argc, argv));
  if (commandLine.showHelp) {
    showUsage(std::cout, commandLine.help);
    return packOk;
  }
  if (!commandLine.error.empty()) {
    std::cerr << "Error: " << commandLine.error << "\n(vantrel-pack --help lists the options)"
              << std::endl;
    return packBadInput;
  }
  watchForInterruption();
  PackOutcome outcome =
      runPack(commandLine.options, toolFolder(), std::cout, interruptionRequested);
  if (!outcome.message.empty()) std::cerr << outcome.message << std::endl;
  return outcome.status;
}
