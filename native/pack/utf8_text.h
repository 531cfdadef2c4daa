// UTF-8 texts in the files vantrel-pack writes: checked, shown and turned
// into the UTF-16 of Windows resources.
#pragma once

#include <string>
#include <string_view>

/// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or
/// code points above U+10FFFF).
bool isUtf8(std::string_view text);

/// `text` with each byte that is not part of well-formed UTF-8 shown as
/// \xNN, for messages.
std::string shownUtf8(std::string_view text);

/// UTF-8 as UTF-16; ill-formed bytes become U+FFFD.
std::u16string utf16Of(std::string_view text);
