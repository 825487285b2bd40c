// What painting checks before it hands a stored image to the platform's
// device-independent-bitmap calls, which read the headers, the colour table
// and every row (padded to 4 bytes) straight from the buffer.
#ifndef VORLEX_STORED_IMAGE_H
#define VORLEX_STORED_IMAGE_H

#include <stdint.h>

// 1 when the `capacity`-byte buffer holds a drawable image: "BM", a 40-byte
// info header, a positive width and height, 1, 4, 8, 16, 24 or 32 bits per
// pixel, rows uncompressed (or bit fields), and headers, colour table and
// padded rows all inside the buffer. Images the library builds with widths
// that are multiples of 4 always pass; others would make the platform read
// past the buffer, and are not drawn.
int StoredImageFits(const uint8_t* image, uint32_t capacity);

#endif
