// The headers at the start of every BMP image the library builds and the
// player saves, and of the bitmap files other programs write. The records
// have exactly the on-disk layout (little-endian host), so they are copied
// byte for byte, and every field's offset is the record's: 14 bytes of file
// header, then a 40-byte info header (or a 12-byte core header).
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

// The oldest header: 16-bit unsigned sizes, no compression, no colour count;
// its colour table has 3-byte entries (blue, green, red).
struct BmpCoreHeader {
    uint32_t bcSize;
    uint16_t bcWidth;
    uint16_t bcHeight;
    uint16_t bcPlanes;
    uint16_t bcBitCount;
};

enum {
    BMP_FILE_HEADER_SIZE = sizeof(BmpFileHeader),
    BMP_INFO_HEADER_SIZE = sizeof(BmpInfoHeader),
    BMP_CORE_HEADER_SIZE = sizeof(BmpCoreHeader),
    BMP_HEADERS_SIZE = BMP_FILE_HEADER_SIZE + BMP_INFO_HEADER_SIZE,
    // Later info headers: the 40-byte fields, then the red, green and blue
    // masks and more.
    BMP_V4_HEADER_SIZE = 108,
    BMP_V5_HEADER_SIZE = 124,
    BMP_TYPE_BM = 0x4D42, // "BM"
    BMP_PELS_PER_METER = 2835,
    BMP_GRAY_TABLE_SIZE = 256 * 4, // the 256 entries of an 8-bit image
    // biCompression: plain rows, run-length coded 8- or 4-bit rows, or rows
    // whose 16- or 32-bit pixels are described by three colour masks after
    // the info header's 40-byte fields.
    BMP_COMPRESSION_RGB = 0,
    BMP_COMPRESSION_RLE8 = 1,
    BMP_COMPRESSION_RLE4 = 2,
    BMP_COMPRESSION_BITFIELDS = 3,
    BMP_BITFIELD_MASKS_SIZE = 12
};

static_assert(BMP_FILE_HEADER_SIZE == 14, "the file header is packed");
static_assert(BMP_INFO_HEADER_SIZE == 40, "the info header has no padding");
static_assert(BMP_CORE_HEADER_SIZE == 12, "the core header has no padding");

// Colours in the table of an image: clrUsed when not 0, else the full table
// of 2^bitCount entries up to 8 bits, else none.
uint32_t ImageColourCount(uint32_t clrUsed, uint32_t bitCount);

// 1 for the pixel formats painting draws: 1, 4, 8, 16, 24 or 32 bits per
// pixel, rows uncompressed or, at 16 and 32 bits, bit fields.
int BmpPixelFormatDrawable(uint32_t bitCount, uint32_t compression);

// Fills both headers for a width x height image of `bitCount` bits per pixel
// (low 16 bits of the sizes, low 8 bits of the bit count). The sizes count
// rows without padding.
void BuildBmpHeaders(BmpFileHeader* fileHeader, BmpInfoHeader* infoHeader, uint32_t width, uint32_t height,
                     uint32_t bitCount);

// The one writer of header bytes: the two records to the first 54 bytes of
// `image`.
void PutBmpHeaders(uint8_t* image, const BmpFileHeader* fileHeader, const BmpInfoHeader* infoHeader);

// The two records from the first 54 bytes of `image` (copied: in a buffer the
// info header is only 2-byte aligned).
void GetBmpHeaders(const uint8_t* image, BmpFileHeader* fileHeader, BmpInfoHeader* infoHeader);

// BuildBmpHeaders, then PutBmpHeaders.
void WriteBmpHeaders(uint8_t* image, uint32_t width, uint32_t height, uint32_t bitCount);

// The colour table of an 8-bit gray image (BMP_GRAY_TABLE_SIZE bytes at
// `table`): entry i is blue, green and red i, then 0.
void PutGrayColourTable(uint8_t* table);

#endif
