// The parser's verdicts: every error with its position, numbers, strings.
#include "json.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace std::string_literals;

struct ErrorCase {
  std::string text;
  const char* message;
  uint64_t line;
  uint64_t column;
};

const ErrorCase kErrorCases[] = {
    {"", "no root element", 1, 1},
    {"  ", "no root element", 1, 3},
    {"\0[]"s, "no root element", 1, 1},
    {"1", "document root must be object or array", 1, 1},
    {"\"a\"", "document root must be object or array", 1, 1},
    {" \n null", "document root must be object or array", 2, 2},
    {"\xEF\xBB\xBF{}", "document root must be object or array", 1, 1},
    {"[1 2]", "expected ,", 1, 4},
    {"[\"a\"", "expected ,", 1, 5},
    {"[1}", "expected ,", 1, 3},
    {"[1\0]"s, "expected ,", 1, 3},
    {"{\"a\":1]", "expected ,", 1, 7},
    {"[[[]]", "expected ,", 1, 6},
    {"{\"a\":1 \"b\":2}", "expected ,", 1, 8},
    {"{", "object key must be quoted", 1, 2},
    {"{]", "object key must be quoted", 1, 2},
    {"{\"a\":1,,}", "object key must be quoted", 1, 8},
    {"{\"", "invalid object key", 1, 3},
    {"{\"a", "invalid object key", 1, 4},
    {"{\"\\q\":1}", "invalid object key", 1, 4},
    {"{\"a\tb\":1}", "invalid object key", 1, 4},
    {"{\"a\" 1}", "expected :", 1, 6},
    {"{\"a\"", "expected :", 1, 5},
    {"[", "unexpected end of input", 1, 2},
    {"[\0]"s, "unexpected end of input", 1, 2},
    {"{\"a\": ", "unexpected end of input", 1, 7},
    {"[nu", "unexpected end of input", 1, 2},
    {"[fals", "unexpected end of input", 1, 2},
    {"[tru", "unexpected end of input", 1, 2},
    {"[\"abc", "unexpected end of input", 1, 6},
    {"[\"a\\", "unexpected end of input", 1, 5},
    {"[\"\\u12", "unexpected end of input", 1, 5},
    {"[\"\\n\\u00e9xy", "unexpected end of input", 1, 13},
    {"[1", "unexpected end of input", 1, 3},
    {"[-", "unexpected end of input", 1, 3},
    {"[1.", "unexpected end of input", 1, 4},
    {"[1.5e+3", "unexpected end of input", 1, 8},
    {"{\"a\":]", "expected }", 1, 6},
    {"[}", "expected ]", 1, 2},
    {"[1,}", "expected ]", 1, 4},
    {"[1,,2]", "cannot parse unknown value", 1, 4},
    {"[\xC3\xA9]", "cannot parse unknown value", 1, 2},
    {"[+1]", "cannot parse unknown value", 1, 2},
    {"{\"a\":}", "cannot parse unknown value", 1, 6},
    {"{\"a\": \n }", "cannot parse unknown value", 2, 2},
    {"[nul]", "expected 'null'", 1, 2},
    {"[fals]", "expected 'false'", 1, 2},
    {"[trux]", "expected 'true'", 1, 2},
    {"[]x", "expected end of input", 1, 3},
    {"[]]", "expected end of input", 1, 3},
    {"{}\n\n  {}", "expected end of input", 3, 3},
    {"[\"a\tb\"]", "illegal unprintable codepoint in string: 9", 1, 4},
    {"[\"\0\"]"s, "illegal unprintable codepoint in string: 0", 1, 3},
    {"[\"\\n\x1F\"]", "illegal unprintable codepoint in string: 31", 1, 5},
    {"[\"\\q\"]", "unknown escape", 1, 4},
    {"[\"\\u12\"]", "invalid character in unicode escape", 1, 8},
    {"[\"\\uD83D\\u00G1\"]", "invalid character in unicode escape", 1, 14},
    {"[\"\\uD83D\"]", "unexpected end of input during UTF-16 surrogate pair", 1, 9},
    {"[\"\\uD83Dxxxxxx\"]", "expected \\u", 1, 9},
    {"[\"\\uD83D\\u0041\"]", "invalid UTF-16 trail surrogate", 1, 15},
    // Lines: CR LF is one break, CR and LF alone one each.
    {"[\n1\r\n,\r2 3]", "expected ,", 4, 3},
    // Escaped line breaks decoded in place do not shift later positions.
    {"[\"a\\nb\\r\\nc\", x]", "cannot parse unknown value", 1, 15},
};

