// Texts from Java objects, for the launcher's reports.
#pragma once

#include <jni.h>

#include <string>

/// Calls the no-argument method `method` of class `className` (slash form)
/// that returns a String on `object`, and gives its text in modified UTF-8.
/// False when a step fails or the result is null; an exception that a step
/// raised is cleared.
bool callStringMethod(JNIEnv* env, jobject object, const char* className, const char* method,
                      std::string* text);
