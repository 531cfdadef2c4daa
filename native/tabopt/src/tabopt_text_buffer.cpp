/*
 * A growable NUL-terminated text with printf-style appending.
 */
#include "tabopt_internal.h"

#include <stdarg.h>
#include <stdlib.h>

enum { initial_capacity = 256 };

text_buffer *open_text_buffer(void)
{
    text_buffer *buffer = (text_buffer *)malloc(sizeof *buffer);
    if (!buffer)
        return NULL;
    buffer->text = (char *)malloc(initial_capacity);
    if (!buffer->text) {
        free(buffer);
        return NULL;
    }
    buffer->text[0] = '\0';
    buffer->capacity = initial_capacity;
    buffer->length = 0;
    return buffer;
}

size_t resize_text_buffer(text_buffer *buffer, size_t capacity)
{
    if (capacity < buffer->capacity && capacity < buffer->length + 1)
        capacity = buffer->length + 1;
    if (capacity == buffer->capacity)
        return buffer->capacity;
    char *text = (char *)realloc(buffer->text, capacity);
    if (!text)
        return buffer->capacity;
    buffer->text = text;
    buffer->capacity = capacity;
    return capacity;
}

/* The larger of twice the capacity and the capacity plus `needed`, without
 * overflowing. */
static size_t grown_capacity(size_t capacity, size_t needed)
{
    size_t doubled = capacity > SIZE_MAX / 2 ? SIZE_MAX : 2 * capacity;
    size_t enough = needed > SIZE_MAX - capacity ? SIZE_MAX : capacity + needed;
    return doubled > enough ? doubled : enough;
}

int append_formatted(text_buffer *buffer, const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    int count = vsnprintf(NULL, 0, format, arguments);
    va_end(arguments);
    if (count <= 0)
        return count < 0 ? -1 : 0;
    size_t needed = (size_t)count;
    if (needed >= buffer->capacity - buffer->length)
        resize_text_buffer(buffer, grown_capacity(buffer->capacity, needed));
    size_t room = buffer->capacity - buffer->length;
    if (needed >= room)
        return -1;
    va_start(arguments, format);
    vsnprintf(buffer->text + buffer->length, room, format, arguments);
    va_end(arguments);
    buffer->length += needed;
    return count;
}

char *finish_text_buffer(text_buffer *buffer)
{
    resize_text_buffer(buffer, buffer->length + 1);
    char *text = buffer->text;
    free(buffer);
    return text;
}
