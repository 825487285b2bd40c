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
    INFO_X_PELS = 38,
    INFO_Y_PELS = 42,
    INFO_CLR_USED = 46,
    V4_MASKS = INFO + 40 // red, green and blue masks inside a 108- or 124-byte header
};

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
    if (l.infoSize != 40 && l.infoSize != 108 && l.infoSize != 124) {
        return BMP_UNSUPPORTED; // OS/2 and other header versions
    }
    if (available < INFO + l.infoSize) {
        return BMP_TRUNCATED;
    }
    const int32_t width = static_cast<int32_t>(Le32(file + INFO_WIDTH));
    const int32_t height = static_cast<int32_t>(Le32(file + INFO_HEIGHT));
    l.bitCount = Le16(file + INFO_BIT_COUNT);
    l.compression = Le32(file + INFO_COMPRESSION);
    const uint32_t clrUsed = Le32(file + INFO_CLR_USED);
    l.pixelOffset = Le32(file + OFF_BITS);

    const uint32_t bits = l.bitCount;
    if (!BmpPixelFormatDrawable(bits, l.compression)) {
        return BMP_UNSUPPORTED; // other bit counts, compressed rows
    }
    const int bitFields = l.compression == BMP_COMPRESSION_BITFIELDS;
    if (width < 0 || height == INT32_MIN) {
        return BMP_UNSUPPORTED;
    }
    l.width = static_cast<uint32_t>(width);
    l.topDown = height < 0;
    l.rows = static_cast<uint32_t>(l.topDown ? -height : height);

    // Colours: up to 8 bits a table of at most 2^bits entries; a true-colour
    // image may carry an optional table, which is skipped.
    const uint32_t maxColours = bits <= 8 ? 1u << bits : 256;
    if (clrUsed > maxColours) {
        return BMP_UNSUPPORTED;
    }
    const uint32_t fileEntries = ImageColourCount(clrUsed, bits);
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
    if (l.infoSize == BMP_INFO_HEADER_SIZE && !bitFields && !l.topDown &&
        l.pixelOffset == BMP_HEADERS_SIZE + ruleTable) {
        l.unchanged = 1;
        stored = BMP_HEADERS_SIZE + uint64_t{ruleTable} + rowsBytes;
        l.fileLength = stored;
    } else {
        // Rows must not start inside the headers or the colour table.
        if (l.pixelOffset < uint64_t{l.tableOffset} + 4 * uint64_t{fileEntries}) {
            return BMP_UNSUPPORTED;
        }
        stored = BMP_HEADERS_SIZE + (bitFields ? BMP_BITFIELD_MASKS_SIZE : 0) + 4 * uint64_t{l.entries} +
                 rowsBytes;
        l.fileLength = uint64_t{l.pixelOffset} + rowsBytes;
    }
    if (!ImageLengthFits(stored) || !ImageLengthFits(l.fileLength)) {
        return BMP_UNSUPPORTED;
    }
    if (l.fileLength > available) {
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
    PutLe32(image + INFO_COMPRESSION, l.compression);
    PutLe32(image + INFO + 20, l.rowBytes * l.rows); // image size
    memcpy(image + INFO_X_PELS, file + INFO_X_PELS, 8);
    PutLe32(image + INFO_CLR_USED, l.entries);
    if (bitFields) {
        for (int i = 0; i < 3; ++i) {
            PutLe32(image + BMP_HEADERS_SIZE + 4 * i, l.masks[i]);
        }
    } else {
        memcpy(image + BMP_HEADERS_SIZE, file + l.tableOffset, 4 * size_t{l.entries});
    }
    // Bottom-up rows (none to copy at width 0, however many the header counts).
    uint8_t* out = image + BMP_HEADERS_SIZE + extra;
    for (uint32_t i = 0; l.rowBytes != 0 && i < l.rows; ++i, out += l.rowBytes) {
        const uint32_t source = l.topDown ? l.rows - 1 - i : i;
        memcpy(out, file + l.pixelOffset + size_t{source} * l.rowBytes, l.rowBytes);
    }
}
