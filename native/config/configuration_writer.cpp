#include "configuration_writer.h"

#include "config_keys.h"
#include "json_text.h"

void ConfigurationWriter::set(std::string_view key, std::string json) {
  members_.emplace_back(std::string(key), std::move(json));
}

void ConfigurationWriter::setString(std::string_view key, std::string_view value) {
  set(key, jsonString(value));
}

void ConfigurationWriter::setBoolean(std::string_view key, bool value) {
  set(key, value ? "true" : "false");
}

void ConfigurationWriter::setInteger(std::string_view key, long long value) {
  set(key, std::to_string(value));
}

void ConfigurationWriter::setStrings(std::string_view key,
                                     const std::vector<std::string>& values) {
  std::string array = "[";
  for (size_t i = 0; i < values.size(); ++i) {
    array += i ? ",\n    " : "\n    ";
    appendJsonString(array, values[i]);
  }
  set(key, array + (values.empty() ? "]" : "\n  ]"));
}

std::string ConfigurationWriter::text() const {
  std::vector<const std::pair<std::string, std::string>*> ordered;
  for (const ConfigKey& key : configKeys())
    for (const auto& member : members_)
      if (member.first == key.name) ordered.push_back(&member);
  for (const auto& member : members_)
    if (!findConfigKey(member.first)) ordered.push_back(&member);
  std::string text = "{";
  for (size_t i = 0; i < ordered.size(); ++i) {
    text += i ? ",\n  " : "\n  ";
    appendJsonString(text, ordered[i]->first);
    text += ": " + ordered[i]->second;
  }
  return text + "\n}\n";
}
