#include "deferred_image.h"

#include <string.h>

#include "bitmap_store.h"
#include "bmp_file.h"
#include "bmp_headers.h"
#include "bmp_rows.h"
#include "gray_rgb_to_bmp.h"
#include "image_sizes.h"
#include "mmp.h"

namespace {

// A BMP header holds 16-bit sizes only in this library; larger ones cannot
// be described, so such images are refused.
bool HeaderSize(uint32_t width, uint32_t height) { return width <= 0xFFFF && height <= 0xFFFF; }

uint8_t* Shown(uint8_t* image) {
    ImageShown = 1;
    return image;
}

// The MMP and gray converters write rows without padding; the stored image
// gets its rows padded to 4 bytes, so any width is drawn right. For widths
// that are multiples of 4 nothing moves. Both request four bytes beyond the
// image, as callers of this path always did.
uint8_t* BuildMmpImage(HWND window, const uint8_t* file) {
    uint16_t width = 0, height = 0;
    ReadMmpSize(file, &width, &height);
    uint8_t* image = AcquireImageBuffer(window, Bmp24ImageBytes(width, height) + 4);
    if (!image) {
        return nullptr;
    }
    ConvertMMP2Bitmap(width, height, file + MMP_HEADER_SIZE, image);
    PadBitmapRows(image + BMP_HEADERS_SIZE, 3u * width, static_cast<uint32_t>(PaddedRowBytes(width, 24)), height);
    return Shown(image);
}

uint8_t* BuildGrayImage(HWND window, uint32_t width, uint32_t height, const uint8_t* plane) {
    uint8_t* image =
        HeaderSize(width, height) ? AcquireImageBuffer(window, Bmp8ImageBytes(width, height) + 4) : nullptr;
    if (!image) {
        return nullptr;
    }
    ConvertRaw2Bitmap(width, height, plane, image);
    PadBitmapRows(image + GRAY_BMP_PIXELS_OFFSET, width, static_cast<uint32_t>(PaddedRowBytes(width, 8)), height);
    return Shown(image);
}

// RGB (red first) or BGR pixels, top row first.
uint8_t* BuildInterleavedImage(HWND window, uint32_t width, uint32_t height, const uint8_t* data, int redFirst) {
    uint8_t* image =
        HeaderSize(width, height) ? AcquireImageBuffer(window, Bmp24ImageBytes(width, height)) : nullptr;
    if (!image) {
        return nullptr;
    }
    ConvertInterleavedToBitmap(width, height, data, redFirst, image);
    return Shown(image);
}

} // namespace

uint8_t* BuildBmpImage(HWND window, const uint8_t* file) {
    BmpFileLayout layout;
    if (AnalyseBmpFile(file, UINT64_MAX, &layout) != BMP_SHOWABLE) {
        return nullptr;
    }
    uint8_t* image = AcquireBitmap(window, layout.storedLength);
    if (!image) {
        return nullptr;
    }
    StoreBmpImage(file, &layout, image);
    return Shown(image);
}

uint8_t* BuildBmp24Image(HWND window, uint32_t width, uint32_t height, const uint8_t* pixels) {
    const uint64_t length = Bmp24ImageBytes(width, height);
    uint8_t* image = HeaderSize(width, height) ? AcquireImageBuffer(window, length) : nullptr;
    if (!image) {
        return nullptr;
    }
    WriteBmpHeaders(image, width, height, 24);
    memcpy(image + BMP_HEADERS_SIZE, pixels, static_cast<size_t>(length) - BMP_HEADERS_SIZE);
    return Shown(image);
}

uint8_t* BuildImage(HWND window, uint32_t type, uint32_t width, uint32_t height, const uint8_t* data) {
    switch (type & 0xFF) {
    case TYPE_BMP: return BuildBmpImage(window, data);
    case TYPE_MMP: return BuildMmpImage(window, data);
    case TYPE_GRAY: return BuildGrayImage(window, width, height, data);
    case TYPE_RGB: return BuildInterleavedImage(window, width, height, data, 1);
    case TYPE_BGR: return BuildInterleavedImage(window, width, height, data, 0);
    default: return nullptr;
    }
}
