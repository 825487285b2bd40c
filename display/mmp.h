// The packed MMP image format: a 16-byte header (width and height as
// little-endian 16-bit values at bytes 12 and 14, nothing else interpreted),
// then rows of 6-byte groups, each group four pixels of one row: four luma
// samples and one signed U and V sample they share.
#ifndef VORLEX_MMP_H
#define VORLEX_MMP_H

#include <stdint.h>

enum { MMP_HEADER_SIZE = 16, MMP_GROUP_SIZE = 6 };

// Groups per row: (width + 3) / 4, with the low 16 bits of width.
inline uint32_t MmpGroupsPerRow(uint32_t width) { return ((width & 0xFFFF) + 3) / 4; }

// Bytes of groups a width x height file holds after its header
// (6 x groups x height), computed in 64 bits.
inline uint64_t MmpPixelBytes(uint32_t width, uint32_t height) {
    return uint64_t{MMP_GROUP_SIZE} * MmpGroupsPerRow(width) * (height & 0xFFFF);
}

// Unpacks height rows of groups into a luma plane of 4 x groups samples per row
// and chroma planes of one sample per group.
void UnpackMmpPixels(uint32_t width, uint32_t height, const uint8_t* groups, uint8_t* yPlane,
                     int8_t* uPlane, int8_t* vPlane);

// Turns unpacked planes into bottom-up 24-bit rows of 3 x width bytes at
// `pixels` (the BMP image 54 bytes past its start).
void ConvertMmpPlanes(uint32_t width, uint32_t height, const uint8_t* yPlane, const int8_t* uPlane,
                      const int8_t* vPlane, uint8_t* pixels);

#endif
