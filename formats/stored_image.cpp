#include "stored_image.h"

#include "bmp_headers.h"
#include "image_sizes.h"

int StoredImageFits(const uint8_t* image, uint32_t capacity) {
    if (!image || capacity < BMP_HEADERS_SIZE) {
        return 0;
    }
    BmpFileHeader file;
    BmpInfoHeader info;
    GetBmpHeaders(image, &file, &info);
    if (file.bfType != BMP_TYPE_BM || info.biSize != BMP_INFO_HEADER_SIZE || info.biWidth <= 0 ||
        info.biHeight <= 0) {
        return 0;
    }
    const uint32_t bits = info.biBitCount;
    if (!BmpPixelFormatDrawable(bits, info.biCompression)) {
        return 0;
    }
    uint64_t headers = BMP_HEADERS_SIZE + 4 * uint64_t{ImageColourCount(info.biClrUsed, bits)};
    if (info.biCompression == BMP_COMPRESSION_BITFIELDS) {
        headers += BMP_BITFIELD_MASKS_SIZE;
    }
    const uint64_t stride = PaddedRowBytes(static_cast<uint32_t>(info.biWidth), bits);
    const uint64_t end = file.bfOffBits + stride * static_cast<uint32_t>(info.biHeight);
    return headers <= capacity && end <= capacity;
}
