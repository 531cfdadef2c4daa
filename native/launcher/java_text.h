// Text for the JNI: the Java arguments are UTF-8, while NewStringUTF reads
// the JNI's modified UTF-8.
#pragma once

#include <string>

/// Re-encodes UTF-8 as modified UTF-8: characters outside the Basic
/// Multilingual Plane become their two surrogates (three bytes each), NUL
/// becomes C0 80, and every ill-formed sequence becomes U+FFFD (one per
/// maximal ill-formed part, as Unicode recommends).
std::string toModifiedUtf8(const std::string& utf8);
