#include "vm_option_check.h"

#include "platform.h"
#include "report.h"
#include "runtime_layout.h"
#include "vm_option_names.h"

void warnOfUnrecognisedVmOptions(const LaunchPlan& plan) {
  const LaunchSettings& settings = plan.settings;
  if ((!settings.interfaceMode && !reportIsKept()) || settings.vmArgs.empty()) return;
  const VmOptionNames names =
      readVmOptionNames(inRuntime(plan.runtimeHome, runtimeLibraryIn(hostOs)));
  for (const std::string& option : unrecognisedVmOptions(names, settings.vmArgs))
    printErrorLine("Warning: the Java VM does not recognise the option " + option +
                   " and ignores it");
}
