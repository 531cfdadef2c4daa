// The help listing and the text buffer it is built in.
#include "tabopt.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "tabopt_internal.h"
#include "tabopt_test_support.h"

namespace {

std::string helpOf(const tabopt_option *table, const tabopt_help_layout *layout = nullptr) {
  ContextHolder holder(table);
  char *text = build_help(holder.context, layout);
  std::string result = text ? text : "(null)";
  free(text);
  return result;
}

const char launcherListing[] =
    "  -c, --cli\n"
    "      Enables this command line interface.\n"
    "\n"
    "  -h, --help\n"
    "      Shows help.\n"
    "\n"
    "  --cwd\n"
    "      Sets the working directory.\n"
    "\n"
    "  --config[=config.json]\n"
    "      Specifies the configuration file.\n"
    "\n"
    "  -v, --verbose\n"
    "      Prints additional information.\n"
    "\n"
    "  --console\n"
    "      Attachs a console window. [Windows only]\n"
    "\n"
    "  -J=-Xmx512m\n"
    "      JVM argument\n"
    "\n";

TEST(TaboptHelp, LauncherListing) {
  LauncherOptions options;
  EXPECT_EQ(helpOf(options.table), launcherListing);
  ContextHolder holder(options.table);
  FILE *stream = tmpfile();
  ASSERT_NE(stream, nullptr);
  write_help(stream, holder.context, nullptr);
  rewind(stream);
  char content[1024] = {};
  size_t length = fread(content, 1, sizeof content - 1, stream);
  fclose(stream);
  EXPECT_EQ(std::string(content, length), launcherListing);
}

struct RowCase {
  tabopt_option row;
  const char *expected;
};

TEST(TaboptHelp, RowsWithTheDefaultLayout) {
  const RowCase cases[] = {
      {{'a', nullptr, "Short one."}, "  -a  Short one.\n\n"},
      {{'b', nullptr, "Takes a file.", "FILE"}, "  -b=FILE\n      Takes a file.\n\n"},
      {{0, "level", "First line\nsecond line", "N", nullptr, nullptr, value_optional},
       "  --level[=N]\n      First line\n      second line\n\n"},
      {{0, nullptr, "Heading text"}, "Heading text\n\n"},
      {{0, "", "Heading\n  with an empty long name"}, "Heading\n  with an empty long name\n\n"},
      {{'x', "", "Empty long name."}, "  -x  Empty long name.\n\n"},
      {{'n', "names", "Hidden.", nullptr, nullptr, nullptr, not_in_help}, ""},
      {{'n', "names"}, ""},
      {{'e', nullptr, "Ends with a break.\n"}, "  -e  Ends with a break.\n      \n\n"},
      {{'f', nullptr, ""}, "  -f  \n\n"},
  };
  for (const RowCase &c : cases) {
    const tabopt_option table[] = {c.row, {}};
    EXPECT_EQ(helpOf(table), c.expected) << c.row.description;
  }
}

struct LayoutCase {
  tabopt_help_layout layout;
  const char *expected;
};

TEST(TaboptHelp, Layouts) {
  // "  --abcd" is 8 characters wide.
  const tabopt_option table[] = {{0, "abcd", "One\ntwo"}, {'q', nullptr, "Q."}, {}};
  const LayoutCase cases[] = {
      {{2, 8, 1}, "  --abcd\n        One\n        two\n\n  -q    Q.\n\n"},
      {{2, 9, 1}, "  --abcd One\n         two\n\n  -q     Q.\n\n"},
      {{2, 9, 0}, "  --abcd One\n         two\n  -q     Q.\n"},
      {{2, 0, 0}, "  --abcd\nOne\ntwo\n  -q\nQ.\n"},
      {{0, 3, 0}, "--abcd\n   One\n   two\n-q Q.\n"},
      {{0, 2, 0}, "--abcd\n  One\n  two\n-q\n  Q.\n"},
  };
  for (const LayoutCase &c : cases)
    EXPECT_EQ(helpOf(table, &c.layout), c.expected)
        << c.layout.indent_width << " " << c.layout.text_column;
}

TEST(TaboptHelp, NoListedRowsGiveTheEmptyText) {
  const tabopt_option table[] = {{'a', "alpha"}, {'b', nullptr, "B.", nullptr, nullptr, nullptr,
                                                  not_in_help}, {}};
  EXPECT_EQ(helpOf(table), "");
  ContextHolder holder(table);
  FILE *stream = tmpfile();
  write_help(stream, holder.context, nullptr);
  EXPECT_EQ(ftell(stream), 0);
  fclose(stream);
}

// Widths beyond what printf can pad are clamped: the listing leaves out the
// pieces that cannot be formatted but stays a whole text.
TEST(TaboptHelp, HugeWidthsDoNotBreakTheListing) {
  const tabopt_option table[] = {{'a', "alpha", "Alpha."}, {0, nullptr, "Heading"}, {}};
  const tabopt_help_layout hugeColumn = {0, UINT32_MAX, 0};
  EXPECT_EQ(helpOf(table, &hugeColumn), "-a, --alphaHeading\n");
  const tabopt_help_layout hugeIndent = {UINT32_MAX, 4, 0};
  EXPECT_EQ(helpOf(table, &hugeIndent), "    Alpha.\nHeading\n");
}

TEST(TaboptTextBuffer, GrowsByDoublingOrByThePiece) {
  text_buffer *buffer = open_text_buffer();
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(buffer->capacity, 256u);
  EXPECT_STREQ(buffer->text, "");
  EXPECT_EQ(append_formatted(buffer, "%s", ""), 0);
  EXPECT_EQ(append_formatted(buffer, "%*s", 255, ""), 255);
  EXPECT_EQ(buffer->capacity, 256u);
  EXPECT_EQ(append_formatted(buffer, "x"), 1);
  EXPECT_EQ(buffer->capacity, 512u);
  EXPECT_EQ(append_formatted(buffer, "%*s", 1000, "y"), 1000);
  EXPECT_EQ(buffer->capacity, 1512u);
  EXPECT_EQ(buffer->length, 1256u);
  EXPECT_EQ(std::strlen(buffer->text), 1256u);
  EXPECT_EQ(buffer->text[1255], 'y');
  EXPECT_EQ(resize_text_buffer(buffer, 10), 1257u);
  EXPECT_EQ(resize_text_buffer(buffer, 1257), 1257u);
  char *text = finish_text_buffer(buffer);
  EXPECT_EQ(std::strlen(text), 1256u);
  free(text);
}

TEST(TaboptTextBuffer, LauncherListingNeedsOneGrowth) {
  text_buffer *buffer = open_text_buffer();
  for (const char *line = launcherListing; *line;) {
    const char *end = std::strchr(line, '\n') + 1;
    append_formatted(buffer, "%.*s", static_cast<int>(end - line), line);
    line = end;
  }
  EXPECT_EQ(buffer->capacity, 512u);
  char *text = finish_text_buffer(buffer);
  EXPECT_STREQ(text, launcherListing);
  free(text);
}

}  // namespace
