// Fuzzes the JSON parser. Each input is parsed; a document that parsed is
// walked without recursion through the public read operations, and each view
// is checked against the document's memory (json_inspect.h):
//   - every block lies inside the structure, after the block of the container
//     that holds it, and the blocks together fill the run from the root block
//     to the structure's end exactly once;
//   - strings and keys lie inside the input copy; numbers read as numbers;
//   - members are sorted (key length, then bytes) and findKey finds every key,
//     returning the first of equal keys, and misses a key that is absent.
// A document without repeated keys is then written back as JSON text, parsed
// again, and must read the same. A failed parse must leave a known message
// and a position inside the text.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "json.h"
#include "json_inspect.h"
#include "json_text.h"

namespace {

bool hasBlock(JsonType type) {
  return type != JsonType::Null && type != JsonType::False && type != JsonType::True;
}

/// Words of a value's block; containers are checked to fit before counting.
uint64_t blockWords(const JsonValue& value) {
  switch (value.type()) {
    case JsonType::Integer:
    case JsonType::Double:
      return 1;
    case JsonType::String:
      return 2;
    case JsonType::Array:
      return 1 + value.size();
    case JsonType::Object:
      return 1 + 3 * value.size();
    default:
      return 0;
  }
}

bool keyBefore(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return a.size() < b.size();
  return a.size() != 0 && std::memcmp(a.data(), b.data(), a.size()) < 0;
}

/// One value in document order, as the comparison of two documents sees it.
struct Event {
  JsonType type = JsonType::Null;
  uint64_t size = 0;    ///< elements or members of a container
  std::string bytes;    ///< key or string content
  uint64_t number = 0;  ///< integer or double bits
  bool isKey = false;
};

class Walker {
 public:
  explicit Walker(const JsonDocument& document)
      : extent_(jsonExtent(document)),
        root_(jsonBlock(document.root())),
        covered_(static_cast<size_t>(extent_.structureEnd - root_), 0) {}

  /// Walks the whole document; returns its values in document order.
  std::vector<Event> walk(const JsonValue& root) {
    std::vector<Event> events;
    struct Frame {
      JsonValue container;
      uint64_t next;
    };
    visit(root, events);
    std::vector<Frame> stack{{root, 0}};
    while (!stack.empty()) {
      Frame& frame = stack.back();
      if (frame.next == frame.container.size()) {
        stack.pop_back();
        continue;
      }
      const JsonValue container = frame.container;
      const uint64_t index = frame.next++;
      JsonValue child;
      if (container.type() == JsonType::Array) {
        child = container.element(index);
      } else {
        checkMember(container, index);
        Event key;
        key.type = JsonType::String;
        key.bytes = std::string(container.key(index));
        key.isKey = true;
        events.push_back(key);
        child = container.memberValue(index);
      }
      checkChildPlace(container, child);
      visit(child, events);
      if (child.type() == JsonType::Array || child.type() == JsonType::Object)
        stack.push_back(Frame{child, 0});
    }
    for (uint8_t count : covered_) check(count == 1);
    return events;
  }

  bool repeatedKeys() const { return repeatedKeys_; }

 private:
  /// Checks a value's own block and records it.
  void visit(const JsonValue& value, std::vector<Event>& events) {
    Event event;
    event.type = value.type();
    check(static_cast<uint32_t>(value.type()) <= 7);
    if (!hasBlock(value.type())) {
      events.push_back(event);
      return;
    }
    const uint64_t* block = jsonBlock(value);
    check(block >= root_ && block < extent_.structureEnd);
    const uint64_t room = static_cast<uint64_t>(extent_.structureEnd - block);
    if (value.type() == JsonType::Array) check(value.size() <= room - 1);
    if (value.type() == JsonType::Object) check(value.size() <= (room - 1) / 3);
    const uint64_t words = blockWords(value);
    check(words <= room);
    for (uint64_t i = 0; i < words; ++i) ++covered_[static_cast<size_t>(block - root_ + i)];
    switch (value.type()) {
      case JsonType::Integer:
        event.number = static_cast<uint32_t>(value.integerValue());
        break;
      case JsonType::Double: {
        double number = value.doubleValue();
        check(!std::isnan(number));
        std::memcpy(&event.number, &number, sizeof number);
        break;
      }
      case JsonType::String:
        checkText(block[0], block[1], value.text());
        event.bytes = std::string(value.text());
        break;
      default:
        event.size = value.size();
    }
    events.push_back(event);
  }

  void checkText(uint64_t start, uint64_t end, std::string_view text) {
    check(start <= end && end <= extent_.inputLength);
    check(text.data() == extent_.input + start && text.size() == end - start);
  }

  /// A child's block lies after the whole block of its container.
  void checkChildPlace(const JsonValue& container, const JsonValue& child) {
    if (!hasBlock(child.type())) return;
    check(jsonBlock(child) >= jsonBlock(container) + blockWords(container));
  }

