#include "image_pixels.h"

#include <string.h>

#include "bmp_headers.h"
#include "image_sizes.h"
#include "stored_image.h"

namespace {

uint32_t Le32(const uint8_t* p) {
    return p[0] | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// The masked bits of `pixel` as 8 bits, as the platform draws them: fewer
// bits repeated from the top (5 bits abcde give abcdeabc), more cut to their
// top 8.
uint8_t Channel(uint32_t pixel, uint32_t mask) {
    if (mask == 0) {
        return 0;
    }
    uint32_t shift = 0, bits = 0;
    while (!(mask >> shift & 1)) {
        ++shift;
    }
    while (shift + bits < 32 && (mask >> (shift + bits) & 1)) {
        ++bits;
    }
    const uint32_t value = (pixel & mask) >> shift;
    if (bits >= 8) {
        return static_cast<uint8_t>(value >> (bits - 8));
    }
    uint32_t out = 0;
    for (int filled = 0; filled < 8; filled += static_cast<int>(bits)) {
        out |= 8 - filled >= static_cast<int>(bits) ? value << (8 - filled - bits)
                                                    : value >> (bits - 8 + filled);
    }
    return static_cast<uint8_t>(out);
}

} // namespace

int StoredImagePixel(const uint8_t* image, uint32_t capacity, uint32_t x, uint32_t y, uint8_t rgb[3]) {
    if (!image || !StoredImageFits(image, capacity)) {
        return 0;
    }
    BmpInfoHeader info;
    memcpy(&info, image + BMP_FILE_HEADER_SIZE, sizeof info);
    const uint32_t width = static_cast<uint32_t>(info.biWidth);
    const uint32_t height = static_cast<uint32_t>(info.biHeight);
    if (x >= width || y >= height) {
        return 0;
    }
    const uint32_t bits = info.biBitCount;
    const uint32_t offset = Le32(image + 10); // bfOffBits
    const uint64_t row = PaddedRowBytes(width, bits);
    const uint8_t* line = image + offset + row * (height - 1 - y); // bottom-up rows
    const uint8_t* table = image + BMP_HEADERS_SIZE;
    if (bits <= 8) {
        const uint32_t bitAt = x * bits;
        const uint32_t index = (line[bitAt / 8] >> (8 - bits - bitAt % 8)) & ((1u << bits) - 1);
        if (index >= ImageColourCount(info.biClrUsed, bits)) {
            rgb[0] = rgb[1] = rgb[2] = 0; // outside the table: what the platform draws
            return 1;
        }
        const uint8_t* entry = table + 4 * index;
        rgb[0] = entry[2];
        rgb[1] = entry[1];
        rgb[2] = entry[0];
        return 1;
    }
    if (bits == 24) {
        const uint8_t* p = line + 3 * x;
        rgb[0] = p[2];
        rgb[1] = p[1];
        rgb[2] = p[0];
        return 1;
    }
    const bool fields = info.biCompression == BMP_COMPRESSION_BITFIELDS;
    const uint32_t pixel =
        bits == 16 ? uint32_t{line[2 * x]} | uint32_t{line[2 * x + 1]} << 8 : Le32(line + 4 * x);
    const uint32_t masks16[3] = {0x7C00, 0x03E0, 0x001F};
    const uint32_t masks32[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    for (int c = 0; c < 3; ++c) {
        const uint32_t mask = fields ? Le32(table + 4 * c) : bits == 16 ? masks16[c] : masks32[c];
        rgb[c] = Channel(pixel, mask);
    }
    return 1;
}
