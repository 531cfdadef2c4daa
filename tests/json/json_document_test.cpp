// The document model: member order, lookup, views, ownership, and the
// parser's limits (deep nesting, large texts, truncated texts, allocations).
#include "json.h"

#include <gtest/gtest.h>

#include "allocation_counter.h"

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;

std::vector<std::string> keysOf(JsonValue object) {
  std::vector<std::string> keys;
  for (uint64_t i = 0; i < object.size(); ++i)
    keys.emplace_back(object.key(i));
  return keys;
}

TEST(JsonDocument, StoresMembersByKeyLengthThenUnsignedBytes) {
  JsonDocument document =
      parseJson("{\"b\":1,\"a\":2,\"cc\":3,\"aa\":4,\"\xC3\":5,\"z\":6,\"\":7}");
  ASSERT_TRUE(document.ok());
  JsonValue root = document.root();
  std::vector<std::string> expected = {"", "a", "b", "z", "\xC3", "aa", "cc"};
  EXPECT_EQ(keysOf(root), expected);
  EXPECT_EQ(root.memberValue(0).integerValue(), 7);
  EXPECT_EQ(root.memberValue(6).integerValue(), 3);
}

TEST(JsonDocument, FindsKeysAndReportsMissesAsSize) {
  JsonDocument document = parseJson(
      R"({"b":1,"abc":2,"\u0061":3,"":4,"aa":5,"z":6,"zz":7})");
  ASSERT_TRUE(document.ok());
  JsonValue root = document.root();
  for (const char* key : {"", "a", "b", "z", "aa", "zz", "abc"}) {
    uint64_t index = root.findKey(key);
    ASSERT_LT(index, root.size()) << key;
    EXPECT_EQ(root.key(index), key);
  }
  for (const char* key : {"ab", "c", "abcd", "A", "zzz", "ba"})
    EXPECT_EQ(root.findKey(key), root.size()) << key;
  EXPECT_EQ(root.findKey("\0"s), root.size());
  EXPECT_EQ(root.key(root.findKey(std::string_view())), "");

  JsonDocument empty = parseJson("{}");
  EXPECT_EQ(empty.root().size(), 0u);
  EXPECT_EQ(empty.root().findKey(""), 0u);
  EXPECT_EQ(empty.root().findKey(std::string_view()), 0u);
  EXPECT_EQ(empty.root().findKey("a"), 0u);
}

TEST(JsonDocument, KeepsDuplicateKeys) {
  JsonDocument document = parseJson(R"({"a":1,"b":0,"a":2})");
  ASSERT_TRUE(document.ok());
  JsonValue root = document.root();
  ASSERT_EQ(root.size(), 3u);
  EXPECT_EQ(keysOf(root), (std::vector<std::string>{"a", "a", "b"}));
  EXPECT_EQ(root.findKey("a"), 0u);
  EXPECT_EQ(root.memberValue(0).integerValue() + root.memberValue(1).integerValue(), 3);
}

TEST(JsonDocument, SortsAndFindsManyKeys) {
  std::vector<std::string> keys;
  for (int i = 0; i < 3000; ++i) keys.push_back("k" + std::to_string(i * 7919 % 10007));
  std::shuffle(keys.begin(), keys.end(), std::mt19937(42));
  std::string text = "{";
  for (size_t i = 0; i < keys.size(); ++i)
    text += "\"" + keys[i] + "\":" + std::to_string(i) + ",";
  text += "}";
  JsonDocument document = parseJson(text);
  ASSERT_TRUE(document.ok());
  JsonValue root = document.root();
  ASSERT_EQ(root.size(), keys.size());
  for (uint64_t i = 1; i < root.size(); ++i) {
    std::string_view a = root.key(i - 1), b = root.key(i);
    ASSERT_TRUE(a.size() < b.size() || (a.size() == b.size() && a < b));
  }
  for (size_t i = 0; i < keys.size(); ++i) {
    uint64_t index = root.findKey(keys[i]);
    ASSERT_LT(index, root.size());
    EXPECT_EQ(root.memberValue(index).integerValue(), static_cast<int32_t>(i));
  }
  EXPECT_EQ(root.findKey("k10008"), root.size());
}

