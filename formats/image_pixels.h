// Reading one pixel of a stored image (a complete BMP image in memory, as the
// library keeps it for a window) as red, green and blue.
#ifndef VORLEX_IMAGE_PIXELS_H
#define VORLEX_IMAGE_PIXELS_H

#include <stdint.h>

// The colour of pixel (x, y), y counted from the top, of the `capacity`-byte
// image: through the colour table for 1, 4 and 8 bits, the bit fields (or
// the default 5-5-5 and 8-8-8 masks) for 16 and 32 bits, bytes for 24 bits.
// Returns 0 when the image is not one painting would draw or the point lies
// outside it.
int StoredImagePixel(const uint8_t* image, uint32_t capacity, uint32_t x, uint32_t y, uint8_t rgb[3]);

#endif
