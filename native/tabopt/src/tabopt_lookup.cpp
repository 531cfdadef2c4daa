/*
 * Name lookup: the rows sorted by long and by short name, searched with
 * bsearch, and a scan of the option table when a sorted table is missing.
 */
#include "tabopt_internal.h"

#include <stdlib.h>
#include <string.h>

/* The key of a long-name search: the typed name is not NUL-terminated. */
typedef struct long_name_key {
    const char *name;
    size_t length;
} long_name_key;

static int sign_of(int value)
{
    return (value > 0) - (value < 0);
}

/* Orders two names by their common prefix, then the shorter one first. */
static int compare_long_names(const tabopt_context *context, const char *a,
                              size_t a_length, const char *b, size_t b_length)
{
    size_t common = a_length < b_length ? a_length : b_length;
    int result = sign_of(context->name_compare(a, b, common));
    if (result != 0)
        return result;
    return (a_length > b_length) - (a_length < b_length);
}

static int compare_short_names(const tabopt_context *context, char a, char b)
{
    const char a_text[2] = {a, '\0'};
    const char b_text[2] = {b, '\0'};
    return sign_of(context->name_compare(a_text, b_text, 1));
}

/* qsort order: rows without a long name first, equal among themselves. */
static int order_by_long_name(const void *left, const void *right)
{
    const lookup_entry *a = (const lookup_entry *)left;
    const lookup_entry *b = (const lookup_entry *)right;
    const char *a_name = a->row->long_name;
    const char *b_name = b->row->long_name;
    if (!a_name || !b_name)
        return (a_name != NULL) - (b_name != NULL);
    return compare_long_names(a->context, a_name, strlen(a_name), b_name,
                              strlen(b_name));
}

static int order_by_short_name(const void *left, const void *right)
{
    const lookup_entry *a = (const lookup_entry *)left;
    const lookup_entry *b = (const lookup_entry *)right;
    return compare_short_names(a->context, a->row->short_name, b->row->short_name);
}

static int search_long_name(const void *key, const void *element)
{
    const long_name_key *typed = (const long_name_key *)key;
    const lookup_entry *entry = (const lookup_entry *)element;
    const char *name = entry->row->long_name;
    if (!name)
        return 1; /* rows without a long name lie before every key */
    return compare_long_names(entry->context, typed->name, typed->length, name,
                              strlen(name));
}

static int search_short_name(const void *key, const void *element)
{
    const lookup_entry *entry = (const lookup_entry *)element;
    return compare_short_names(entry->context, *(const char *)key,
                               entry->row->short_name);
}

static lookup_entry *build_lookup_table(tabopt_context *context,
                                        int (*order)(const void *, const void *))
{
    size_t count = context->option_count;
    if (count == 0 || count > SIZE_MAX / sizeof(lookup_entry))
        return NULL;
    lookup_entry *table = (lookup_entry *)malloc(count * sizeof(lookup_entry));
    if (!table)
        return NULL;
    for (size_t i = 0; i < count; ++i) {
        table[i].row = &context->option_table[i];
        table[i].context = context;
    }
    qsort(table, count, sizeof(lookup_entry), order);
    return table;
}

void build_lookup_tables(tabopt_context *context)
{
    if (!context->by_long_name)
        context->by_long_name = build_lookup_table(context, order_by_long_name);
    if (!context->by_short_name)
        context->by_short_name = build_lookup_table(context, order_by_short_name);
}

const tabopt_option *find_long_name(const tabopt_context *context,
                                    const char *name, size_t length)
{
    if (context->by_long_name) {
        long_name_key key = {name, length};
        const lookup_entry *found = (const lookup_entry *)bsearch(
            &key, context->by_long_name, context->option_count,
            sizeof(lookup_entry), search_long_name);
        return found ? found->row : NULL;
    }
    for (size_t i = 0; i < context->option_count; ++i) {
        const char *row_name = context->option_table[i].long_name;
        if (row_name &&
            compare_long_names(context, name, length, row_name, strlen(row_name)) == 0)
            return &context->option_table[i];
    }
    return NULL;
}

const tabopt_option *find_short_name(const tabopt_context *context, char name)
{
    if (context->by_short_name) {
        const lookup_entry *found = (const lookup_entry *)bsearch(
            &name, context->by_short_name, context->option_count,
            sizeof(lookup_entry), search_short_name);
        return found ? found->row : NULL;
    }
    for (size_t i = 0; i < context->option_count; ++i) {
        if (compare_short_names(context, name, context->option_table[i].short_name) == 0)
            return &context->option_table[i];
    }
    return NULL;
}
