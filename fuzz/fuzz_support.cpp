#include "fuzz_support.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

void Violated(const char* what) {
    fprintf(stderr, "violated: %s\n", what);
    abort();
}

uint8_t* ExactCopy(const uint8_t* data, size_t size) {
    uint8_t* copy = static_cast<uint8_t*>(malloc(size ? size : 1));
    if (!copy) {
        abort();
    }
    if (size) {
        memcpy(copy, data, size);
    }
    return copy;
}
