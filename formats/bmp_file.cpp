#include "bmp_file.h"

#include <string.h>

#include "bmp_headers.h"
#include "bmp_rle.h"
#include "image_sizes.h"

int AnalyseBmpFile(const uint8_t* file, uint64_t available, BmpFileLayout* layout) {
    BmpFileLayout l;
    memset(&l, 0, sizeof l);
    // The headers are read field by field while the file may end inside
    // them, then copied into their records.
    uint16_t type;
    if (available < sizeof type) {
        return BMP_TRUNCATED;
    }
    memcpy(&type, file + offsetof(BmpFileHeader, bfType), sizeof type);
    if (type != BMP_TYPE_BM) {
        return BMP_UNSUPPORTED;
    }
    if (available < BMP_FILE_HEADER_SIZE + sizeof l.infoSize) {
        return BMP_TRUNCATED;
    }
    memcpy(&l.infoSize, file + BMP_FILE_HEADER_SIZE + offsetof(BmpInfoHeader, biSize), sizeof l.infoSize);
    const int core = l.infoSize == BMP_CORE_HEADER_SIZE;
    if (!core && l.infoSize != BMP_INFO_HEADER_SIZE && l.infoSize != BMP_V4_HEADER_SIZE &&
        l.infoSize != BMP_V5_HEADER_SIZE) {
        return BMP_UNSUPPORTED; // the 64-byte OS/2 header and other versions
    }
    if (available < BMP_FILE_HEADER_SIZE + l.infoSize) {
        return BMP_TRUNCATED;
    }
    BmpFileHeader fileHeader;
    memcpy(&fileHeader, file, sizeof fileHeader);
    BmpInfoHeader info;
    memset(&info, 0, sizeof info);
    if (core) {
        BmpCoreHeader coreHeader;
        memcpy(&coreHeader, file + BMP_FILE_HEADER_SIZE, sizeof coreHeader);
        info.biWidth = coreHeader.bcWidth;
        info.biHeight = coreHeader.bcHeight;
        info.biBitCount = coreHeader.bcBitCount;
        info.biCompression = BMP_COMPRESSION_RGB;
    } else {
        memcpy(&info, file + BMP_FILE_HEADER_SIZE, sizeof info);
    }
    const int32_t width = info.biWidth, height = info.biHeight;
    const uint32_t clrUsed = info.biClrUsed;
    l.bitCount = info.biBitCount;
    l.compression = info.biCompression;
    l.pixelOffset = fileHeader.bfOffBits;

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
    const uint32_t maxColours = bits <= 8 ? ImageColourCount(0, bits) : 256;
    if (clrUsed > maxColours) {
        return BMP_UNSUPPORTED;
    }
    const uint32_t fileEntries = ImageColourCount(clrUsed, bits);
    const uint32_t entryBytes = core ? 3 : 4;
    l.entries = bits <= 8 ? fileEntries : 0;

    // Bit-field masks follow the 40 bytes of info-header fields: as 12 bytes
    // of their own after a 40-byte header, as the next fields of a later one.
    uint32_t headerEnd = BMP_FILE_HEADER_SIZE + l.infoSize;
    if (bitFields) {
        if (l.infoSize == BMP_INFO_HEADER_SIZE) {
            headerEnd += BMP_BITFIELD_MASKS_SIZE;
            if (available < headerEnd) {
                return BMP_TRUNCATED;
            }
        }
        memcpy(l.masks, file + BMP_HEADERS_SIZE, sizeof l.masks);
    }
    l.tableOffset = headerEnd;

    const uint64_t rowBytes = PaddedRowBytes(l.width, bits);
    if (!ImageLengthFits(rowBytes)) {
        return BMP_UNSUPPORTED;
    }
    l.rowBytes = static_cast<uint32_t>(rowBytes);
    const uint64_t rowsBytes = rowBytes * l.rows; // below 2^63

    // The classic file: stored as it is, its length from the info header
    // alone (54 bytes, the table by biClrUsed, which is at most 256 here, or
    // by the bit count, the rows).
    const uint32_t classicTable = 4 * fileEntries;
    uint64_t stored;
    if (l.infoSize == BMP_INFO_HEADER_SIZE && l.compression == BMP_COMPRESSION_RGB && !l.topDown &&
        l.pixelOffset == BMP_HEADERS_SIZE + classicTable) {
        l.unchanged = 1;
        stored = BMP_HEADERS_SIZE + uint64_t{classicTable} + rowsBytes;
        l.fileLength = stored;
    } else {
        // Rows must not start inside the headers or the colour table.
        if (l.pixelOffset < uint64_t{l.tableOffset} + entryBytes * uint64_t{fileEntries}) {
            return BMP_UNSUPPORTED;
        }
        stored =
            BMP_HEADERS_SIZE + (bitFields ? BMP_BITFIELD_MASKS_SIZE : 0) + 4 * uint64_t{l.entries} + rowsBytes;
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
        const uint32_t fileSize = fileHeader.bfSize;
        const uint64_t streamLength = info.biSizeImage           ? info.biSizeImage
                                      : fileSize > l.pixelOffset ? fileSize - l.pixelOffset
                                                                 : 0;
        const uint64_t streamEnd = l.pixelOffset + streamLength;
        if (streamLength == 0) {
            return BMP_DAMAGED;
        }
        if (!ImageLengthFits(streamEnd)) {
            return BMP_UNSUPPORTED;
        }
        const uint32_t limit = static_cast<uint32_t>(streamEnd < available ? streamEnd : available);
        switch (DecodeBmpRle(file, &l, limit, nullptr, &l.fileLength)) {
        case BMP_RLE_DONE: break;
        case BMP_RLE_CUT: return limit < streamEnd ? BMP_TRUNCATED : BMP_DAMAGED;
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
    const int core = l.infoSize == BMP_CORE_HEADER_SIZE;
    const int bitFields = l.compression == BMP_COMPRESSION_BITFIELDS;
    const uint32_t extra = bitFields ? uint32_t{BMP_BITFIELD_MASKS_SIZE} : 4 * l.entries;
    // The classic headers of the same picture. A core header has no
    // resolution; other headers keep theirs.
    BmpFileHeader fileHeader;
    BmpInfoHeader info;
    memset(&fileHeader, 0, sizeof fileHeader);
    memset(&info, 0, sizeof info);
    if (!core) {
        BmpInfoHeader source;
        memcpy(&source, file + BMP_FILE_HEADER_SIZE, sizeof source);
        info.biXPelsPerMeter = source.biXPelsPerMeter;
        info.biYPelsPerMeter = source.biYPelsPerMeter;
    }
    fileHeader.bfType = BMP_TYPE_BM;
    fileHeader.bfSize = l.storedLength;
    fileHeader.bfOffBits = BMP_HEADERS_SIZE + extra;
    info.biSize = BMP_INFO_HEADER_SIZE;
    info.biWidth = static_cast<int32_t>(l.width);
    info.biHeight = static_cast<int32_t>(l.rows);
    info.biPlanes = 1;
    info.biBitCount = static_cast<uint16_t>(l.bitCount);
    info.biCompression = bitFields ? BMP_COMPRESSION_BITFIELDS : BMP_COMPRESSION_RGB;
    info.biSizeImage = l.rowBytes * l.rows;
    info.biClrUsed = l.entries;
    PutBmpHeaders(image, &fileHeader, &info);

    uint8_t* table = image + BMP_HEADERS_SIZE;
    if (bitFields) {
        memcpy(table, l.masks, sizeof l.masks);
    } else if (core) {
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
        DecodeBmpRle(file, &l, static_cast<uint32_t>(l.fileLength), out, &end);
        return;
    }
    // Bottom-up rows (none to copy at width 0, however many the header counts).
    for (uint32_t i = 0; l.rowBytes != 0 && i < l.rows; ++i, out += l.rowBytes) {
        const uint32_t source = l.topDown ? l.rows - 1 - i : i;
        memcpy(out, file + l.pixelOffset + size_t{source} * l.rowBytes, l.rowBytes);
    }
}
