// Converters of 8-bit gray and 24-bit pixel data (the exported ones are in
// display.h).
#ifndef VORLEX_GRAY_RGB_TO_BMP_H
#define VORLEX_GRAY_RGB_TO_BMP_H

#include <stdint.h>

// Interleaved pixels, top row first, three bytes each: red, green, blue when
// `redFirst` is non-zero, else blue, green, red. Writes a 24-bit BMP image
// with bottom-up rows padded to a multiple of 4 bytes (Bmp24ImageBytes long).
// Uses the low 16 bits of width and height.
void ConvertInterleavedToBitmap(uint32_t width, uint32_t height, const uint8_t* data, int redFirst,
                                uint8_t* output);

#endif
