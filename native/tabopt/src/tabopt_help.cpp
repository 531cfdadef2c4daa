/*
 * The help listing: each listed row's names and value name, then its
 * description from a fixed column on.
 */
#include "tabopt_internal.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

static const tabopt_help_layout default_layout = {2, 6, 1};

/* printf field widths and precisions are int, and each padded piece writes
 * at least one character after its padding: a width of INT_MAX or more can
 * never be formatted, so such a piece is left out at once rather than
 * measured by vsnprintf, which would count out the whole padding first. */
static bool fits_field(size_t width)
{
    return width < (size_t)INT_MAX;
}

/* Writes the names of a row that has at least one; returns the number of
 * characters written (0 when the append failed). */
static size_t append_names(text_buffer *buffer, const tabopt_option *row,
                           size_t indent_width)
{
    if (!fits_field(indent_width))
        return 0;
    int indent = (int)indent_width;
    bool has_long = row->long_name && row->long_name[0] != '\0';
    bool has_short = row->short_name != 0;
    int written;
    if (has_short && has_long)
        written = append_formatted(buffer, "%*s-%c, --%s", indent, "",
                                   row->short_name, row->long_name);
    else if (has_long)
        written = append_formatted(buffer, "%*s--%s", indent, "", row->long_name);
    else
        written = append_formatted(buffer, "%*s-%c", indent, "", row->short_name);
    return written > 0 ? (size_t)written : 0;
}

static size_t append_value_name(text_buffer *buffer, const tabopt_option *row)
{
    if (!row->value_name)
        return 0;
    int written = (row->attributes & value_optional)
                      ? append_formatted(buffer, "[=%s]", row->value_name)
                      : append_formatted(buffer, "=%s", row->value_name);
    return written > 0 ? (size_t)written : 0;
}

/* Writes the description's lines, the first one padded from `position` to
 * `column`, the others indented to `column`. Requires position <= column. */
static void append_description(text_buffer *buffer, const char *text,
                               size_t column, size_t position)
{
    for (;;) {
        const char *end = strchr(text, '\n');
        size_t length = end ? (size_t)(end - text) : strlen(text);
        size_t padding = column - position;
        if (fits_field(padding) && fits_field(length))
            append_formatted(buffer, "%*s%.*s\n", (int)padding, "", (int)length, text);
        position = 0;
        if (!end)
            return;
        text = end + 1;
    }
}

static void append_entry(text_buffer *buffer, const tabopt_option *row,
                         const tabopt_help_layout *layout)
{
    if (!row->description || (row->attributes & not_in_help))
        return;
    bool named = row->short_name != 0 || (row->long_name && row->long_name[0] != '\0');
    if (!named) {
        append_formatted(buffer, "%s\n", row->description);
    } else {
        size_t position = append_names(buffer, row, layout->indent_width);
        position += append_value_name(buffer, row);
        if (position >= layout->text_column) {
            append_formatted(buffer, "\n");
            position = 0;
        }
        append_description(buffer, row->description, layout->text_column, position);
    }
    if (layout->blank_line_after)
        append_formatted(buffer, "\n");
}

char *build_help(tabopt_context *context, const tabopt_help_layout *layout)
{
    if (!context) {
        report_usage_fault("No tabopt context specified.");
        return NULL;
    }
    text_buffer *buffer = open_text_buffer();
    if (!buffer)
        return NULL;
    if (!layout)
        layout = &default_layout;
    for (size_t i = 0; i < context->option_count; ++i)
        append_entry(buffer, &context->option_table[i], layout);
    return finish_text_buffer(buffer);
}

void write_help(FILE *stream, tabopt_context *context,
                const tabopt_help_layout *layout)
{
    if (context && !stream) {
        report_usage_fault("No output stream specified.");
        return;
    }
    char *text = build_help(context, layout);
    if (!text)
        return;
    fputs(text, stream);
    free(text);
}
