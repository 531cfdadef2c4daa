// The encoding of the VM option strings: the runtime decodes them with its
// platform encoding, which on Windows is a code page, not UTF-8.
#pragma once

#include <string>
#include <vector>

/// Converts each option (UTF-8) to the encoding in which the runtime under
/// `runtimeHome` decodes it: on Windows the user's default locale's ANSI
/// code page for Java 17 and earlier, or when the version is unknown, the
/// process's code page (GetACP) for Java 18 and later; unchanged on POSIX.
/// Options that are not well-formed UTF-8 stay as they are.
/// Returns a message naming the first option the code page
/// cannot spell exactly, which then stays unconverted; empty when all could.
std::string encodeVmOptions(const std::string& runtimeHome,
                            const std::vector<std::string*>& options);

/// Converts one option as encodeVmOptions does where an approximation
/// serves, for texts apps only read (the arguments in sun.java.command): a
/// character the code page cannot spell becomes '?', as in the java
/// command's own arguments there. Unchanged on POSIX.
void encodeVmOptionApproximately(const std::string& runtimeHome, std::string* option);