TEST(JsonDocument, MovesKeepTheValuesAlive) {
  JsonDocument first = parseJson(R"({"k": "value"})");
  JsonDocument second(std::move(first));
  EXPECT_FALSE(first.ok());
  JsonDocument third = parseJson("[");
  third = std::move(second);
  ASSERT_TRUE(third.ok());
  EXPECT_EQ(third.errorMessage(), "");
  EXPECT_EQ(third.root().memberValue(0).text(), "value");
}

TEST(JsonDocument, AllocatesThreeTimesPerParse) {
  std::string text = R"({"a": [1, 2.5, "x\ny", {"b": [[], {}]}], "c": null})";
  size_t before = allocationCount();
  JsonDocument document = parseJson(text);
  size_t allocations = allocationCount() - before;
  ASSERT_TRUE(document.ok());
  EXPECT_EQ(allocations, 3u);
}

TEST(JsonDocument, ParsesMillionsOfLevelsWithoutRecursion) {
  const size_t depth = 3000000;
  std::string text(depth, '[');
  text.append(depth, ']');
  JsonDocument document = parseJson(text);
  ASSERT_TRUE(document.ok()) << document.errorMessage();
  JsonValue value = document.root();
  size_t levels = 1;
  while (value.size() == 1) {
    value = value.element(0);
    ++levels;
  }
  EXPECT_EQ(levels, depth);

  std::string objects;
  for (int i = 0; i < 500000; ++i) objects += "{\"k\":";
  objects += "1" + std::string(500000, '}');
  EXPECT_TRUE(parseJson(objects).ok());
}

TEST(JsonDocument, ParsesALargeDocument) {
  std::string text = "[";
  for (int i = 0; i < 200000; ++i) {
    text += "{\"id\":" + std::to_string(i) + ",\"name\":\"item\\t" +
            std::to_string(i) + "\",\"ratio\":" + std::to_string(i) + ".5,\"tags\":[true,null]},\n";
  }
  text += "]";
  JsonDocument document = parseJson(text);
  ASSERT_TRUE(document.ok());
  JsonValue root = document.root();
  ASSERT_EQ(root.size(), 200000u);
  JsonValue last = root.element(199999);
  EXPECT_EQ(keysOf(last), (std::vector<std::string>{"id", "name", "tags", "ratio"}));
  EXPECT_EQ(last.memberValue(0).integerValue(), 199999);
  EXPECT_EQ(last.memberValue(1).text(), "item\t199999");
  EXPECT_EQ(last.memberValue(3).doubleValue(), 199999.5);
}

/// Every prefix of these parses or fails cleanly; under the address and
/// undefined-behaviour sanitizers this proves the parser stays inside its
/// structure and input copy.
const std::string kTruncatedDocuments[] = {
    R"({"name": "demo", "list": [1, -2.5e3, 0.1, "x\"\\\/\u00e9\uD83D\uDE00", true, false, null], "o": {"": {}, "b": [[]]}})",
    R"([{"a":[{"b":{"c":["d",{"e":"f"}]}}]},"\u0000",[-0.0,1E+400,-,007]])",
    R"(  {"\u0061": 1 , "bb" :[ "" , "\n" ,{}] ,"a":{"x":"y"}}  )",
    "[\"\",\"\",\"\",\"\"]",
    "{\"\":\"\",\"a\":\"\",\"b\":[\"\"]}",
    "[[[[[[\"\"]]]]]]",
    "{\"a\":{\"b\":{\"c\":\"\\ud83d\\ude00\"}}}",
};

TEST(JsonDocument, EveryPrefixParsesOrFailsCleanly) {
  for (const std::string& document : kTruncatedDocuments) {
    for (size_t length = 0; length <= document.size(); ++length) {
      // An exact-size copy, so that a sanitizer sees any read past the end.
      std::vector<char> prefix(document.begin(), document.begin() + length);
      JsonDocument parsed = parseJson(prefix.data(), prefix.size());
      if (parsed.ok()) continue;
      EXPECT_FALSE(parsed.errorMessage().empty());
      EXPECT_GE(parsed.errorLine(), 1u);
      EXPECT_GE(parsed.errorColumn(), 1u);
      EXPECT_LE(parsed.errorColumn(), length + 1);
    }
    EXPECT_TRUE(parseJson(document).ok()) << document;
  }
}

}  // namespace
