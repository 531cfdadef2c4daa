/*
 * Parsing an argument vector: long options, grouped short options, their
 * values, and the calls of the value handlers.
 */
#include "tabopt_internal.h"

#include <stdint.h>
#include <string.h>

tabopt_result invoke_handler(tabopt_context *context, const parse_cursor *cursor,
                             const char *value)
{
    const tabopt_option *row = cursor->option;
    if (!row->handler) {
        report_usage_fault("No option handler specified.");
        return invalid_configuration;
    }
    return row->handler(context, row, value, row->destination);
}

tabopt_result apply_option(tabopt_context *context, parse_cursor *cursor)
{
    const tabopt_option *row = cursor->option;
    bool optional = (row->attributes & value_optional) != 0;
    bool taken = false;
    if (row->value_name && !cursor->value) {
        if (cursor->arguments_left > 0 && *cursor->next_argument) {
            cursor->value = *cursor->next_argument;
            taken = true;
        } else if (!optional) {
            return value_required;
        }
    }
    tabopt_result result = invoke_handler(context, cursor, cursor->value);
    if (result != no_error && taken && optional) {
        /* The next argument was not this option's value after all. */
        cursor->value = NULL;
        taken = false;
        result = invoke_handler(context, cursor, NULL);
    }
    if (result != no_error)
        return result;
    if (taken) {
        ++cursor->next_argument;
        --cursor->arguments_left;
    }
    return no_error;
}

bool read_long_option(tabopt_context *context, parse_cursor *cursor,
                      const char *argument)
{
    const char *name = argument + 2;
    if (*name == '\0')
        return false; /* "--" ends the options */
    const char *equals = strchr(name, '=');
    if (equals == name) {
        record_error(context, no_such_option, argument, SIZE_MAX, NULL);
        return false;
    }
    size_t length = equals ? (size_t)(equals - name) : strlen(name);
    if (equals)
        cursor->value = equals + 1;
    /* The option name in messages is the argument up to its '='. */
    size_t typed_length = length + 2;
    cursor->option = find_long_name(context, name, length);
    if (!cursor->option) {
        record_error(context, no_such_option, argument, typed_length, NULL);
        return false;
    }
    tabopt_result result = apply_option(context, cursor);
    if (result != no_error) {
        record_error(context, result, argument, typed_length, cursor->value);
        return false;
    }
    return (cursor->option->attributes & stops_parsing) == 0;
}

/* Handles the short option `letter` of a group; only the last one of the
 * group may have a value. Returns false to end the parse. */
static bool read_short_option(tabopt_context *context, parse_cursor *cursor,
                              char letter, bool last)
{
    const char name[3] = {'-', letter, '\0'};
    cursor->option = find_short_name(context, letter);
    if (!cursor->option) {
        record_error(context, no_such_option, name, 2, NULL);
        return false;
    }
    const tabopt_option *row = cursor->option;
    if (last) {
        tabopt_result result = apply_option(context, cursor);
        if (result != no_error) {
            record_error(context, result, name, 2, cursor->value);
            return false;
        }
    } else if (row->value_name && !(row->attributes & value_optional)) {
        record_error(context, value_required, name, 2, NULL);
        return false;
    } else {
        tabopt_result result = invoke_handler(context, cursor, NULL);
        if (result != no_error) {
            record_error(context, result, name, 2, NULL);
            return false;
        }
    }
    return (row->attributes & stops_parsing) == 0;
}

bool read_short_group(tabopt_context *context, parse_cursor *cursor,
                      const char *argument)
{
    const char *group = argument + 1;
    const char *equals = strchr(group, '=');
    if (equals == group) {
        record_error(context, no_such_option, argument, SIZE_MAX, NULL);
        return false;
    }
    size_t length = equals ? (size_t)(equals - group) : strlen(group);
    if (equals)
        cursor->value = equals + 1;
    for (size_t i = 0; i < length; ++i) {
        if (!read_short_option(context, cursor, group[i], i + 1 == length))
            return false;
    }
    return true;
}

static int32_t count_entries(char **vector)
{
    int32_t count = 0;
    while (count < INT32_MAX && vector[count])
        ++count;
    return count;
}

char **parse_arguments(tabopt_context *context, int32_t count, char **vector)
{
    if (!vector)
        return NULL;
    if (!context) {
        report_usage_fault("No tabopt context specified.");
        return vector;
    }
    if (count == -1)
        count = count_entries(vector);
    if (count <= 0)
        return vector;
    build_lookup_tables(context);
    parse_cursor cursor = {NULL, NULL, vector, count};
    char **position = vector;
    for (;;) {
        const char *argument = *position;
        cursor.arguments_left = count - 1;
        if (!argument || argument[0] != '-' || argument[1] == '\0')
            return position;
        cursor.next_argument = position + 1;
        bool go_on = argument[1] == '-'
                         ? read_long_option(context, &cursor, argument)
                         : read_short_group(context, &cursor, argument);
        if (!go_on)
            return cursor.next_argument;
        cursor.option = NULL;
        cursor.value = NULL;
        count = cursor.arguments_left;
        if (count <= 0)
            return cursor.next_argument;
        position = cursor.next_argument;
    }
}