  void checkMember(const JsonValue& object, uint64_t index) {
    const uint64_t* member = jsonBlock(object) + 1 + 3 * index;
    const std::string_view key = object.key(index);
    checkText(member[0], member[1], key);
    // The first of equal keys is found.
    uint64_t found = object.findKey(key);
    check(found <= index && object.key(found) == key);
    check(found == 0 || object.key(found - 1) != key);
    if (index > 0) {
      const std::string_view previous = object.key(index - 1);
      check(!keyBefore(key, previous));
      if (previous == key) repeatedKeys_ = true;
    }
    if (index + 1 == object.size()) {
      // Longer than the longest key: never found.
      check(object.findKey(std::string(key.size() + 1, 'k')) == object.size());
    }
  }

  JsonExtent extent_;
  const uint64_t* root_;
  std::vector<uint8_t> covered_;  ///< per word from the root block: times reached
  bool repeatedKeys_ = false;
};

void writeDouble(uint64_t bits, std::string& out) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  if (std::isinf(value)) {
    out += value > 0 ? "1e999" : "-1e999";
    return;
  }
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  out += text;
  if (std::strpbrk(text, ".e") == nullptr) out += ".0";  // stays a double
}

/// The events as JSON text. A container is closed when as many of its
/// values (or members) have been completed as its size says.
std::string writeJson(const std::vector<Event>& events) {
  struct Open {
    uint64_t size;
    uint64_t done;
    char closer;
  };
  std::string out;
  std::vector<Open> open;
  bool afterKey = false;
  auto complete = [&] {
    while (!open.empty() && ++open.back().done == open.back().size) {
      out += open.back().closer;
      open.pop_back();
    }
  };
  for (const Event& event : events) {
    if (!afterKey && !open.empty() && open.back().done > 0) out += ',';
    afterKey = event.isKey;
    switch (event.type) {
      case JsonType::Integer:
        out += std::to_string(static_cast<int32_t>(event.number));
        break;
      case JsonType::Double:
        writeDouble(event.number, out);
        break;
      case JsonType::Null: out += "null"; break;
      case JsonType::False: out += "false"; break;
      case JsonType::True: out += "true"; break;
      case JsonType::String:
        appendJsonString(out, event.bytes);
        if (event.isKey) out += ':';
        break;
      case JsonType::Array:
      case JsonType::Object: {
        const bool array = event.type == JsonType::Array;
        out += array ? '[' : '{';
        if (event.size > 0) {
          open.push_back(Open{event.size, 0, array ? ']' : '}'});
          continue;
        }
        out += array ? ']' : '}';
        break;
      }
    }
    if (!event.isKey) complete();
  }
  return out;
}

bool sameNumber(const Event& a, const Event& b) {
  if (a.type != JsonType::Double) return a.number == b.number;
  double x, y;
  std::memcpy(&x, &a.number, sizeof x);
  std::memcpy(&y, &b.number, sizeof y);
  // One scaling multiplication per parse: a few units in the last place.
  if (x == y) return std::signbit(x) == std::signbit(y);
  return std::fabs(x - y) <= 1e-14 * std::fabs(x) || std::fabs(x - y) < 1e-300;
}

void checkRoundTrip(const std::vector<Event>& events) {
  const std::string text = writeJson(events);
  const JsonDocument again = parseJson(text);
  check(again.ok());
  const std::vector<Event> reread = Walker(again).walk(again.root());
  check(reread.size() == events.size());
  for (size_t i = 0; i < events.size(); ++i) {
    check(reread[i].type == events[i].type && reread[i].size == events[i].size);
    check(reread[i].bytes == events[i].bytes && reread[i].isKey == events[i].isKey);
    check(sameNumber(reread[i], events[i]));
  }
}

bool knownMessage(const std::string& message) {
  static const char* const messages[] = {
      "no root element", "document root must be object or array", "expected ,",
      "object key must be quoted", "invalid object key", "expected :",
      "unexpected end of input", "expected }", "expected ]",
      "cannot parse unknown value", "expected 'null'", "expected 'false'",
      "expected 'true'", "expected end of input", "unknown escape",
      "invalid character in unicode escape",
      "unexpected end of input during UTF-16 surrogate pair", "expected \\u",
      "invalid UTF-16 trail surrogate"};
  for (const char* known : messages)
    if (message == known) return true;
  int byte = -1;
  char rest;
  return std::sscanf(message.c_str(), "illegal unprintable codepoint in string: %d%c", &byte,
                     &rest) == 1 &&
         byte >= 0 && byte < 0x20;
}

/// The error position lies inside the text (or just after it).
void checkFailure(const JsonDocument& document, const char* data, size_t size) {
  check(document.root().type() == JsonType::Null);
  check(knownMessage(document.errorMessage()));
  uint64_t lines = 1;
  for (size_t i = 0; i < size; ++i)
    if (data[i] == '\n' || (data[i] == '\r' && (i + 1 == size || data[i + 1] != '\n'))) ++lines;
  check(document.errorLine() >= 1 && document.errorLine() <= lines);
  check(document.errorColumn() >= 1 && document.errorColumn() <= size + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  const JsonDocument document = parseJson(text, size);
  if (!document.ok()) {
    checkFailure(document, text, size);
    return 0;
  }
  const JsonValue root = document.root();
  check(root.type() == JsonType::Array || root.type() == JsonType::Object);
  Walker walker(document);
  const std::vector<Event> events = walker.walk(root);
  if (!walker.repeatedKeys()) checkRoundTrip(events);
  return 0;
}
