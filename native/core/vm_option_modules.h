// The Java modules that VM options name, and the modules a runtime holds:
// what the packager and the checker compare to find options that name a
// module the runtime lacks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

/// The modules `option` names, in order: the module and the target modules
/// of --add-opens=M/P=T,... and --add-exports=M/P=T,..., the modules of
/// --add-reads=M=T,..., --add-modules=A,B and --enable-native-access=A,B,
/// the module of --patch-module=M=...; the ALL-... words left out. Empty for
/// any other option.
std::vector<std::string> modulesNamedBy(std::string_view option);

/// True for an option the VM only takes with its value after '=' in the
/// same option ("--add-opens" alone, as the java command accepts it, is not
/// understood by the VM).
bool isModuleOptionWithoutValue(std::string_view option);

/// The modules listed on the MODULES line of a runtime's "release" file
/// (`releaseText`); false when there is no such line.
bool releaseModules(const std::string& releaseText, std::vector<std::string>* modules);

/// releaseModules of the runtime folder `runtimeHome`; false when its
/// release file or the line is missing.
bool runtimeModules(const std::string& runtimeHome, std::vector<std::string>* modules);

/// A warning for each option of `vmOptions` that names a module `modules`
/// lacks ("the VM option ... names the module M, which the runtime does not
/// have"), and for each module option without its value; none when
/// `modules` is empty (not known).
std::vector<std::string> moduleOptionWarnings(const std::vector<std::string>& vmOptions,
                                              const std::vector<std::string>& modules);
