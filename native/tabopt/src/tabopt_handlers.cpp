/*
 * The general value handlers: booleans and strings.
 */
#include "tabopt_handlers.h"

#include <errno.h>
#include <stdint.h>
#include <stdlib.h>

#include "tabopt_internal.h"

static const char no_destination_fault[] = "No handler destination specified.";

/* Reads a whole value as an unsigned 32-bit decimal number. */
static tabopt_result read_unsigned32(const char *value, uint32_t *number)
{
    /* strtoul would accept a minus sign and negate the number. */
    if (value[0] == '\0' || value[0] == '-')
        return invalid_value;
    char *end = NULL;
    errno = 0;
    unsigned long result = strtoul(value, &end, 10);
    if (end == value || *end != '\0')
        return invalid_value;
    /* unsigned long may be wider than 32 bits: treat more as out of range. */
    if (errno == ERANGE || result > UINT32_MAX)
        return invalid_value;
    if (errno != 0)
        return general_failure;
    *number = (uint32_t)result;
    return no_error;
}

tabopt_result store_boolean(tabopt_context *context, const tabopt_option *option,
                            const char *value, void *destination)
{
    (void)context;
    (void)option;
    if (!destination) {
        report_usage_fault(no_destination_fault);
        return invalid_configuration;
    }
    uint32_t number = 1;
    if (value) {
        tabopt_result result = read_unsigned32(value, &number);
        if (result != no_error)
            return result;
        if (number > 1)
            return invalid_value;
    }
    *(unsigned char *)destination = (unsigned char)number;
    return no_error;
}

tabopt_result store_string(tabopt_context *context, const tabopt_option *option,
                           const char *value, void *destination)
{
    (void)context;
    (void)option;
    if (!destination) {
        report_usage_fault(no_destination_fault);
        return invalid_configuration;
    }
    if (!value)
        return value_required;
    *(const char **)destination = value;
    return no_error;
}
