// Loading documents from files: binary bytes up to the first NUL.
#include "json.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

using namespace std::string_literals;

std::string writeFile(const std::string& name, const std::string& bytes) {
  std::string path = ::testing::TempDir() + "vantrel_json_" + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

TEST(JsonFile, MissingFileReadsAsEmptyText) {
  JsonDocument document = loadJsonFile(::testing::TempDir() + "no/such/file.json");
  EXPECT_FALSE(document.ok());
  EXPECT_EQ(document.errorMessage(), "no root element");
  EXPECT_EQ(document.errorLine(), 1u);
  EXPECT_EQ(document.errorColumn(), 1u);
}

TEST(JsonFile, ReadsBytesAsStored) {
  struct {
    std::string bytes;
    const char* message;  ///< empty when the file parses
    uint64_t line, column;
  } cases[] = {
      {"", "no root element", 1, 1},
      {" \r\n\t", "no root element", 2, 2},
      {"\xEF\xBB\xBF{}", "document root must be object or array", 1, 1},
      {"{\r\n\"a\": 1,\r\n\"b\" 2\r\n}", "expected :", 3, 5},
      {"{\n\"a\": 1,\n\"b\" 2\n}", "expected :", 3, 5},
      {"{\"a\": [1]}\0{{{ garbage"s, "", 0, 0},
      {"{\"a\": 1}\n{\"b\": 2}", "expected end of input", 2, 1},
      {"[\"" + std::string(200000, 'x') + "\"]", "", 0, 0},
  };
  int index = 0;
  for (const auto& c : cases) {
    std::string path = writeFile(std::to_string(index++) + ".json", c.bytes);
    JsonDocument document = loadJsonFile(path);
    std::remove(path.c_str());
    SCOPED_TRACE("file: " + c.bytes.substr(0, 40));
    EXPECT_EQ(document.ok(), c.message[0] == '\0');
    EXPECT_EQ(document.errorMessage(), c.message);
    EXPECT_EQ(document.errorLine(), c.line);
    EXPECT_EQ(document.errorColumn(), c.column);
  }
}

}  // namespace
