// Where the launcher's failures are shown: on standard error as always, or,
// when that would reach nobody (a double-clicked program on Windows has no
// console and no standard error), in a message box and a log file.
#pragma once

#include <string>

/// Decides once, after the console is settled, whether standard error
/// reaches anybody. When it does not, what the launcher writes to std::cerr
/// from then on is kept for showFailure. `appName` titles the box and names
/// the log file's folder.
void setUpReport(const std::string& appName);

/// True when messages are kept because nobody would see them.
bool reportIsKept();

/// Adds UTF-8 text, such as the Java runtime's own output, to the kept
/// messages. Does nothing while messages are seen.
void keepReportText(const std::string& text);

/// When messages are kept and there are any: appends them to the log file
/// and shows them in a message box that names it. Returns when the box is
/// dismissed. Afterwards nothing is kept, so a failure is shown once.
void showFailure();

/// An exit hook (setExitHook) that shows the kept messages of a failure
/// (a status other than 0) before the process exits; after a success it
/// only appends them (warnings, the runtime's own) to the log file.
void showFailureOnExit(int status);
