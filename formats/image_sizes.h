// Lengths of the BMP images the library builds and the player saves, computed
// in 64 bits: callers refuse a length that does not fit 32 bits
// (ImageLengthFits).
#ifndef VORLEX_IMAGE_SIZES_H
#define VORLEX_IMAGE_SIZES_H

#include <stdint.h>

#include "bmp_headers.h"

enum { GRAY_BMP_PIXELS_OFFSET = BMP_HEADERS_SIZE + BMP_GRAY_TABLE_SIZE };

// Bytes of one row of `bits`-bit pixels padded to a multiple of 4.
inline uint64_t PaddedRowBytes(uint64_t width, uint32_t bits) { return (width * bits + 31) / 32 * 4; }

// 24-bit image with unpadded rows (the YUV and MMP converters).
inline uint64_t Rgb24ImageBytes(uint32_t width, uint32_t height) {
    return BMP_HEADERS_SIZE + uint64_t{3} * width * height;
}
// 8-bit gray image with its 256-entry palette.
inline uint64_t GrayImageBytes(uint32_t width, uint32_t height) {
    return GRAY_BMP_PIXELS_OFFSET + uint64_t{width} * height;
}
// 8-bit gray image with rows padded to a multiple of 4 bytes.
inline uint64_t Bmp8ImageBytes(uint32_t width, uint32_t height) {
    return GRAY_BMP_PIXELS_OFFSET + PaddedRowBytes(width, 8) * height;
}
// 24-bit image with rows padded to a multiple of 4 bytes.
inline uint64_t Bmp24ImageBytes(uint32_t width, uint32_t height) {
    return BMP_HEADERS_SIZE + PaddedRowBytes(width, 24) * height;
}

inline int ImageLengthFits(uint64_t length) { return length <= 0xFFFFFFFFu; }

#endif
