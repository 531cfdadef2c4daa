// The warning of VM options that the Java runtime does not recognise: the
// VM ignores them (it is created with ignoreUnrecognized), so a typing
// error such as -XX:+UseZGCC would pass unnoticed.
#pragma once

#include "launch_plan.h"

/// Writes "Warning: the Java VM does not recognise the option OPTION and
/// ignores it" for each of the plan's VM options (the configuration's,
/// the user's file's, -J) that its runtime library does not recognise
/// (vm_option_names.h), when somebody reads the launcher's warnings there:
/// in interface mode (-c), or where the Windows launcher keeps its messages
/// for its log. Otherwise it reads nothing and writes nothing.
void warnOfUnrecognisedVmOptions(const LaunchPlan& plan);
