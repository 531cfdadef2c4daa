// UTF-8 to the JNI's modified UTF-8.
#include <gtest/gtest.h>

#include "java_text.h"
#include "vm_encoding.h"

namespace {

TEST(JavaText, ReencodesAsModifiedUtf8) {
  struct Case {
    std::string input;
    std::string expected;
  } cases[] = {
      {"", ""},
      {"plain -x=1", "plain -x=1"},
      {"caf\xC3\xA9 \xE2\x82\xAC", "caf\xC3\xA9 \xE2\x82\xAC"},      // BMP unchanged
      {"\xF0\x9F\x98\x80", "\xED\xA0\xBD\xED\xB8\x80"},              // U+1F600
      {"\xF4\x8F\xBF\xBF", "\xED\xAF\xBF\xED\xBF\xBF"},              // U+10FFFF
      {std::string("a\0b", 3), std::string("a\xC0\x80" "b", 4)},     // NUL
      {"a\xFF" "b", "a\xEF\xBF\xBD" "b"},                            // invalid byte
      {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},                      // overlong '/'
      {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},      // encoded surrogate
      {"\xE2\x82" "A", "\xEF\xBF\xBD" "A"},                          // truncated, one U+FFFD
      {"\xF0\x9F\x98", "\xEF\xBF\xBD"},                              // cut at the end
      {"\xF4\x90\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // > U+10FFFF
      {"\x80x", "\xEF\xBF\xBDx"},                                    // lone continuation
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, toModifiedUtf8(c.input)) << c.input;
}

}  // namespace
