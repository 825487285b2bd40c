// Gray planes and 24-bit pixel data into BMP images.
#include <stddef.h>
#include <string.h>

#include "bmp_headers.h"
#include "bmp_rows.h"
#include "display.h"
#include "gray_rgb_to_bmp.h"
#include "image_sizes.h"

void DISPLAY_CALL ConvertRaw2Bitmap(uint32_t width, uint32_t height, const uint8_t* gray, uint8_t* output) {
    WriteBmpHeaders(output, width, height, 8);
    PutGrayColourTable(output + BMP_HEADERS_SIZE);
    // Bottom-up: the plane's last row is stored first.
    uint8_t* row = output + GRAY_BMP_PIXELS_OFFSET;
    for (uint32_t r = height; r-- > 0; row += width) {
        memcpy(row, gray + size_t{r} * width, width);
    }
}

void DISPLAY_CALL ConvertRGB2Bitmap(uint32_t width, uint32_t height, const uint8_t* pixels, uint8_t* output) {
    WriteBmpHeaders(output, width, height, 24);
    memcpy(output + BMP_HEADERS_SIZE, pixels, size_t{3} * width * height);
}

void ConvertInterleavedToBitmap(uint32_t width, uint32_t height, const uint8_t* data, int redFirst,
                                uint8_t* output) {
    const uint32_t w = width & 0xFFFF;
    const uint32_t h = height & 0xFFFF;
    WriteBmpHeaders(output, w, h, 24);
    InterleavedToBitmapRows(w, h, data, redFirst, static_cast<size_t>(PaddedRowBytes(w, 24)),
                            output + BMP_HEADERS_SIZE);
}
