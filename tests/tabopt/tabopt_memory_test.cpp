// Exhausted memory: every allocation of the parser can fail, and each path
// degrades instead of crashing or losing the rest of its work.
#include "tabopt.h"

#include <cstdlib>
#include <cstring>

#include "failing_allocation.h"
#include "tabopt_internal.h"
#include "tabopt_test_support.h"

namespace {

TEST(TaboptMemory, NoContextAndNoReport) {
  LauncherOptions options;
  tabopt_context *context = nullptr;
  std::string reported = stderrOf([&] {
    FailingAllocation failing(1);
    context = create_context(options.table);
  });
  EXPECT_EQ(context, nullptr);
  EXPECT_EQ(reported, "");
}

TEST(TaboptMemory, ParseScansWithoutLookupTablesAndBuildsThemLater) {
  for (int nth = 1; nth <= 2; ++nth) {
    LauncherOptions options;
    ContextHolder holder(options.table);
    Arguments first{"-v", "--config", "alt.json", "-J", "-Xmx1g", "x"};
    char **next;
    {
      FailingAllocation failing(nth);
      next = parse_arguments(holder.context, -1, first.data());
      EXPECT_TRUE(disarmAllocationFailure());
    }
    EXPECT_EQ(first.indexOf(next), 5u);
    EXPECT_EQ(options.summary(), "verbose=1 config=alt.json J=-Xmx1g");
    EXPECT_EQ(holder.context->by_long_name == nullptr, nth == 1);
    EXPECT_EQ(holder.context->by_short_name == nullptr, nth == 2);

    Arguments second{"--cwd=D", "-x"};
    parse_arguments(holder.context, -1, second.data());
    EXPECT_NE(holder.context->by_long_name, nullptr);
    EXPECT_NE(holder.context->by_short_name, nullptr);
    EXPECT_STREQ(error_message(holder.context), "Invalid option: -x");
  }
}

TEST(TaboptMemory, ErrorNameOrValueThatCannotBeCopied) {
  const tabopt_option table[] = {{}};
  ContextHolder holder(table);
  const std::pair<int, const char *> cases[] = {
      {1, "Invalid value for option : yes"},
      {2, "Invalid value for option --verbose"},
  };
  for (const auto &c : cases) {
    {
      FailingAllocation failing(c.first);
      record_error(holder.context, invalid_value, "--verbose", 9, "yes");
    }
    EXPECT_EQ(last_error(holder.context), invalid_value);
    EXPECT_STREQ(error_message(holder.context), c.second);
  }
}

TEST(TaboptMemory, UnknownErrorUntilTheMessageCanBeBuilt) {
  const tabopt_option table[] = {{}};
  ContextHolder holder(table);
  record_error(holder.context, no_such_option, "-x", 2, nullptr);
  {
    FailingAllocation failing(1);
    EXPECT_STREQ(error_message(holder.context), "Unknown error");
  }
  EXPECT_EQ(holder.context->cached_message, nullptr);
  EXPECT_STREQ(error_message(holder.context), "Invalid option: -x");
  EXPECT_NE(holder.context->cached_message, nullptr);
}

// True when `part` can be had from `whole` by leaving characters out.
bool isSubsequence(const std::string &part, const std::string &whole) {
  size_t at = 0;
  for (char c : whole)
    if (at < part.size() && part[at] == c) ++at;
  return at == part.size();
}

TEST(TaboptMemory, HelpLacksPiecesButStaysWhole) {
  LauncherOptions options;
  ContextHolder holder(options.table);
  char *complete = build_help(holder.context, nullptr);
  ASSERT_NE(complete, nullptr);
  for (bool andAfter : {false, true}) {
    for (int nth = 1;; ++nth) {
      failAllocation(nth, andAfter);
      char *text = build_help(holder.context, nullptr);
      bool triggered = disarmAllocationFailure();
      if (text) {
        EXPECT_TRUE(isSubsequence(text, complete)) << nth << "\n" << text;
        free(text);
      } else {
        EXPECT_LE(nth, 2);  // the buffer could not be opened
      }
      if (!triggered) break;
    }
  }
  free(complete);
}

TEST(TaboptMemory, FailedGrowthLeavesTheTextAsItWas) {
  text_buffer *buffer = open_text_buffer();
  ASSERT_NE(buffer, nullptr);
  append_formatted(buffer, "%s", "kept");
  {
    FailingAllocation failing(1);
    EXPECT_EQ(append_formatted(buffer, "%*s", 300, ""), -1);
    EXPECT_EQ(append_formatted(buffer, "%s", "+fits"), 5);
  }
  EXPECT_EQ(buffer->capacity, 256u);
  char *text = finish_text_buffer(buffer);
  EXPECT_STREQ(text, "kept+fits");
  free(text);
}

}  // namespace
