#include "bmp_file.h"

#include <string.h>

#include "bmp_headers.h"
#include "image_sizes.h"
#include "stored_image.h"

namespace {

uint32_t Le16(const uint8_t* p) { return p[0] | p[1] << 8; }
uint32_t Le32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
void PutLe16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void PutLe32(uint8_t* p, uint32_t v) {
    PutLe16(p, v);
    PutLe16(p + 2, v >> 16);
}

// Offsets within the file image.
enum {
    OFF_BITS = 10,
    INFO = 14,
    INFO_WIDTH = 18,
    INFO_HEIGHT = 22,
    INFO_BIT_COUNT = 28,
    INFO_COMPRESSION = 30,
    INFO_SIZE_IMAGE = 34,
    INFO_X_PELS = 38,
    INFO_Y_PELS = 42,
    INFO_CLR_USED = 46,
    V4_MASKS = INFO + 40, // red, green and blue masks inside a 108- or 124-byte header
    // The 12-byte core header: 16-bit unsigned sizes, no compression, no
    // colour count; its colour table has 3-byte entries (blue, green, red).
    CORE_HEADER_SIZE = 12,
    CORE_WIDTH = 18,
    CORE_HEIGHT = 20,
    CORE_BIT_COUNT = 24
};

enum RleResult { RLE_DONE, RLE_OUTSIDE, RLE_CUT };

void PutPixel(uint8_t* row, uint64_t x, uint32_t bits, uint32_t index) {
    if (bits == 8) {
        row[static_cast<size_t>(x)] = static_cast<uint8_t>(index);
        return;
    }
    uint8_t& pair = row[static_cast<size_t>(x / 2)]; // the left pixel in the high nibble
    pair = static_cast<uint8_t>(x & 1 ? (pair & 0xF0) | index : (pair & 0x0F) | index << 4);
}

// Runs the RLE8 (8 bits) or RLE4 (4 bits) stream that starts at bfOffBits,
// reading no byte at or past `limit`. With `rows` null it only checks the
// stream; otherwise it writes into the bottom-up rows at `rows`, which the
// caller has zeroed (pixels the stream never sets keep index 0). A run may
// fill a row's padding, as some writers code whole padded rows; the position
// never leaves the rows: x up to the padded row's pixel count, y up to the
// row count (reached by the last row's end of line). RLE_DONE sets *end to
// the offset after the end-of-bitmap code.
int DecodeRle(const uint8_t* file, const BmpFileLayout& l, uint32_t limit, uint8_t* rows,
              uint64_t* end) {
    const uint32_t bits = l.bitCount;
    const uint64_t rowPixels = uint64_t{l.rowBytes} * 8 / bits;
    uint64_t x = 0;
    uint32_t p = l.pixelOffset, y = 0;
    if (p > limit) {
        return RLE_CUT;
    }
    // p <= limit throughout: every step first checks that its bytes are there.
    for (;;) {
        if (limit - p < 2) {
            return RLE_CUT;
        }
        const uint32_t count = file[p], code = file[p + 1];
        p += 2;
        uint8_t* row = rows ? rows + size_t{y} * l.rowBytes : nullptr;
        if (count != 0) {
            // Encoded run: one index, or at 4 bits two alternating ones.
            if (y >= l.rows || count > rowPixels - x) {
                return RLE_OUTSIDE;
            }
            for (uint32_t i = 0; row && i < count; ++i) {
                PutPixel(row, x + i, bits, bits == 8 ? code : i & 1 ? code & 0x0F : code >> 4);
            }
            x += count;
        } else if (code == 0) { // end of line
            if (y >= l.rows) {
                return RLE_OUTSIDE;
            }
            x = 0;
            ++y;
        } else if (code == 1) { // end of bitmap
            *end = p;
            return RLE_DONE;
        } else if (code == 2) { // delta: move right and up
            if (limit - p < 2) {
                return RLE_CUT;
            }
            const uint32_t dx = file[p], dy = file[p + 1];
            p += 2;
            if (dx > rowPixels - x || dy > l.rows - y) {
                return RLE_OUTSIDE;
            }
            x += dx;
            y += dy;
        } else { // absolute run of `code` pixels, padded to a 16-bit boundary
            const uint32_t bytes = bits == 8 ? code : (code + 1) / 2;
            if (limit - p < bytes + (bytes & 1)) {
                return RLE_CUT;
            }
            if (y >= l.rows || code > rowPixels - x) {
                return RLE_OUTSIDE;
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

} // namespace

int AnalyseBmpFile(const uint8_t* file, uint64_t available, BmpFileLayout* layout) {
    BmpFileLayout l;
    memset(&l, 0, sizeof l);
    if (available < 2) {
        return BMP_TRUNCATED;
    }
    if (Le16(file) != BMP_TYPE_BM) {
        return BMP_UNSUPPORTED;
    }
    if (available < INFO + 4) {
        return BMP_TRUNCATED;
    }
    l.infoSize = Le32(file + INFO);
    const int core = l.infoSize == CORE_HEADER_SIZE;
    if (!core && l.infoSize != 40 && l.infoSize != 108 && l.infoSize != 124) {
        return BMP_UNSUPPORTED; // the 64-byte OS/2 header and other versions
    }
    if (available < INFO + l.infoSize) {
        return BMP_TRUNCATED;
    }
    int32_t width, height;
    uint32_t clrUsed = 0;
    if (core) {
        width = static_cast<int32_t>(Le16(file + CORE_WIDTH));
        height = static_cast<int32_t>(Le16(file + CORE_HEIGHT));
        l.bitCount = Le16(file + CORE_BIT_COUNT);
        l.compression = BMP_COMPRESSION_RGB;
    } else {
        width = static_cast<int32_t>(Le32(file + INFO_WIDTH));
        height = static_cast<int32_t>(Le32(file + INFO_HEIGHT));
        l.bitCount = Le16(file + INFO_BIT_COUNT);
        l.compression = Le32(file + INFO_COMPRESSION);
        clrUsed = Le32(file + INFO_CLR_USED);
    }
    l.pixelOffset = Le32(file + OFF_BITS);

    const uint32_t bits = l.bitCount;
    const int rle = (l.compression == BMP_COMPRESSION_RLE8 && bits == 8) ||
                    (l.compression == BMP_COMPRESSION_RLE4 && bits == 4);
    if (!rle && !BmpPixelFormatDrawable(bits, l.compression)) {
        return BMP_UNSUPPORTED; // other bit counts and compressions
    }
    if (core && bits != 1 && bits != 4 && bits != 8 && bits != 24) {
        return BMP_UNSUPPORTED;
    }
    const int bitFields = l.compression == BMP_COMPRESSION_BITFIELDS;
    if (width < 0 || height == INT32_MIN) {
        return BMP_UNSUPPORTED;
    }
    l.width = static_cast<uint32_t>(width);
    l.topDown = height < 0;
    l.rows = static_cast<uint32_t>(l.topDown ? -height : height);
    if (rle && l.topDown) {
        return BMP_UNSUPPORTED; // run-length rows are always stored bottom-up
    }

    // Colours: up to 8 bits a table of at most 2^bits entries; a true-colour
    // image may carry an optional table, which is skipped. A core header has
    // no count: its table is full.
    const uint32_t maxColours = bits <= 8 ? 1u << bits : 256;
    if (clrUsed > maxColours) {
        return BMP_UNSUPPORTED;
    }
    const uint32_t fileEntries = ImageColourCount(clrUsed, bits);
    const uint32_t entryBytes = core ? 3 : 4;
    l.entries = bits <= 8 ? fileEntries : 0;

    // Bit-field masks follow a 40-byte header; later headers hold them.
    uint32_t headerEnd = INFO + l.infoSize;
    if (bitFields) {
        const uint32_t masksAt =
            l.infoSize == BMP_INFO_HEADER_SIZE ? headerEnd : static_cast<uint32_t>(V4_MASKS);
        if (l.infoSize == BMP_INFO_HEADER_SIZE) {
            headerEnd += BMP_BITFIELD_MASKS_SIZE;
            if (available < headerEnd) {
                return BMP_TRUNCATED;
            }
        }
        for (int i = 0; i < 3; ++i) {
            l.masks[i] = Le32(file + masksAt + 4 * i);
        }
    }
    l.tableOffset = headerEnd;

    const uint64_t rowBytes = PaddedRowBytes(l.width, bits);
    if (!ImageLengthFits(rowBytes)) {
        return BMP_UNSUPPORTED;
    }
    l.rowBytes = static_cast<uint32_t>(rowBytes);
    const uint64_t rowsBytes = rowBytes * l.rows; // below 2^63

    // The classic file: stored as it is, its length from the info header
    // alone (54 bytes, the table by the low 16 bits of biClrUsed or by the bit
    // count, the rows).
    const uint32_t ruleTable = clrUsed ? 4 * (clrUsed & 0xFFFF) : bits <= 8 ? 4u << bits : 0;
    uint64_t stored;
    if (l.infoSize == BMP_INFO_HEADER_SIZE && l.compression == BMP_COMPRESSION_RGB && !l.topDown &&
        l.pixelOffset == BMP_HEADERS_SIZE + ruleTable) {
        l.unchanged = 1;
        stored = BMP_HEADERS_SIZE + uint64_t{ruleTable} + rowsBytes;
        l.fileLength = stored;
    } else {
        // Rows must not start inside the headers or the colour table.
        if (l.pixelOffset < uint64_t{l.tableOffset} + entryBytes * uint64_t{fileEntries}) {
            return BMP_UNSUPPORTED;
        }
        stored = BMP_HEADERS_SIZE + (bitFields ? BMP_BITFIELD_MASKS_SIZE : 0) + 4 * uint64_t{l.entries} +
                 rowsBytes;
        l.fileLength = uint64_t{l.pixelOffset} + (rle ? 0 : rowsBytes);
    }
    if (!ImageLengthFits(stored) || !ImageLengthFits(l.fileLength)) {
        return BMP_UNSUPPORTED;
    }
    if (rle) {
        if (stored > BMP_DECODED_LENGTH_MAX) {
            return BMP_UNSUPPORTED;
        }
        // The stream's length: biSizeImage, or else what bfSize leaves after
        // bfOffBits. Decoding reads no further, nor past the file's end.
        const uint32_t fileSize = Le32(file + 2);
        const uint64_t streamLength = Le32(file + INFO_SIZE_IMAGE)
                                          ? Le32(file + INFO_SIZE_IMAGE)
                                          : fileSize > l.pixelOffset ? fileSize - l.pixelOffset : 0;
        const uint64_t streamEnd = l.pixelOffset + streamLength;
        if (streamLength == 0) {
            return BMP_DAMAGED;
        }
        if (!ImageLengthFits(streamEnd)) {
            return BMP_UNSUPPORTED;
        }
        const uint32_t limit = static_cast<uint32_t>(streamEnd < available ? streamEnd : available);
        switch (DecodeRle(file, l, limit, nullptr, &l.fileLength)) {
        case RLE_DONE: break;
        case RLE_CUT: return limit < streamEnd ? BMP_TRUNCATED : BMP_DAMAGED;
        default: return BMP_DAMAGED;
        }
    } else if (l.fileLength > available) {
        return BMP_TRUNCATED;
    }
    l.storedLength = static_cast<uint32_t>(stored);
    *layout = l;
    return BMP_SHOWABLE;
}

void StoreBmpImage(const uint8_t* file, const BmpFileLayout* layout, uint8_t* image) {
    const BmpFileLayout& l = *layout;
    if (l.unchanged) {
        memcpy(image, file, l.storedLength);
        return;
    }
    const int bitFields = l.compression == BMP_COMPRESSION_BITFIELDS;
    const uint32_t extra = bitFields ? uint32_t{BMP_BITFIELD_MASKS_SIZE} : 4 * l.entries;
    memset(image, 0, BMP_HEADERS_SIZE);
    PutLe16(image, BMP_TYPE_BM);
    PutLe32(image + 2, l.storedLength);
    PutLe32(image + OFF_BITS, BMP_HEADERS_SIZE + extra);
    PutLe32(image + INFO, BMP_INFO_HEADER_SIZE);
    PutLe32(image + INFO_WIDTH, l.width);
    PutLe32(image + INFO_HEIGHT, l.rows);
    PutLe16(image + INFO + 12, 1); // planes
    PutLe16(image + INFO_BIT_COUNT, l.bitCount);
    PutLe32(image + INFO_COMPRESSION, bitFields ? BMP_COMPRESSION_BITFIELDS : BMP_COMPRESSION_RGB);
    PutLe32(image + INFO_SIZE_IMAGE, l.rowBytes * l.rows);
    if (l.infoSize != CORE_HEADER_SIZE) {
        memcpy(image + INFO_X_PELS, file + INFO_X_PELS, 8); // a core header has no resolution
    }
    PutLe32(image + INFO_CLR_USED, l.entries);
    uint8_t* table = image + BMP_HEADERS_SIZE;
    if (bitFields) {
        for (int i = 0; i < 3; ++i) {
            PutLe32(table + 4 * i, l.masks[i]);
        }
    } else if (l.infoSize == CORE_HEADER_SIZE) {
        for (uint32_t i = 0; i < l.entries; ++i) {
            memcpy(table + 4 * i, file + l.tableOffset + 3 * i, 3);
            table[4 * i + 3] = 0;
        }
    } else {
        memcpy(table, file + l.tableOffset, 4 * size_t{l.entries});
    }
    uint8_t* out = image + BMP_HEADERS_SIZE + extra;
    if (l.compression == BMP_COMPRESSION_RLE8 || l.compression == BMP_COMPRESSION_RLE4) {
        // Analysis ran this stream to its end-of-bitmap code without a fault.
        memset(out, 0, size_t{l.rowBytes} * l.rows);
        uint64_t end;
        DecodeRle(file, l, static_cast<uint32_t>(l.fileLength), out, &end);
        return;
    }
    // Bottom-up rows (none to copy at width 0, however many the header counts).
    for (uint32_t i = 0; l.rowBytes != 0 && i < l.rows; ++i, out += l.rowBytes) {
        const uint32_t source = l.topDown ? l.rows - 1 - i : i;
        memcpy(out, file + l.pixelOffset + size_t{source} * l.rowBytes, l.rowBytes);
    }
}