TEST(JsonParser, ReportsEachErrorAtItsPosition) {
  for (const ErrorCase& c : kErrorCases) {
    JsonDocument document = parseJson(c.text);
    SCOPED_TRACE("text: " + c.text);
    ASSERT_FALSE(document.ok());
    EXPECT_EQ(document.errorMessage(), c.message);
    EXPECT_EQ(document.errorLine(), c.line);
    EXPECT_EQ(document.errorColumn(), c.column);
    EXPECT_EQ(document.root().type(), JsonType::Null);
  }
}

TEST(JsonParser, AcceptsTheLiberties) {
  const std::string texts[] = {
      "[]", "{}", " \t\r\n[ ] \n", "[1,]", "{\"a\":1,}", "[]\0garbage"s,
      "{} \n\0 x"s, "[null,true,false]", "[[],[{}],{\"a\":[]}]",
      "[-]",
  };
  for (const std::string& text : texts) {
    JsonDocument document = parseJson(text);
    EXPECT_TRUE(document.ok()) << text << ": " << document.errorMessage();
    EXPECT_EQ(document.errorLine(), 0u);
    EXPECT_EQ(document.errorColumn(), 0u);
  }
  EXPECT_EQ(parseJson("[1,]").root().size(), 1u);
  EXPECT_EQ(parseJson("{\"a\":1,}").root().size(), 1u);
}

struct NumberCase {
  std::string literal;
  JsonType type;
  uint64_t bits;  ///< int32 bits, or binary64 bits
};

const NumberCase kNumberCases[] = {
    {"0", JsonType::Integer, 0},
    {"-0", JsonType::Integer, 0},
    {"007", JsonType::Integer, 7},
    {"-", JsonType::Integer, 0},
    {"2147483559", JsonType::Integer, 0x7fffffa7},
    {"-2147483559", JsonType::Integer, 0x80000059},
    {"2147483560", JsonType::Double, 0x41dfffffea000000},
    {"2147483647", JsonType::Double, 0x41dfffffffc00000},
    {"-2147483648", JsonType::Double, 0xc1e0000000000000},
    {"1.5", JsonType::Double, 0x3ff8000000000000},
    {"1.", JsonType::Double, 0x3ff0000000000000},
    {"1e2", JsonType::Double, 0x4059000000000000},
    {"1E+2", JsonType::Double, 0x4059000000000000},
    {"1e", JsonType::Double, 0x3ff0000000000000},
    {"1.e1", JsonType::Double, 0x4024000000000000},
    {"-.5", JsonType::Double, 0xbfe0000000000000},
    {"-0.0", JsonType::Double, 0x8000000000000000},
    {"0.0", JsonType::Double, 0},
    {"1e400", JsonType::Double, 0x7ff0000000000000},
    {"-1e400", JsonType::Double, 0xfff0000000000000},
    {"1e-400", JsonType::Double, 0},
    {"0e400", JsonType::Double, 0},
    {"-0e400", JsonType::Double, 0x8000000000000000},
    {"1e99999999999", JsonType::Double, 0x7ff0000000000000},
    {"1e-99999999999", JsonType::Double, 0},
    {"5e-324", JsonType::Double, 1},
    {"4.9e-324", JsonType::Double, 1},
    {"1e-323", JsonType::Double, 2},
    {"123e-320", JsonType::Double, 0x3cc78},
    {"0.1", JsonType::Double, 0x3fb999999999999a},
    {"-65.613616999999977", JsonType::Double, 0xc0506745803cd140},
    {"1.7976931348623157e308", JsonType::Double, 0x7fefffffffffffff},
    {"2.2250738585072014e-308", JsonType::Double, 0x0010000000000000},
    {"12345678901234567890", JsonType::Double, 0x43e56a95319d63e2},
    {"90071992547409931", JsonType::Double, 0x4374000000000000},
    // One multiplication, no correction: not the nearest binary64.
    {"2.942908138607264", JsonType::Double, 0x40078b136c139a7e},
    // Overflowed mantissas and tiny powers are converted exactly.
    {"1." + std::string(400, '0'), JsonType::Double, 0x3ff0000000000000},
    {"1" + std::string(400, '0') + "e-400", JsonType::Double,
     0x3ff0000000000000},
    {"1" + std::string(400, '0'), JsonType::Double, 0x7ff0000000000000},
    {"0." + std::string(400, '0') + "1e300", JsonType::Double,
     0x2af665bf1d3e6a8d},
};

