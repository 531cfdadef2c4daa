// What the java command tells a program about how it was started, as system
// properties that apps read: the main class and its arguments (apps restart
// themselves with them, tools such as jcmd show them), the main module, and
// the launcher.
#pragma once

#include <string>
#include <vector>

#include "configuration.h"
#include "launch_settings.h"

/// The value of sun.java.launcher: the java command's own, which apps test
/// to learn that sun.java.command, java.class.path and the VM's input
/// arguments mean what they mean under the java command.
constexpr const char* javaLauncherValue = "SUN_STANDARD";

/// The -D options of those properties for `settings` (main class, Java
/// arguments, launcher path): sun.java.command (the main class as
/// configured and the arguments of main, joined by spaces as the java
/// command joins them), for a module's class jdk.module.main and
/// jdk.module.main.class, sun.java.launcher, and vantrel.launcher (the
/// launcher's own file, for a restart through it) when it is known. A
/// property that settings.vmArgs set themselves is left to them.
std::vector<std::string> javaCommandProperties(const LaunchSettings& settings);
