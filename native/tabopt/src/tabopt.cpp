/*
 * Contexts, usage faults, error recording and error messages.
 */
#include "tabopt.h"

#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

#include "tabopt_internal.h"

static const char no_context_fault[] = "No tabopt context specified.";

void report_usage_fault(const char *message)
{
    fprintf(stderr, "tabopt: %s\n", message);
}

char *copy_text(const char *text, size_t length)
{
    if (!text)
        return NULL;
    size_t size = 0;
    while (size < length && text[size] != '\0')
        ++size;
    char *copy = (char *)malloc(size + 1);
    if (!copy)
        return NULL;
    memcpy(copy, text, size);
    copy[size] = '\0';
    return copy;
}

static bool is_terminating_row(const tabopt_option *row)
{
    return row->short_name == 0 && !row->long_name && !row->description &&
           !row->value_name && !row->handler && !row->destination &&
           row->attributes == 0 && row->handler_extra == 0;
}

static bool has_equals_in_name(const tabopt_option *row)
{
    return row->short_name == '=' ||
           (row->long_name && strchr(row->long_name, '=') != NULL);
}

tabopt_context *create_context(const tabopt_option *table)
{
    if (!table) {
        report_usage_fault("No option list specified.");
        return NULL;
    }
    size_t count = 0;
    for (; !is_terminating_row(&table[count]); ++count) {
        if (has_equals_in_name(&table[count])) {
            report_usage_fault(
                "Invalid option list. '=' may not be used in an option name.");
            return NULL;
        }
    }
    tabopt_context *context = (tabopt_context *)calloc(1, sizeof *context);
    if (!context)
        return NULL;
    context->option_table = table;
    context->option_count = count;
    context->name_compare = strncmp;
    return context;
}

void destroy_context(tabopt_context *context)
{
    if (!context)
        return;
    free(context->error_option_name);
    free(context->error_value);
    free(context->cached_message);
    free(context->by_long_name);
    free(context->by_short_name);
    free(context);
}

tabopt_result last_error(const tabopt_context *context)
{
    if (!context) {
        report_usage_fault(no_context_fault);
        return invalid_configuration;
    }
    return context->error_code;
}

void record_error(tabopt_context *context, tabopt_result code,
                  const char *option_name, size_t name_length,
                  const char *value)
{
    context->error_code = code;
    free(context->error_option_name);
    free(context->error_value);
    context->error_option_name = copy_text(option_name, name_length);
    context->error_value = value ? copy_text(value, SIZE_MAX) : NULL;
    free(context->cached_message);
    context->cached_message = NULL;
}

/* A new text formatted by `format`, or null when it cannot be built. */
static char *format_text(const char *format, ...) TABOPT_PRINTF(1, 2);
static char *format_text(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    int length = vsnprintf(NULL, 0, format, arguments);
    va_end(arguments);
    if (length < 0)
        return NULL;
    char *text = (char *)malloc((size_t)length + 1);
    if (!text)
        return NULL;
    va_start(arguments, format);
    vsnprintf(text, (size_t)length + 1, format, arguments);
    va_end(arguments);
    return text;
}

static char *build_message(const tabopt_context *context)
{
    /* A name or value that could not be copied is left out of the text. */
    const char *name = context->error_option_name ? context->error_option_name : "";
    const char *value = context->error_value ? context->error_value : "";
    const char *separator = context->error_value ? ": " : "";
    switch (context->error_code) {
    case invalid_configuration:
        return copy_text("Invalid option configuration", SIZE_MAX);
    case memory_exhausted:
        return copy_text("Insufficient memory", SIZE_MAX);
    case no_such_option:
        return format_text("Invalid option: %s", name);
    case value_required:
        return format_text("Value required after option %s", name);
    case invalid_value:
        return format_text("Invalid value for option %s%s%s", name, separator, value);
    case value_too_large:
        return format_text("Value too large for option %s%s%s", name, separator, value);
    case value_too_small:
        return format_text("Value too small for option %s%s%s", name, separator, value);
    default:
        return format_text("Unknown error handling option %s", name);
    }
}

const char *error_message(tabopt_context *context)
{
    if (!context) {
        report_usage_fault(no_context_fault);
        return "";
    }
    if (context->error_code == no_error)
        return "";
    if (!context->cached_message)
        context->cached_message = build_message(context);
    return context->cached_message ? context->cached_message : "Unknown error";
}
