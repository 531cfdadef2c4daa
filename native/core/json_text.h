// Writing texts as JSON strings, for the files the tools write and the
// checker's dump.
#pragma once

#include <string>
#include <string_view>

/// Appends `text` to `out` as a JSON string: in double quotes, with '"',
/// '\\' and the control characters escaped (\b \f \n \r \t by name, the
/// others as \u00XX). Other bytes, UTF-8 or not, are written as they are.
void appendJsonString(std::string& out, std::string_view text);

/// `text` as a JSON string.
std::string jsonString(std::string_view text);
