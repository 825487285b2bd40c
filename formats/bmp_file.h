// Bitmap files as other programs write them, turned into images the painting
// can draw: a 40-byte info header, the colour table (or the three bit-field
// masks), bottom-up rows from bfOffBits.
//
// A 40-byte, uncompressed, bottom-up file whose rows start right after its
// colour table is stored as it is. Other files that can be shown get a
// normalised copy: 108- and 124-byte info headers, top-down rows, bit-field
// images (16 and 32 bits), and a gap before the rows. Refused: compressed
// rows, OS/2 headers, other header sizes, bit counts other than 1, 4, 8, 16,
// 24 and 32, more colours than the bit count allows, rows that overlap the
// colour table, and lengths that do not fit 32 bits.
#ifndef VORLEX_BMP_FILE_H
#define VORLEX_BMP_FILE_H

#include <stdint.h>

struct BmpFileLayout {
    int unchanged;          // stored exactly as in the file
    uint32_t infoSize;      // 40, 108 or 124
    uint32_t width, rows;   // rows, whatever their order in the file
    int topDown;
    uint32_t bitCount;
    uint32_t compression;   // BMP_COMPRESSION_RGB or BMP_COMPRESSION_BITFIELDS
    uint32_t entries;       // colour-table entries kept (up to 8 bits only)
    uint32_t tableOffset;   // where the colour table starts in the file
    uint32_t masks[3];      // red, green, blue masks of a bit-field image
    uint32_t rowBytes;      // one row, padded to a multiple of 4
    uint32_t pixelOffset;   // bfOffBits: where the rows start in the file
    uint32_t storedLength;  // length of the image the library keeps
    uint64_t fileLength;    // bytes of the file that are read
};

enum BmpFileVerdict {
    BMP_UNSUPPORTED = 0, // not a bitmap, or one that cannot be shown
    BMP_SHOWABLE = 1,
    BMP_TRUNCATED = 2    // fewer bytes than its headers promise
};

// Reads the headers of the bitmap file image at `file`, of which `available`
// bytes exist (UINT64_MAX when the caller cannot tell); reads nothing beyond
// them. Fills `layout` when the file is showable.
int AnalyseBmpFile(const uint8_t* file, uint64_t available, BmpFileLayout* layout);

// Writes the image to keep for `file` (layout.storedLength bytes).
void StoreBmpImage(const uint8_t* file, const BmpFileLayout* layout, uint8_t* image);

#endif
