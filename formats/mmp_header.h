// The packed MMP image format's layout: a 16-byte header (width and height as
// little-endian 16-bit values at bytes 12 and 14, nothing else interpreted),
// then rows of 6-byte groups, each group four pixels of one row.
#ifndef VORLEX_MMP_HEADER_H
#define VORLEX_MMP_HEADER_H

#include <stdint.h>

enum { MMP_HEADER_SIZE = 16, MMP_GROUP_SIZE = 6 };

// Width and height from the header's bytes 12 to 15.
inline void ReadMmpSize(const uint8_t* header, uint16_t* width, uint16_t* height) {
    *width = static_cast<uint16_t>(header[12] | header[13] << 8);
    *height = static_cast<uint16_t>(header[14] | header[15] << 8);
}

// Groups per row: (width + 3) / 4, with the low 16 bits of width.
inline uint32_t MmpGroupsPerRow(uint32_t width) { return ((width & 0xFFFF) + 3) / 4; }

// Bytes of groups a width x height file holds after its header
// (6 x groups x height), computed in 64 bits.
inline uint64_t MmpPixelBytes(uint32_t width, uint32_t height) {
    return uint64_t{MMP_GROUP_SIZE} * MmpGroupsPerRow(width) * (height & 0xFFFF);
}

#endif
