// The class data archives a packaged runtime ships: the one for VMs with
// compressed object pointers, the one for VMs without them
// (classes_nocoops.jsa, as large again) only when the app's VM options can
// make the VM run without them, and neither when the app folder ships an
// AOT cache, which holds the runtime's classes that the app uses.
#pragma once

#include <string>
#include <vector>

/// True when these VM options can make the VM run without compressed object
/// pointers: -XX:-UseCompressedOops, ZGC, or a heap that can reach their
/// limit (32 GiB, times ObjectAlignmentInBytes / 8) through -Xmx, -Xms,
/// -XX:MaxHeapSize or -XX:InitialHeapSize, or through -XX:MaxRAMPercentage
/// or -XX:MaxRAM on a machine with enough memory. The last of each wins, as
/// in the VM.
bool mayRunWithoutCompressedOops(const std::vector<std::string>& vmOptions);

/// Removes the archives for VMs without compressed object pointers
/// (classes_nocoops*.jsa) from `serverFolder` unless `vmOptions` can need
/// them. False with the reason when one cannot be removed.
bool leaveOutUnusedClassArchives(const std::string& serverFolder,
                                 const std::vector<std::string>& vmOptions, std::string* error);

/// Removes every class data archive of the runtime (classes*.jsa in
/// `serverFolder`): the VM maps an AOT cache instead of them, never beside
/// them. False with the reason when one cannot be removed.
bool leaveOutRuntimeClassArchives(const std::string& serverFolder, std::string* error);