uint64_t numberBits(JsonValue value) {
  if (value.type() == JsonType::Integer)
    return static_cast<uint32_t>(value.integerValue());
  double number = value.doubleValue();
  uint64_t bits;
  std::memcpy(&bits, &number, sizeof bits);
  return bits;
}

TEST(JsonParser, ConvertsNumbers) {
  for (const NumberCase& c : kNumberCases) {
    SCOPED_TRACE("literal: " + c.literal.substr(0, 40));
    JsonDocument document = parseJson("[" + c.literal + "]");
    ASSERT_TRUE(document.ok()) << document.errorMessage();
    JsonValue number = document.root().element(0);
    EXPECT_EQ(number.type(), c.type);
    EXPECT_EQ(numberBits(number), c.bits);
  }
}

struct StringCase {
  std::string literal;
  std::string decoded;
};

const StringCase kStringCases[] = {
    {R"("")", ""},
    {R"("plain \u00e9 \u00E9")", "plain \xC3\xA9 \xC3\xA9"},
    {"\"raw \xC3\xA9\xFF\x80\"", "raw \xC3\xA9\xFF\x80"},
    {R"("\"\\\/\b\f\n\r\t")", "\"\\/\b\f\n\r\t"},
    {R"("a\u0000b")", "a\0b"s},
    {R"("\u0041\u07FF\u0800\uFFFF")", "A\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"},
    {R"("\uD83D\uDE00")", "\xF0\x9F\x98\x80"},
    {R"("\udbff\udfff")", "\xF4\x8F\xBF\xBF"},
    {R"("\uDC00")", "\xED\xB0\x80"},
    {R"("x\n" )", "x\n"},
    {R"("a long run of plain text, \\ then more plain text after it")",
     "a long run of plain text, \\ then more plain text after it"},
};

TEST(JsonParser, DecodesStrings) {
  for (const StringCase& c : kStringCases) {
    std::string text = "[" + c.literal + ",\"after\"]";
    JsonDocument document = parseJson(text);
    ASSERT_TRUE(document.ok()) << c.literal << ": " << document.errorMessage();
    EXPECT_EQ(document.root().element(0).text(), c.decoded) << c.literal;
    EXPECT_EQ(document.root().element(1).text(), "after");
  }
}

TEST(JsonParser, LeavesTheCallersTextAlone) {
  const std::string text = R"(["a\n\u00e9", {"\u0062": 1}])";
  const std::string copy = text;
  JsonDocument document = parseJson(text);
  ASSERT_TRUE(document.ok());
  EXPECT_EQ(text, copy);
  EXPECT_EQ(document.root().element(1).key(0), "b");
}

}  // namespace
