/*
 * tabopt internals shared by its source files and reachable by its tests:
 * error recording, name lookup, the parsing steps and the help text buffer.
 */
#ifndef TABOPT_INTERNAL_H
#define TABOPT_INTERNAL_H

#include "tabopt.h"

#if defined(__GNUC__)
#define TABOPT_PRINTF(format_index, first_argument) \
    __attribute__((format(printf, format_index, first_argument)))
#else
#define TABOPT_PRINTF(format_index, first_argument)
#endif

/* Writes "tabopt: <message>" and a line break to stderr: a fault of the
 * calling code, which is then handled like any other failure. */
void report_usage_fault(const char *message);

/* A malloc'ed copy of at most `length` bytes of `text`, ending early at a
 * NUL; null for no text or no memory. */
char *copy_text(const char *text, size_t length);

/* Replaces the context's error with `code`, the first `name_length` bytes of
 * `option_name` and a copy of `value` (or none), and drops the cached
 * message. A copy that cannot be allocated is stored as null. */
void record_error(tabopt_context *context, tabopt_result code,
                  const char *option_name, size_t name_length,
                  const char *value);

/* Builds each lookup table that is still null; one that cannot be allocated
 * stays null, and the lookups scan the option table instead. */
void build_lookup_tables(tabopt_context *context);

/* The row whose long name equals the first `length` bytes of `name`. */
const tabopt_option *find_long_name(const tabopt_context *context,
                                    const char *name, size_t length);
/* The row whose short name is `name`, which is not 0. */
const tabopt_option *find_short_name(const tabopt_context *context, char name);

/* The state of one parse_arguments() call. */
typedef struct parse_cursor {
    const tabopt_option *option; /* the option being handled, or null */
    const char *value;           /* its value, or null */
    char **next_argument;        /* after the current argument (and its value, once taken) */
    int32_t arguments_left;      /* entries that may still be read from next_argument on */
} parse_cursor;

/* The readers handle the argument `argument` ("--name[=value]" or
 * "-group[=value]"), record any error, and return false to end the parse. */
bool read_long_option(tabopt_context *context, parse_cursor *cursor,
                      const char *argument);
bool read_short_group(tabopt_context *context, parse_cursor *cursor,
                      const char *argument);

/* Finds the value of cursor->option (possibly in the next argument) and
 * hands it to the option's handler. */
tabopt_result apply_option(tabopt_context *context, parse_cursor *cursor);

/* Calls the handler of cursor->option with `value` (may be null). */
tabopt_result invoke_handler(tabopt_context *context, const parse_cursor *cursor,
                             const char *value);

/* A growable text with printf-style appending. */
typedef struct text_buffer {
    char *text;      /* NUL-terminated at `length` */
    size_t capacity; /* bytes allocated for text; length + 1 <= capacity */
    size_t length;
} text_buffer;

/* A new empty buffer of 256 bytes, or null. */
text_buffer *open_text_buffer(void);

/* Appends the formatted text whole or not at all. Returns the number of
 * characters appended, or -1 when it could not be formatted or stored. */
int append_formatted(text_buffer *buffer, const char *format, ...)
    TABOPT_PRINTF(2, 3);

/* Reallocates to `capacity` bytes, never below length + 1. Returns the
 * capacity afterwards, which is unchanged when the reallocation fails. */
size_t resize_text_buffer(text_buffer *buffer, size_t capacity);

/* Shrinks the text to fit, releases the buffer record and returns the text,
 * which the caller frees. */
char *finish_text_buffer(text_buffer *buffer);

#endif
