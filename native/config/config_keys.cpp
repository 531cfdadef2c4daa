#include "config_keys.h"

bool isOfKind(unsigned kinds, JsonType type) {
  switch (type) {
    case JsonType::String: return kinds & kindString;
    case JsonType::False:
    case JsonType::True: return kinds & kindBoolean;
    case JsonType::Integer:
    case JsonType::Double: return kinds & kindNumber;
    case JsonType::Array: return kinds & kindArray;
    case JsonType::Object: return kinds & kindObject;
    case JsonType::Null: break;
  }
  return false;
}

const ConfigKey* findConfigKey(std::string_view name) {
  for (const ConfigKey& key : configKeys())
    if (name == key.name) return &key;
  return nullptr;
}

std::string listOfConfigKeys(bool requiredOnly) {
  std::vector<std::string> names;
  for (const ConfigKey& key : configKeys())
    if (!requiredOnly || key.requiredError) names.push_back('\'' + std::string(key.name) + '\'');
  std::string list;
  for (size_t i = 0; i < names.size(); ++i)
    list += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
  return list;
}
