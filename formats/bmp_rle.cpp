#include "bmp_rle.h"

#include <stddef.h>

namespace {

void PutPixel(uint8_t* row, uint64_t x, uint32_t bits, uint32_t index) {
    if (bits == 8) {
        row[static_cast<size_t>(x)] = static_cast<uint8_t>(index);
        return;
    }
    uint8_t& pair = row[static_cast<size_t>(x / 2)]; // the left pixel in the high nibble
    pair = static_cast<uint8_t>(x & 1 ? (pair & 0xF0) | index : (pair & 0x0F) | index << 4);
}

} // namespace

int DecodeBmpRle(const uint8_t* file, const BmpFileLayout* layout, uint32_t limit, uint8_t* rows,
                 uint64_t* end) {
    const BmpFileLayout& l = *layout;
    const uint32_t bits = l.bitCount;
    const uint64_t rowPixels = uint64_t{l.rowBytes} * 8 / bits;
    uint64_t x = 0;
    uint32_t p = l.pixelOffset, y = 0;
    if (p > limit) {
        return BMP_RLE_CUT;
    }
    // p <= limit throughout: every step first checks that its bytes are there.
    for (;;) {
        if (limit - p < 2) {
            return BMP_RLE_CUT;
        }
        const uint32_t count = file[p], code = file[p + 1];
        p += 2;
        uint8_t* row = rows ? rows + size_t{y} * l.rowBytes : nullptr;
        if (count != 0) {
            // Encoded run: one index, or at 4 bits two alternating ones.
            if (y >= l.rows || count > rowPixels - x) {
                return BMP_RLE_OUTSIDE;
            }
            for (uint32_t i = 0; row && i < count; ++i) {
                PutPixel(row, x + i, bits, bits == 8 ? code : i & 1 ? code & 0x0F : code >> 4);
            }
            x += count;
        } else if (code == 0) { // end of line
            if (y >= l.rows) {
                return BMP_RLE_OUTSIDE;
            }
            x = 0;
            ++y;
        } else if (code == 1) { // end of bitmap
            *end = p;
            return BMP_RLE_DONE;
        } else if (code == 2) { // delta: move right and up
            if (limit - p < 2) {
                return BMP_RLE_CUT;
            }
            const uint32_t dx = file[p], dy = file[p + 1];
            p += 2;
            if (dx > rowPixels - x || dy > l.rows - y) {
                return BMP_RLE_OUTSIDE;
            }
            x += dx;
            y += dy;
        } else { // absolute run of `code` pixels, padded to a 16-bit boundary
            const uint32_t bytes = bits == 8 ? code : (code + 1) / 2;
            if (limit - p < bytes + (bytes & 1)) {
                return BMP_RLE_CUT;
            }
            if (y >= l.rows || code > rowPixels - x) {
                return BMP_RLE_OUTSIDE;
            }
            for (uint32_t i = 0; row && i < code; ++i) {
                const uint32_t b = bits == 8 ? file[p + i] : file[p + i / 2];
                PutPixel(row, x + i, bits, bits == 8 ? b : i & 1 ? b & 0x0F : b >> 4);
            }
            p += bytes + (bytes & 1);
            x += code;
        }
    }
}
