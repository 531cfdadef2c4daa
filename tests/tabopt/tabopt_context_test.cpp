// Contexts, name lookup, error messages and usage faults.
#include "tabopt.h"

#include <cstring>

#include "tabopt_internal.h"
#include "tabopt_test_support.h"

namespace {

TEST(TaboptContext, CountsRowsUpToTheTerminatingRowOnly) {
  // A row with only handler_extra set is a row; nothing after the end is read.
  const tabopt_option table[] = {{'a'}, {0, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 7},
                                 {}, {'=', "a=b"}};
  ContextHolder holder(table);
  ASSERT_NE(holder.context, nullptr);
  EXPECT_EQ(holder.context->option_count, 2u);
  EXPECT_EQ(holder.context->name_compare, &strncmp);
  EXPECT_EQ(last_error(holder.context), no_error);
  EXPECT_STREQ(error_message(holder.context), "");
}

TEST(TaboptContext, EmptyTableFailsEveryOptionWithoutLookupTables) {
  const tabopt_option table[] = {{}};
  ContextHolder holder(table);
  Arguments arguments{"--x", "-y"};
  EXPECT_EQ(arguments.indexOf(parse_arguments(holder.context, -1, arguments.data())), 1u);
  EXPECT_STREQ(error_message(holder.context), "Invalid option: --x");
  EXPECT_EQ(holder.context->by_long_name, nullptr);
  EXPECT_EQ(holder.context->by_short_name, nullptr);
}

struct UsageFaultCase {
  const char *name;
  std::function<void()> action;
  const char *expected;
};

TEST(TaboptContext, UsageFaultsAreReportedOnStderr) {
  const tabopt_option withEqualsShort[] = {{'a', "x"}, {'='}, {}};
  const tabopt_option withEqualsLong[] = {{0, "a=b"}, {}};
  const tabopt_option noHandlers[] = {
      {'a', "alpha", "A."}, {'b', nullptr, "B.", nullptr, store_boolean}, {}};
  ContextHolder holder(noHandlers);
  auto parse = [&holder](std::initializer_list<const char *> texts) {
    Arguments arguments(texts);
    parse_arguments(holder.context, -1, arguments.data());
    EXPECT_STREQ(error_message(holder.context), "Invalid option configuration");
  };
  const char *destinationFault = "tabopt: No handler destination specified.\n";
  const char *contextFault = "tabopt: No tabopt context specified.\n";
  const UsageFaultCase cases[] = {
      {"no table", [] { EXPECT_EQ(create_context(nullptr), nullptr); },
       "tabopt: No option list specified.\n"},
      {"'=' as short name", [&] { EXPECT_EQ(create_context(withEqualsShort), nullptr); },
       "tabopt: Invalid option list. '=' may not be used in an option name.\n"},
      {"'=' in long name", [&] { EXPECT_EQ(create_context(withEqualsLong), nullptr); },
       "tabopt: Invalid option list. '=' may not be used in an option name.\n"},
      {"write_help without a stream", [&] { write_help(nullptr, holder.context, nullptr); },
       "tabopt: No output stream specified.\n"},
      {"last_error", [] { EXPECT_EQ(last_error(nullptr), invalid_configuration); }, contextFault},
      {"error_message", [] { EXPECT_STREQ(error_message(nullptr), ""); }, contextFault},
      {"build_help", [] { EXPECT_EQ(build_help(nullptr, nullptr), nullptr); }, contextFault},
      {"write_help", [] { write_help(stdout, nullptr, nullptr); }, contextFault},
      {"parse_arguments",
       [] {
         Arguments arguments{"-v"};
         EXPECT_EQ(parse_arguments(nullptr, -1, arguments.data()), arguments.data());
       },
       contextFault},
      {"store_boolean",
       [] { EXPECT_EQ(store_boolean(nullptr, nullptr, "1", nullptr), invalid_configuration); },
       destinationFault},
      {"store_string",
       [] { EXPECT_EQ(store_string(nullptr, nullptr, "x", nullptr), invalid_configuration); },
       destinationFault},
      {"no handler", [&] { parse({"--alpha"}); }, "tabopt: No option handler specified.\n"},
      {"no handler in a group", [&] { parse({"-ab"}); }, "tabopt: No option handler specified.\n"},
      {"no destination", [&] { parse({"-b"}); }, destinationFault},
  };
  for (const UsageFaultCase &c : cases) EXPECT_EQ(stderrOf(c.action), c.expected) << c.name;
}

struct MessageCase {
  tabopt_result code;
  const char *name;
  size_t nameLength;
  const char *value;
  const char *expected;
};

TEST(TaboptContext, MessagesByResultCode) {
  const MessageCase cases[] = {
      {general_failure, "--x", 3, "v", "Unknown error handling option --x"},
      {invalid_configuration, "--x", 3, "v", "Invalid option configuration"},
      {memory_exhausted, "-x", 2, nullptr, "Insufficient memory"},
      {no_such_option, "--nope=1", 6, nullptr, "Invalid option: --nope"},
      {value_required, "-J", 2, nullptr, "Value required after option -J"},
      {invalid_value, "-v", 2, nullptr, "Invalid value for option -v"},
      {invalid_value, "-v", 2, "2", "Invalid value for option -v: 2"},
      {invalid_value, "--verbose=", 9, "", "Invalid value for option --verbose: "},
      {value_too_large, "--n", 3, "99", "Value too large for option --n: 99"},
      {value_too_small, "--n", 3, nullptr, "Value too small for option --n"},
      {12, "--x", 3, "v", "Unknown error handling option --x"},
      {-1, "-q", 2, nullptr, "Unknown error handling option -q"},
      {no_such_option, "-x\0junk", 8, nullptr, "Invalid option: -x"},
  };
  const tabopt_option table[] = {{}};
  ContextHolder holder(table);
  for (const MessageCase &c : cases) {
    record_error(holder.context, c.code, c.name, c.nameLength, c.value);
    EXPECT_EQ(last_error(holder.context), c.code);
    EXPECT_STREQ(error_message(holder.context), c.expected) << c.code;
  }
}

TEST(TaboptContext, MessageIsCachedUntilTheNextError) {
  const tabopt_option table[] = {{}};
  ContextHolder holder(table);
  record_error(holder.context, no_such_option, "-x", 2, nullptr);
  const char *first = error_message(holder.context);
  EXPECT_EQ(error_message(holder.context), first);
  record_error(holder.context, value_required, "-y", 2, nullptr);
  EXPECT_EQ(holder.context->cached_message, nullptr);
  EXPECT_STREQ(error_message(holder.context), "Value required after option -y");
}

// Names sharing prefixes, empty and missing names, duplicates: every lookup
// must give the same answer with the sorted tables and with the scan.
TEST(TaboptLookup, SortedTablesAndScanAgree) {
  const tabopt_option table[] = {
      {'v', "verbose"}, {'V', "verb"},     {0, "verbosex"}, {'a', nullptr}, {0, ""},
      {'\xe9', "\xc3\xa9t\xc3\xa9"},       {'b', "b"},      {0, "ba"},      {'-', "z"},
      {'b', "b"},       {}};
  const std::pair<const char *, int> longNames[] = {
      {"verbose", 0}, {"verb", 1}, {"verbosex", 2}, {"verbos", -1}, {"verbosexx", -1},
      {"Verbose", -1}, {"\xc3\xa9t\xc3\xa9", 5}, {"ba", 7}, {"z", 8}, {"a", -1}, {"c", -1}};
  const std::pair<char, int> shortNames[] = {{'v', 0}, {'V', 1}, {'a', 3}, {'\xe9', 5},
                                             {'-', 8}, {'x', -1}, {'=', -1}};
  ContextHolder scanning(table);
  ContextHolder sorted(table);
  build_lookup_tables(sorted.context);
  ASSERT_NE(sorted.context->by_long_name, nullptr);
  for (const ContextHolder *holder : {&scanning, &sorted}) {
    for (const auto &c : longNames) {
      const tabopt_option *row = find_long_name(holder->context, c.first, std::strlen(c.first));
      EXPECT_EQ(row ? row - table : -1, c.second) << c.first;
    }
    for (const auto &c : shortNames) {
      const tabopt_option *row = find_short_name(holder->context, c.first);
      EXPECT_EQ(row ? row - table : -1, c.second) << c.first;
    }
    const tabopt_option *duplicate = find_long_name(holder->context, "b", 1);
    EXPECT_TRUE(duplicate == &table[6] || duplicate == &table[9]);
  }
  // The typed name is not NUL-terminated: "--verb=x" looks up "verb".
  EXPECT_EQ(find_long_name(sorted.context, "verb=x", 4), &table[1]);
}

}  // namespace
