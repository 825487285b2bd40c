// Pixel rows of BMP images, which store the bottom row first, each row padded
// to a multiple of 4 bytes, and a 24-bit pixel as blue, green, red.
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

// Spreads `rows` rows of `rowBytes` bytes, which lie back to back at
// `pixels`, out to `stride` bytes each (stride >= rowBytes), in place, and
// zeroes the padding. The gray and MMP converters write unpadded rows, as
// their callers expect; an image that is to be painted needs rows padded to
// a multiple of 4 bytes, or the platform draws it sheared.
void PadBitmapRows(uint8_t* pixels, uint32_t rowBytes, uint32_t stride, uint32_t rows);

#endif
