// Pixel rows of 24-bit BMP images, which store the bottom row first and each
// pixel blue, green, red.
#ifndef VORLEX_BMP_ROWS_H
#define VORLEX_BMP_ROWS_H

#include <stddef.h>
#include <stdint.h>

// Writes width x height interleaved pixels, given top row first with three
// bytes each (red, green, blue when `redFirst` is non-zero, else blue, green,
// red), as bitmap rows `stride` bytes apart at `pixels`; the bytes of a row
// past 3 x width are zeroed.
void InterleavedToBitmapRows(uint32_t width, uint32_t height, const uint8_t* data, int redFirst,
                             size_t stride, uint8_t* pixels);

#endif
