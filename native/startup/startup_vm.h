// What the startup cache asks of the running VM, through JNI.
#pragma once

#include <jni.h>

/// Whether the VM maps a class archive (its "java.vm.info" says "sharing"):
/// a VM that refused the archive it was given runs without.
bool vmSharesClasses(JNIEnv* env);

/// Ends the VM through System.exit(0) after `seconds`, from a thread of its
/// own, as the end of a training run: the VM writes its recording as it exits.
void exitVmAfter(JavaVM* vm, unsigned seconds);
