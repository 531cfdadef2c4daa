// The exception that a failed lookup of the main class or its main method
// leaves pending: shown to the user when it tells more than the launcher's
// own error line.
#pragma once

#include <jni.h>

/// After a failed FindClass or GetStaticMethodID: describes the pending
/// exception (ExceptionDescribe) unless it only says that the thing looked
/// up is not there, that is, unless it is an instance of `notFoundClass`
/// (slash form) and, when `name` is given, its message is `name` (modified
/// UTF-8). A class that cannot be initialised or linked is described. The
/// exception is cleared either way.
void describeUnlessNotFound(JNIEnv* env, const char* notFoundClass, const char* name);
