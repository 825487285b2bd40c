// What the fuzz targets share.
#ifndef VORLEX_FUZZ_SUPPORT_H
#define VORLEX_FUZZ_SUPPORT_H

#include <stddef.h>
#include <stdint.h>

// Stops the run with a message: a property that must hold did not.
void Violated(const char* what);

// A copy of `size` bytes in a block of exactly that size, so a read past the
// end is caught by AddressSanitizer.
uint8_t* ExactCopy(const uint8_t* data, size_t size);

#endif
