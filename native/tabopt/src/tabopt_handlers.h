/*
 * General value handlers for tabopt option rows.
 */
#ifndef TABOPT_HANDLERS_H
#define TABOPT_HANDLERS_H

#include "tabopt.h"

/* Destination: a one-byte boolean (bool or unsigned char). No value stores
 * true; the values 0 and 1 (as strtoul reads them) store false and true. */
tabopt_result store_boolean(tabopt_context *context, const tabopt_option *option,
                            const char *value, void *destination);

/* Destination: a `const char *` variable. Stores the value pointer itself
 * (not a copy); no value is refused with value_required. */
tabopt_result store_string(tabopt_context *context, const tabopt_option *option,
                           const char *value, void *destination);

#endif
