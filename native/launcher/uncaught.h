// The exception that main leaves, handed on as the Java runtime's own
// threads hand theirs: to the thread's uncaught-exception handler.
#pragma once

#include <jni.h>

/// Passes the pending exception to
/// Thread.currentThread().getUncaughtExceptionHandler().uncaughtException,
/// so that an application's handler runs and the default report is written,
/// in order, by Java. When that call cannot be made or fails, the exception
/// is described by the JNI instead. While the launcher's messages are kept
/// (see report.h), its description and first stack lines are kept too. No
/// exception is pending afterwards.
void reportUncaughtException(JNIEnv* env);
