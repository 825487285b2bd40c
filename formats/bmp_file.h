// Bitmap files as other programs write them, turned into images the painting
// can draw: a 40-byte info header, the colour table (or the three bit-field
// masks), bottom-up rows from bfOffBits.
//
// A 40-byte, uncompressed, bottom-up file whose rows start right after its
// colour table is stored as it is. Other files that can be shown get a
// normalised copy: 12-byte core headers (3-byte colour-table entries),
// 108- and 124-byte info headers, top-down rows, bit-field images (16 and 32
// bits), a gap before the rows, and run-length coded rows (RLE8 at 8 bits,
// RLE4 at 4), which are decoded into plain rows of the same bit count.
// Refused: other compressions, top-down run-length files, other header sizes,
// bit counts other than 1, 4, 8, 16, 24 and 32 (1, 4, 8 and 24 in a core
// header), more colours than the bit count allows, rows that overlap the
// colour table, lengths that do not fit 32 bits, and decoded run-length
// images over BMP_DECODED_LENGTH_MAX bytes.
#ifndef VORLEX_BMP_FILE_H
#define VORLEX_BMP_FILE_H

#include <stdint.h>

#include "bmp_layout.h"

// A few bytes of run-length code can describe an image of any size, its
// pixels left at index 0; a decoded image may be at most this long.
enum : uint32_t { BMP_DECODED_LENGTH_MAX = 64u << 20 };

enum BmpFileVerdict {
    BMP_UNSUPPORTED = 0, // not a bitmap, or one that cannot be shown
    BMP_SHOWABLE = 1,
    BMP_TRUNCATED = 2, // fewer bytes than its headers promise, or a
                       // run-length stream that runs past the file's end
    BMP_DAMAGED = 3    // a run-length stream that would write outside the
                       // image, runs past the length its header gives, or
                       // has no length in its header
};

// Reads the headers of the bitmap file image at `file`, of which `available`
// bytes exist (UINT64_MAX when the caller cannot tell); reads nothing beyond
// them, nor past the stream length a run-length file's header gives, which it
// decodes once to check. Fills `layout` when the file is showable.
int AnalyseBmpFile(const uint8_t* file, uint64_t available, BmpFileLayout* layout);

// Writes the image to keep for `file` (layout.storedLength bytes).
void StoreBmpImage(const uint8_t* file, const BmpFileLayout* layout, uint8_t* image);

#endif
