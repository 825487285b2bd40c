#include "bmp_rows.h"

#include <string.h>

void InterleavedToBitmapRows(uint32_t width, uint32_t height, const uint8_t* data, int redFirst,
                             size_t stride, uint8_t* pixels) {
    for (uint32_t r = 0; r < height; ++r) {
        const uint8_t* in = data + size_t{r} * 3 * width;
        uint8_t* out = pixels + (height - 1 - r) * stride;
        for (uint32_t x = 0; x < width; ++x, in += 3, out += 3) {
            out[0] = redFirst ? in[2] : in[0];
            out[1] = in[1];
            out[2] = redFirst ? in[0] : in[2];
        }
        memset(out, 0, stride - size_t{3} * width);
    }
}

void PadBitmapRows(uint8_t* pixels, uint32_t rowBytes, uint32_t stride, uint32_t rows) {
    if (stride == rowBytes) {
        return;
    }
    // Last row first: a row's new place never overlaps a row not yet moved.
    for (uint32_t r = rows; r-- > 0;) {
        uint8_t* row = pixels + size_t{r} * stride;
        memmove(row, pixels + size_t{r} * rowBytes, rowBytes);
        memset(row + rowBytes, 0, stride - rowBytes);
    }
}
