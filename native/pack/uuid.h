// UUIDs for installers.
#pragma once

#include <string>

/// A name-based (SHA-1, version 5) UUID of `name` in this program's own
/// namespace, upper case without braces: the same name always gives the same
/// UUID.
std::string nameBasedUuid(const std::string& name);
