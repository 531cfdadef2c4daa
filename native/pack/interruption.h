// Ctrl+C and termination requests while vantrel-pack works: they are noted,
// and the packer stops at its next step and removes what it made.
#pragma once

/// Starts noting interruption requests (SIGINT, SIGTERM, SIGHUP; console
/// control events on Windows) instead of ending the process at once.
void watchForInterruption();

/// True once an interruption was requested.
bool interruptionRequested();
