// Where the parts of a bitmap file lie and how its rows are stored: what the
// file analysis finds (bmp_file.h) and the run-length decoder reads.
#ifndef VORLEX_BMP_LAYOUT_H
#define VORLEX_BMP_LAYOUT_H

#include <stdint.h>

struct BmpFileLayout {
    int unchanged;        // stored exactly as in the file
    uint32_t infoSize;    // 12 (core header), 40, 108 or 124
    uint32_t width, rows; // rows, whatever their order in the file
    int topDown;
    uint32_t bitCount;
    uint32_t compression;  // the file's: RGB, RLE8, RLE4 or BITFIELDS
    uint32_t entries;      // colour-table entries kept (up to 8 bits only)
    uint32_t tableOffset;  // where the colour table starts in the file
                           // (3 bytes an entry after a core header, else 4)
    uint32_t masks[3];     // red, green, blue masks of a bit-field image
    uint32_t rowBytes;     // one row, padded to a multiple of 4
    uint32_t pixelOffset;  // bfOffBits: where the rows start in the file
    uint32_t storedLength; // length of the image the library keeps
    uint64_t fileLength;   // bytes of the file that are read (for a
                           // run-length file, up to its end-of-bitmap code)
};

#endif
