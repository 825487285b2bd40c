// The packed MMP image format's layout: a 16-byte header (width and height as
// little-endian 16-bit values at bytes 12 and 14, nothing else interpreted),
// then rows of 6-byte groups, each group four pixels of one row.
#ifndef VORLEX_MMP_HEADER_H
#define VORLEX_MMP_HEADER_H

#include <stdint.h>

enum { MMP_WIDTH_AT = 12, MMP_HEIGHT_AT = 14, MMP_HEADER_SIZE = 16, MMP_GROUP_SIZE = 6 };

// Width and height from the header.
inline void ReadMmpSize(const uint8_t* header, uint16_t* width, uint16_t* height) {
    *width = static_cast<uint16_t>(header[MMP_WIDTH_AT] | header[MMP_WIDTH_AT + 1] << 8);
    *height = static_cast<uint16_t>(header[MMP_HEIGHT_AT] | header[MMP_HEIGHT_AT + 1] << 8);
}

// A header for a width x height file: the bytes before the size zero.
inline void WriteMmpHeader(uint8_t* header, uint16_t width, uint16_t height) {
    for (int i = 0; i < MMP_WIDTH_AT; ++i) {
        header[i] = 0;
    }
    header[MMP_WIDTH_AT] = static_cast<uint8_t>(width);
    header[MMP_WIDTH_AT + 1] = static_cast<uint8_t>(width >> 8);
    header[MMP_HEIGHT_AT] = static_cast<uint8_t>(height);
    header[MMP_HEIGHT_AT + 1] = static_cast<uint8_t>(height >> 8);
}

// Packs one group of four luma samples and the U and V samples they share
// (the signed samples' bytes) into MMP_GROUP_SIZE bytes at `group`, byte by
// byte as the format lays them out (bit pairs, high pair first):
//   0: Y0 3-2, Y0 1-0, U 5-4, V 5-4     3: Y1
//   1: U 7-6, V 7-6, Y0 7-6, Y0 5-4     4: Y3
//   2: U 3-2, V 3-2, Y2 7-6, Y2 5-4     5: Y2 3-2, Y2 1-0, U 1-0, V 1-0
inline void PutMmpGroup(uint8_t* group, uint8_t y0, uint8_t y1, uint8_t y2, uint8_t y3, uint8_t u, uint8_t v) {
    auto pair = [](uint8_t x, int low) { return (x >> low) & 3; }; // bits low+1 and low
    group[0] = static_cast<uint8_t>(pair(y0, 2) << 6 | pair(y0, 0) << 4 | pair(u, 4) << 2 | pair(v, 4));
    group[1] = static_cast<uint8_t>(pair(u, 6) << 6 | pair(v, 6) << 4 | pair(y0, 6) << 2 | pair(y0, 4));
    group[2] = static_cast<uint8_t>(pair(u, 2) << 6 | pair(v, 2) << 4 | pair(y2, 6) << 2 | pair(y2, 4));
    group[3] = y1;
    group[4] = y3;
    group[5] = static_cast<uint8_t>(pair(y2, 2) << 6 | pair(y2, 0) << 4 | pair(u, 0) << 2 | pair(v, 0));
}

// Groups per row: (width + 3) / 4, with the low 16 bits of width.
inline uint32_t MmpGroupsPerRow(uint32_t width) { return ((width & 0xFFFF) + 3) / 4; }

// Bytes of groups a width x height file holds after its header
// (6 x groups x height), computed in 64 bits.
inline uint64_t MmpPixelBytes(uint32_t width, uint32_t height) {
    return uint64_t{MMP_GROUP_SIZE} * MmpGroupsPerRow(width) * (height & 0xFFFF);
}

#endif
