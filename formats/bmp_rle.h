// Run-length coded rows of bitmap files: RLE8 at 8 bits per pixel, RLE4 at 4.
#ifndef VORLEX_BMP_RLE_H
#define VORLEX_BMP_RLE_H

#include <stdint.h>

#include "bmp_layout.h"

enum BmpRleResult {
    BMP_RLE_DONE,    // the end-of-bitmap code was reached
    BMP_RLE_OUTSIDE, // a code would write outside the rows
    BMP_RLE_CUT      // the stream ends before its end-of-bitmap code
};

// Runs the stream that starts at the layout's pixelOffset, reading no byte
// at or past `limit`. With `rows` null it only checks the stream; otherwise
// it writes into the bottom-up rows at `rows` (layout rows x rowBytes), which
// the caller has zeroed (pixels the stream never sets keep index 0). A run
// may fill a row's padding, as some writers code whole padded rows; the
// position never leaves the rows: x up to the padded row's pixel count, y up
// to the row count (reached by the last row's end of line). BMP_RLE_DONE
// sets *end to the offset after the end-of-bitmap code.
int DecodeBmpRle(const uint8_t* file, const BmpFileLayout* layout, uint32_t limit, uint8_t* rows, uint64_t* end);

#endif
