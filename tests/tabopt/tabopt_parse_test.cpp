// Parsing argument vectors against the launcher's table and small tables of
// their own.
#include "tabopt.h"

#include "tabopt_test_support.h"

namespace {

struct ParseCase {
  std::initializer_list<const char *> arguments;
  int32_t count;
  size_t next;          // index of the first entry not consumed
  const char *message;  // error_message() afterwards
  const char *stored;   // LauncherOptions::summary() afterwards
};

const ParseCase launcherCases[] = {
    {{}, -1, 0, "", ""},
    {{"-v"}, 0, 0, "", ""},
    {{"-v", "-c"}, -7, 0, "", ""},
    {{"--", "-v"}, -1, 1, "", ""},
    {{"-", "-v"}, -1, 0, "", ""},
    {{"foo", "-v"}, -1, 0, "", ""},
    {{"-v"}, -1, 1, "", "verbose=1"},
    {{"--verbose"}, -1, 1, "", "verbose=1"},
    {{"-v=0"}, -1, 1, "", "verbose=0"},
    {{"--verbose=0", "--", "x"}, -1, 2, "", "verbose=0"},
    {{"-c", "-v", "--cwd=D:\\App", "--config=alt.json", "foo", "-x"}, -1, 4, "",
     "cli=1 verbose=1 cwd=D:\\App config=alt.json"},
    {{"-J", "-Xmx1g", "x"}, -1, 2, "", "J=-Xmx1g"},
    {{"-J=-Xmx1g", "-J", "--"}, -1, 3, "", "J=-Xmx1g J=--"},
    {{"-vJ", "-Xss1m"}, -1, 2, "", "verbose=1 J=-Xss1m"},
    {{"-vJ=x"}, -1, 1, "", "verbose=1 J=x"},
    {{"-Jv"}, -1, 1, "Value required after option -J", ""},
    {{"-hv", "-x"}, -1, 1, "", "help=1"},
    {{"--help", "extra"}, -1, 1, "", "help=1"},
    {{"-c", "-?", "x"}, -1, 2, "", "cli=1 help=1"},
    {{"-c", "-h", "--bad"}, -1, 2, "", "cli=1 help=1"},
    {{"--help=0", "-v"}, -1, 1, "", "help=0"},
    {{"--console=0"}, -1, 1, "", "console=0"},
    {{"--config"}, -1, 1, "Value required after option --config", ""},
    {{"--config", "-v"}, -1, 2, "", "config=-v"},
    {{"--config", "alt.json", "foo"}, -1, 2, "", "config=alt.json"},
    {{"--config="}, -1, 1, "", "config="},
    {{"--cwd", "dir"}, -1, 1, "Value required after option --cwd", ""},
    {{"--verbose="}, -1, 1, "Invalid value for option --verbose: ", ""},
    {{"--verbose=yes"}, -1, 1, "Invalid value for option --verbose: yes", ""},
    {{"-x"}, -1, 1, "Invalid option: -x", ""},
    {{"-vx", "-c"}, -1, 1, "Invalid option: -x", "verbose=1"},
    {{"--nope=1"}, -1, 1, "Invalid option: --nope", ""},
    {{"--=1"}, -1, 1, "Invalid option: --=1", ""},
    {{"-=1"}, -1, 1, "Invalid option: -=1", ""},
    {{"-J"}, -1, 1, "Value required after option -J", ""},
    {{"-J-Xmx1g"}, -1, 1, "Value required after option -J", ""},
    {{"--Help"}, -1, 1, "Invalid option: --Help", ""},
    {{"--verb"}, -1, 1, "Invalid option: --verb", ""},
    {{"--verbosex=1"}, -1, 1, "Invalid option: --verbosex", ""},
    // A positive count shorter than the vector hides the entries beyond it,
    // also from an option looking for its value.
    {{"-v", "-c"}, 1, 1, "", "verbose=1"},
    {{"-J", "-Xmx1g"}, 1, 1, "Value required after option -J", ""},
    {{"-c", "--config", "alt.json"}, 2, 2, "Value required after option --config", "cli=1"},
};

TEST(TaboptParse, LauncherTable) {
  for (const ParseCase &c : launcherCases) {
    LauncherOptions options;
    ContextHolder holder(options.table);
    Arguments arguments(c.arguments);
    std::string trace;
    for (const char *argument : c.arguments) trace += std::string(argument) + " ";
    char **next = parse_arguments(holder.context, c.count, arguments.data());
    EXPECT_EQ(arguments.indexOf(next), c.next) << trace;
    EXPECT_STREQ(error_message(holder.context), c.message) << trace;
    EXPECT_EQ(options.summary(), c.stored) << trace;
  }
}

TEST(TaboptParse, ValuesPointIntoTheVector) {
  LauncherOptions options;
  ContextHolder holder(options.table);
  Arguments arguments{"--cwd=D", "--config", "alt.json"};
  parse_arguments(holder.context, -1, arguments.data());
  EXPECT_EQ(options.cwdValue, arguments.data()[0] + 6);
  EXPECT_EQ(options.configValue, arguments.data()[2]);
}

TEST(TaboptParse, ErrorOutlivesLaterParses) {
  LauncherOptions options;
  ContextHolder holder(options.table);
  Arguments failing{"--bad"};
  Arguments succeeding{"-v"};
  parse_arguments(holder.context, -1, failing.data());
  parse_arguments(holder.context, -1, succeeding.data());
  EXPECT_EQ(options.verboseFlag, 1);
  EXPECT_EQ(last_error(holder.context), no_such_option);
  EXPECT_STREQ(error_message(holder.context), "Invalid option: --bad");
}

TEST(TaboptParse, NullVectorGivesNull) {
  LauncherOptions options;
  ContextHolder holder(options.table);
  EXPECT_EQ(parse_arguments(holder.context, -1, nullptr), nullptr);
  EXPECT_EQ(holder.context->by_long_name, nullptr);
}

// Records every call; refuses the value "bad", and no value at all when the
// row's handler_extra is 1.
tabopt_result recordCall(tabopt_context *, const tabopt_option *row, const char *value,
                         void *destination) {
  std::string &calls = *static_cast<std::string *>(destination);
  calls += std::string(calls.empty() ? "" : ",") + (value ? value : "<none>");
  if (value ? std::string(value) == "bad" : row->handler_extra == 1) return invalid_value;
  return no_error;
}

struct CallCase {
  std::initializer_list<const char *> arguments;
  size_t next;
  const char *calls;
  const char *message;
};

TEST(TaboptParse, OptionalValuesAndSecondCall) {
  std::string calls;
  const tabopt_option table[] = {
      {'l', "level", nullptr, "N", recordCall, &calls, value_optional, 0},
      {'m', "must", nullptr, "N", recordCall, &calls, value_optional, 1},
      {'f', "flag", nullptr, nullptr, recordCall, &calls, 0, 0},
      {'s', "stop", nullptr, "N", recordCall, &calls, stops_parsing, 0},
      {}};
  const CallCase cases[] = {
      {{"--level", "ok", "x"}, 2, "ok", ""},
      {{"--level", "bad", "x"}, 1, "bad,<none>", ""},
      {{"--level"}, 1, "<none>", ""},
      {{"--level=bad", "x"}, 1, "bad", "Invalid value for option --level: bad"},
      {{"-fl", "bad"}, 1, "<none>,bad,<none>", ""},
      {{"-lf", "bad"}, 1, "<none>,<none>", ""},
      {{"--must", "bad"}, 1, "bad,<none>", "Invalid value for option --must"},
      {{"-m"}, 1, "<none>", "Invalid value for option -m"},
      {{"--flag", "ok"}, 1, "<none>", ""},
      {{"--flag=x", "ok"}, 1, "x", ""},
      {{"--stop", "ok", "-f"}, 2, "ok", ""},
      {{"-fsf", "ok"}, 1, "<none>", "Value required after option -s"},
      {{"-fs", "ok", "-f"}, 2, "<none>,ok", ""},
  };
  for (const CallCase &c : cases) {
    calls.clear();
    ContextHolder holder(table);
    Arguments arguments(c.arguments);
    EXPECT_EQ(arguments.indexOf(parse_arguments(holder.context, -1, arguments.data())), c.next)
        << *c.arguments.begin();
    EXPECT_EQ(calls, c.calls) << *c.arguments.begin();
    EXPECT_STREQ(error_message(holder.context), c.message) << *c.arguments.begin();
  }
}

}  // namespace
