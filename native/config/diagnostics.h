// What reading a configuration found wrong: one record per problem, printed
// by the launcher as "Warning:"/"Error:" lines and by vantrel-check
// compiler-style.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "json.h"

struct Diagnostic {
  enum class Kind {
    error,    ///< the launcher stops
    warning,  ///< the launcher says so and goes on
    quiet,    ///< the launcher goes on without a word; only the checker reports it
  };
  Kind kind = Kind::warning;
  /// The launcher's text after "Error: " or "Warning: "; empty for quiet ones.
  std::string message;
  /// The checker's text when it says more than `message` (empty: `message`).
  std::string detail;
  /// The file the line and column refer to; empty: the configuration.
  std::string file;
  uint64_t line = 0;    ///< 1-based; 0 when unknown
  uint64_t column = 0;  ///< 1-based byte column; 0 when unknown
  /// Only for a quiet one: whether the checker counts it as an error.
  bool quietError = false;
};

using Diagnostics = std::vector<Diagnostic>;

/// A value's kind as messages name it: "a string", "a number", "null", ...
const char* describeKind(JsonType type);

/// True when `text` holds a NUL byte. Such a text cannot be handed on: the
/// environment and the Java VM take NUL-terminated texts and would cut it.
bool holdsNulByte(std::string_view text);

/// `text` with each NUL byte written as \u0000, for messages.
std::string showNulBytes(std::string_view text);

/// `text` in double quotes with NUL bytes shown, for the checker's texts.
std::string quotedText(std::string_view text);

/// True when a text starting with `start` looks like UTF-16: a UTF-16 byte
/// order mark, or a NUL byte among its first two bytes.
bool looksLikeUtf16(std::string_view start);
