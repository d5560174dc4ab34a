/* The check of the C clients of the exported interfaces: a failed check names its file, line
 * and condition and is counted in `failures`; the client goes on and reports the count. */
#ifndef VELTRA_TESTS_SUPPORT_CCHECK_H
#define VELTRA_TESTS_SUPPORT_CCHECK_H

#include <stdio.h>

static int failures = 0;

#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);          \
            ++failures;                                                                            \
        }                                                                                          \
    } while (0)

#endif
