// The boolean and string value handlers.
#include "tabopt_handlers.h"

#include "tabopt_test_support.h"

namespace {

struct BooleanCase {
  std::initializer_list<const char *> values;
  tabopt_result result;
  unsigned char stored;  // 2: the destination is left as it was
};

TEST(TaboptHandlers, StoreBooleanByValueText) {
  const BooleanCase cases[] = {
      {{nullptr, "1", "01", "+1", " 1", "\t\n1"}, no_error, 1},
      {{"0", "00", "+0"}, no_error, 0},
      {{"", " ", "+", "-1", "-0", "2", "10", "1 ", "1x", "0x1", "yes", "true", "on"},
       invalid_value, 2},
      {{"4294967295", "4294967296", "4294967297", "18446744073709551615", "18446744073709551617",
        "99999999999999999999999999999999"},
       invalid_value, 2},
  };
  for (const BooleanCase &c : cases) {
    for (const char *value : c.values) {
      unsigned char flag = 2;
      EXPECT_EQ(store_boolean(nullptr, nullptr, value, &flag), c.result) << (value ? value : "-");
      EXPECT_EQ(flag, c.stored) << (value ? value : "(none)");
    }
  }
  bool flag = true;  // the destination may be a bool
  EXPECT_EQ(store_boolean(nullptr, nullptr, "0", &flag), no_error);
  EXPECT_FALSE(flag);
}

TEST(TaboptHandlers, StoreStringKeepsThePointer) {
  char value[] = "-starts-with-dash";
  char empty[] = "";
  const char *stored = "before";
  EXPECT_EQ(store_string(nullptr, nullptr, value, &stored), no_error);
  EXPECT_EQ(stored, value);
  EXPECT_EQ(store_string(nullptr, nullptr, empty, &stored), no_error);
  EXPECT_EQ(stored, empty);
  EXPECT_EQ(store_string(nullptr, nullptr, nullptr, &stored), value_required);
  EXPECT_EQ(stored, empty);
}

}  // namespace
