// The two headers at the start of every BMP image the library builds and the
// player saves. The records have exactly the on-disk layout (little-endian
// host), so writers copy them byte for byte: 14 bytes of file header, then 40
// bytes of info header.
#ifndef VORLEX_BMP_HEADERS_H
#define VORLEX_BMP_HEADERS_H

#include <stddef.h>
#include <stdint.h>

#pragma pack(push, 2)
struct BmpFileHeader {
    uint16_t bfType;
    uint32_t bfSize;
    uint16_t bfReserved1;
    uint16_t bfReserved2;
    uint32_t bfOffBits;
};
#pragma pack(pop)

struct BmpInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};

static_assert(sizeof(BmpFileHeader) == 14, "the file header is packed");
static_assert(sizeof(BmpInfoHeader) == 40, "the info header has no padding");

enum {
    BMP_FILE_HEADER_SIZE = 14,
    BMP_INFO_HEADER_SIZE = 40,
    BMP_HEADERS_SIZE = 54,
    BMP_TYPE_BM = 0x4D42, // "BM"
    BMP_PELS_PER_METER = 2835,
    BMP_GRAY_TABLE_SIZE = 256 * 4, // the 256 entries of an 8-bit image
    // biCompression: plain rows, or rows whose 16- or 32-bit pixels are
    // described by three colour masks after the info header.
    BMP_COMPRESSION_RGB = 0,
    BMP_COMPRESSION_BITFIELDS = 3,
    BMP_BITFIELD_MASKS_SIZE = 12
};

// 1 for the pixel formats painting draws: 1, 4, 8, 16, 24 or 32 bits per
// pixel, rows uncompressed or, at 16 and 32 bits, bit fields.
int BmpPixelFormatDrawable(uint32_t bitCount, uint32_t compression);

// Fills both headers for a width x height image of `bitCount` bits per pixel
// (low 16 bits of the sizes, low 8 bits of the bit count). The sizes count
// rows without padding.
void BuildBmpHeaders(BmpFileHeader* fileHeader, BmpInfoHeader* infoHeader, uint32_t width,
                     uint32_t height, uint32_t bitCount);

// BuildBmpHeaders, then the two records copied to the first 54 bytes of `image`.
void WriteBmpHeaders(uint8_t* image, uint32_t width, uint32_t height, uint32_t bitCount);

#endif
