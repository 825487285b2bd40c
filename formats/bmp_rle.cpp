#include "bmp_rle.h"

#include <stddef.h>
#include <string.h>

namespace {

// Sets pixel x of a 4-bit row; the left pixel of a byte is its high nibble.
void PutNibble(uint8_t* row, uint64_t x, uint32_t index) {
    uint8_t& pair = row[static_cast<size_t>(x / 2)];
    pair = static_cast<uint8_t>(x & 1 ? (pair & 0xF0) | index : (pair & 0x0F) | index << 4);
}

// Writes `count` 4-bit pixels from x that alternate first, second, first...
// From the first byte boundary on, whole bytes are set at once.
void FillNibbles(uint8_t* row, uint64_t x, uint32_t count, uint32_t first, uint32_t second) {
    if (count == 0) {
        return;
    }
    if (x & 1) {
        PutNibble(row, x++, first);
        const uint32_t next = second;
        second = first;
        first = next;
        --count;
    }
    memset(row + x / 2, static_cast<int>(first << 4 | second), count / 2);
    if (count & 1) {
        PutNibble(row, x + count - 1, first);
    }
}

// Copies `count` 4-bit pixels packed from `source` (high nibble first) to x.
// From an odd x, each whole byte of the row takes the low nibble of one
// source byte and the high nibble of the next.
void CopyNibbles(uint8_t* row, uint64_t x, uint32_t count, const uint8_t* source) {
    if (count == 0) {
        return;
    }
    if ((x & 1) == 0) {
        memcpy(row + x / 2, source, count / 2);
        if (count & 1) {
            PutNibble(row, x + count - 1, source[count / 2] >> 4);
        }
        return;
    }
    PutNibble(row, x, source[0] >> 4);
    uint8_t* out = row + (x + 1) / 2;
    const uint32_t pairs = (count - 1) / 2;
    for (uint32_t k = 0; k < pairs; ++k) {
        out[k] = static_cast<uint8_t>((source[k] & 0x0F) << 4 | source[k + 1] >> 4);
    }
    if ((count - 1) & 1) {
        PutNibble(row, x + count - 1, source[pairs] & 0x0F);
    }
}

// An encoded run: `count` pixels of one index, or at 4 bits of the two
// indexes in `code`'s nibbles, alternating.
void FillRun(uint8_t* row, uint64_t x, uint32_t count, uint32_t bits, uint32_t code) {
    if (bits == 8) {
        memset(row + static_cast<size_t>(x), static_cast<int>(code), count);
    } else {
        FillNibbles(row, x, count, code >> 4, code & 0x0F);
    }
}

// An absolute run: `count` pixels as stored at `source`.
void CopyRun(uint8_t* row, uint64_t x, uint32_t count, uint32_t bits, const uint8_t* source) {
    if (bits == 8) {
        memcpy(row + static_cast<size_t>(x), source, count);
    } else {
        CopyNibbles(row, x, count, source);
    }
}

} // namespace

int DecodeBmpRle(const uint8_t* file, const BmpFileLayout* layout, uint32_t limit, uint8_t* rows, uint64_t* end) {
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
        if (count != 0) {
            // Encoded run: one index, or at 4 bits two alternating ones.
            if (y >= l.rows || count > rowPixels - x) {
                return BMP_RLE_OUTSIDE;
            }
            if (rows) {
                FillRun(rows + size_t{y} * l.rowBytes, x, count, bits, code);
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
            if (rows) {
                CopyRun(rows + size_t{y} * l.rowBytes, x, code, bits, file + p);
            }
            p += bytes + (bytes & 1);
            x += code;
        }
    }
}
