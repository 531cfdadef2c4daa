// Writing a configuration file, as the packager does: the members in the
// key table's order, one per line, arrays one element per line.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

class ConfigurationWriter {
 public:
  void setString(std::string_view key, std::string_view value);
  void setBoolean(std::string_view key, bool value);
  void setInteger(std::string_view key, long long value);
  void setStrings(std::string_view key, const std::vector<std::string>& values);

  /// The file's text: the keys of the table in its order, then any other
  /// key in the order set (which the reader will report as unknown).
  std::string text() const;

 private:
  void set(std::string_view key, std::string json);

  /// Each key with its value as JSON text.
  std::vector<std::pair<std::string, std::string>> members_;
};
