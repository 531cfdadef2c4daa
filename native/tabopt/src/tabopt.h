/*
 * tabopt: a small, table-driven command-line option parser.
 *
 * The caller declares its options as an array of tabopt_option rows ended by
 * an all-zero row, creates a context over it, parses an argument vector and
 * asks the context for the result. Plain records, function pointers and
 * integer result codes; memory comes from malloc/realloc/free, no exceptions
 * are raised and no global state is kept.
 */
#ifndef TABOPT_H
#define TABOPT_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

/* Result codes. Handlers may return codes of their own; any code outside
 * 0 to 8 is worded like general_failure. */
typedef int32_t tabopt_result;
enum {
    no_error = 0,
    general_failure = 1,       /* "Unknown error handling option %s" */
    invalid_configuration = 2, /* "Invalid option configuration" */
    memory_exhausted = 3,      /* "Insufficient memory" */
    no_such_option = 4,        /* "Invalid option: %s" */
    value_required = 5,        /* "Value required after option %s" */
    invalid_value = 6,         /* "Invalid value for option %s%s%s" */
    value_too_large = 7,       /* "Value too large for option %s%s%s" */
    value_too_small = 8        /* "Value too small for option %s%s%s" */
};

/* Attribute bits of a row. */
enum {
    stops_parsing = 1,  /* parsing ends once this option was handled */
    not_in_help = 2,    /* the row is left out of the help text */
    value_optional = 4  /* the value may be absent; help shows "[=VALUE]" */
};

typedef struct tabopt_context tabopt_context;
typedef struct tabopt_option tabopt_option;

/* Converts an option's value and stores it at `destination`. `value` is null
 * when the option has none; otherwise it points into the caller's argument
 * vector. Returns no_error when the value was accepted. */
typedef tabopt_result (*value_handler)(tabopt_context *context,
                                       const tabopt_option *option,
                                       const char *value, void *destination);

/* One row of an option table. A row whose fields are all zero ends the table. */
struct tabopt_option {
    char short_name;         /* typed after '-'; 0 for none */
    const char *long_name;   /* typed after "--"; null for none */
    const char *description; /* help text, may hold '\n'; null hides the row */
    const char *value_name;  /* shown in help; only such rows take the next argument */
    value_handler handler;
    void *destination;
    uint32_t attributes;     /* stops_parsing | not_in_help | value_optional */
    uintptr_t handler_extra; /* free for the handler's own use */
};

/* An element of a sorted lookup table: the row, and the context whose
 * name_compare the sort and search comparisons use. */
typedef struct lookup_entry {
    const tabopt_option *row;
    const tabopt_context *context;
} lookup_entry;

struct tabopt_context {
    const tabopt_option *option_table;
    size_t option_count;          /* rows before the terminating row */
    lookup_entry *by_long_name;   /* built by the first parse; null until then */
    lookup_entry *by_short_name;
    tabopt_result error_code;     /* last recorded failure */
    char *error_option_name;      /* the option as typed */
    char *error_value;            /* the value that went with it, or null */
    char *cached_message;         /* built on the first error_message() */
    int (*name_compare)(const char *, const char *, size_t);
};

typedef struct tabopt_help_layout {
    uint32_t indent_width; /* spaces before the names; default 2 */
    uint32_t text_column;  /* column where descriptions begin; default 6 */
    unsigned char blank_line_after; /* empty line after each entry; default 1 */
} tabopt_help_layout;

/* Creates a context over `table` (kept by pointer, not copied). Returns null
 * for no table, a '=' in a name (both reported on stderr) or no memory. */
tabopt_context *create_context(const tabopt_option *table);
void destroy_context(tabopt_context *context);

tabopt_result last_error(const tabopt_context *context);

/* The message of the last recorded error, owned by the context; "" when
 * there is none. */
const char *error_message(tabopt_context *context);

/* Parses `count` arguments of `vector` (-1: up to its null entry), starting
 * with the first argument, not the program name. Returns the first entry not
 * consumed; check last_error() for the outcome. */
char **parse_arguments(tabopt_context *context, int32_t count, char **vector);

/* The help listing as a new NUL-terminated text the caller frees, or null.
 * A null layout selects the defaults. */
char *build_help(tabopt_context *context, const tabopt_help_layout *layout);
void write_help(FILE *stream, tabopt_context *context,
                const tabopt_help_layout *layout);

#endif
