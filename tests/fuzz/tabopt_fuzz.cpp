// Fuzzes the option parser. The input starts with four control bytes (help
// layout, argument count); the rest is split at NUL bytes: the first piece
// describes an option table of its own, the others form the argument vector.
// Each vector is parsed against the launcher's table and the derived table,
// twice per context, and the message and help text of each are built.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "tabopt.h"
#include "tabopt_handlers.h"

namespace {

tabopt_result countVmArg(tabopt_context *, const tabopt_option *, const char *value,
                         void *destination) {
  if (value) *static_cast<size_t *>(destination) += std::strlen(value) + 1;
  return no_error;
}

// Returns the result code kept in the row, so the input chooses any code.
tabopt_result returnExtra(tabopt_context *, const tabopt_option *row, const char *value, void *) {
  if (value) check(std::strlen(value) < SIZE_MAX);  // the value must be a whole text
  return static_cast<tabopt_result>(row->handler_extra);
}

// Widths from one byte: small ones, and some beyond what printf can pad.
// (A text column just below INT_MAX would be honoured with a 2 GB text.)
uint32_t indentWidth(uint8_t byte) {
  if (byte == 0xff) return UINT32_MAX;
  if (byte == 0xfe) return INT32_MAX;
  return byte % 48;
}

uint32_t textColumn(uint8_t byte) { return byte == 0xff ? UINT32_MAX : byte % 48; }

// One row per '|'-separated piece: short name ('.' for none), a control byte
// (bits 0-2 attributes, bit 3 value name, bits 4-5 handler, bit 6 no
// destination, bit 7 no description), then the long name (none if empty).
struct DerivedTable {
  std::vector<std::string> pieces;
  std::vector<tabopt_option> rows;
  std::vector<unsigned char> flags;
  std::vector<const char *> strings;

  explicit DerivedTable(const std::string &text) {
    for (size_t start = 0; start <= text.size();) {
      size_t end = text.find('|', start);
      if (end == std::string::npos) end = text.size();
      pieces.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    flags.assign(pieces.size(), 0);
    strings.assign(pieces.size(), nullptr);
    for (size_t i = 0; i < pieces.size(); ++i) rows.push_back(rowOf(i));
    rows.push_back(tabopt_option{});
  }

  tabopt_option rowOf(size_t i) {
    const std::string &piece = pieces[i];
    uint8_t control = piece.size() > 1 ? static_cast<uint8_t>(piece[1]) : 0;
    static const value_handler handlers[] = {store_boolean, store_string, returnExtra, nullptr};
    value_handler handler = handlers[(control >> 4) & 3];
    void *destination = handler == store_string ? static_cast<void *>(&strings[i]) : &flags[i];
    tabopt_option row = {};
    row.short_name = piece.empty() || piece[0] == '.' ? 0 : piece[0];
    row.long_name = piece.size() > 2 ? piece.c_str() + 2 : nullptr;
    row.description = control & 0x80 ? nullptr : piece.c_str();
    row.value_name = control & 8 ? "VALUE" : nullptr;
    row.handler = handler;
    row.destination = control & 0x40 ? nullptr : destination;
    row.attributes = control & 7;
    row.handler_extra = control % 12;
    return row;
  }
};

void exercise(const tabopt_option *table, int32_t count, std::vector<char *> &arguments,
              const tabopt_help_layout &layout) {
  tabopt_context *context = create_context(table);
  if (!context) return;
  char **begin = arguments.data();
  char **end = begin + arguments.size() - 1;  // the null entry
  char **next = parse_arguments(context, count, begin);
  check(next >= begin && next <= end);
  next = parse_arguments(context, -1, next);
  check(next >= begin && next <= end);
  const char *message = error_message(context);
  check(message != nullptr);
  check((last_error(context) == no_error) == (*message == '\0'));
  check(error_message(context) == message);  // cached
  char *help = build_help(context, &layout);
  check(help != nullptr);
  std::free(help);
  destroy_context(context);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 4) return 0;
  const tabopt_help_layout layout = {indentWidth(data[0]), textColumn(data[1]),
                                     static_cast<unsigned char>(data[2] & 1)};
  int32_t count = data[3] < 0x80 ? -1 : (data[3] & 0x7f) - 4;
  std::vector<std::string> pieces(1);
  for (size_t i = 4; i < size; ++i) {
    if (data[i] == 0)
      pieces.emplace_back();
    else
      pieces.back() += static_cast<char>(data[i]);
  }
  std::vector<char *> arguments;
  for (size_t i = 1; i < pieces.size(); ++i) arguments.push_back(&pieces[i][0]);
  arguments.push_back(nullptr);

  unsigned char showHelp = 0, verboseFlag = 0, cliFlag = 0, consoleFlag = 0;
  const char *cwdValue = nullptr, *configValue = nullptr;
  size_t vmArgBytes = 0;
  const tabopt_option launcherTable[] = {
      {'c', "cli", "Enables this command line interface.", nullptr, store_boolean, &cliFlag,
       value_optional, 0},
      {'h', "help", "Shows help.", nullptr, store_boolean, &showHelp, stops_parsing, 0},
      {'?', nullptr, nullptr, nullptr, store_boolean, &showHelp, stops_parsing | not_in_help, 0},
      {0, "cwd", "Sets the working directory.", nullptr, store_string, &cwdValue, value_optional,
       0},
      {0, "config", "Specifies the configuration file.", "config.json", store_string,
       &configValue, value_optional, 0},
      {'v', "verbose", "Prints additional information.", nullptr, store_boolean, &verboseFlag,
       value_optional, 0},
      {0, "console", "Attachs a console window. [Windows only]", nullptr, store_boolean,
       &consoleFlag, value_optional, 0},
      {'J', nullptr, "JVM argument", "-Xmx512m", countVmArg, &vmArgBytes, 0, 0},
      {}};
  exercise(launcherTable, count, arguments, layout);

  DerivedTable derived(pieces[0]);
  exercise(derived.rows.data(), count, arguments, layout);
  return 0;
}
