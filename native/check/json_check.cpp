// vantrel-check's JSON modes: a verdict per file, and a dump of the parsed
// document that shows exactly what the reader made of the text.
#include "check.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "input_file.h"
#include "json.h"
#include "json_text.h"

namespace {

/// Empty when `path` can be opened and read; otherwise the reason, so that a
/// missing file is not reported as an empty document.
std::string accessProblem(const std::string& path) {
  errno = 0;
  std::FILE* file = openInputFile(path.c_str());
  if (file == nullptr)
    return "cannot open file: " + inputFileError(errno);
  std::string problem;
  std::fgetc(file);
  if (std::ferror(file))
    problem = std::string("cannot read file: ") + std::strerror(errno);
  std::fclose(file);
  return problem;
}

std::string parseReport(const std::string& path, const JsonDocument& document) {
  return path + ":" + std::to_string(document.errorLine()) + ":" +
         std::to_string(document.errorColumn()) +
         ": error: " + document.errorMessage();
}

/// Shortest text that reads back to the same binary64, always with a
/// fraction or an exponent so that it cannot be taken for an integer.
void writeDouble(std::string& out, double value) {
  if (std::isinf(value)) {
    out += value < 0 ? "-Infinity" : "Infinity";
    return;
  }
  if (std::isnan(value)) {
    out += "NaN";
    return;
  }
  char digits[64];
  auto result = std::to_chars(digits, digits + sizeof digits, value);
  std::string_view text(digits, static_cast<size_t>(result.ptr - digits));
  out += text;
  if (text.find_first_of(".e") == std::string_view::npos) out += ".0";
}

struct Frame {
  JsonValue container;
  uint64_t next;
};

/// Writes a scalar, or opens a container (pushed on `stack` unless empty).
void writeValue(std::string& out, JsonValue value, std::vector<Frame>& stack) {
  switch (value.type()) {
    case JsonType::Integer: out += std::to_string(value.integerValue()); break;
    case JsonType::Double: writeDouble(out, value.doubleValue()); break;
    case JsonType::Null: out += "null"; break;
    case JsonType::False: out += "false"; break;
    case JsonType::True: out += "true"; break;
    case JsonType::String: appendJsonString(out, value.text()); break;
    case JsonType::Array:
    case JsonType::Object: {
      bool isArray = value.type() == JsonType::Array;
      if (value.size() == 0) {
        out += isArray ? "[]" : "{}";
      } else {
        out += isArray ? '[' : '{';
        stack.push_back(Frame{value, 0});
      }
      break;
    }
  }
}

/// Deeper values are written without line breaks: indenting each level
/// would make the dump grow with the square of the depth.
const size_t maxIndentedDepth = 32;

void newLine(std::string& out, size_t depth) {
  if (depth > maxIndentedDepth) return;
  out += '\n';
  out.append(2 * depth, ' ');
}

/// Pretty-prints a document without recursion, so that any nesting depth
/// the parser accepts can be dumped, in time linear in its size.
std::string dumpDocument(JsonValue root) {
  std::string out;
  std::vector<Frame> stack;
  writeValue(out, root, stack);
  while (!stack.empty()) {
    JsonValue container = stack.back().container;
    uint64_t index = stack.back().next++;
    bool isArray = container.type() == JsonType::Array;
    if (index == container.size()) {
      stack.pop_back();
      newLine(out, stack.size());
      out += isArray ? ']' : '}';
      continue;
    }
    if (index > 0) out += ',';
    newLine(out, stack.size());
    if (isArray) {
      writeValue(out, container.element(index), stack);
    } else {
      appendJsonString(out, container.key(index));
      out += ": ";
      writeValue(out, container.memberValue(index), stack);
    }
  }
  out += '\n';
  return out;
}

}  // namespace

int checkJsonFiles(const std::vector<std::string>& paths) {
  int status = 0;
  for (const std::string& path : paths) {
    std::string problem = accessProblem(path);
    if (!problem.empty()) {
      std::cout << path << ": error: " << problem << std::endl;
      status = 1;
      continue;
    }
    JsonDocument document = loadJsonFile(path);
    if (document.ok()) {
      std::cout << path << ": ok" << std::endl;
    } else {
      std::cout << parseReport(path, document) << std::endl;
      status = 1;
    }
  }
  return status;
}

int dumpJsonFile(const std::string& path) {
  std::string problem = accessProblem(path);
  if (!problem.empty()) {
    std::cerr << path << ": error: " << problem << std::endl;
    return 1;
  }
  JsonDocument document = loadJsonFile(path);
  if (!document.ok()) {
    std::cerr << parseReport(path, document) << std::endl;
    return 1;
  }
  std::string text = dumpDocument(document.root());
  std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
  std::cout.flush();
  return 0;
}
