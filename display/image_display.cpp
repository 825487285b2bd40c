// The deferred display path: an image is put into the window's buffer in the
// store and the window is only invalidated; its next paint draws it.
#include <string.h>
#include <windows.h>

#include "bitmap_store.h"
#include "bmp_file.h"
#include "bmp_headers.h"
#include "display.h"
#include "gray_rgb_to_bmp.h"
#include "image_sizes.h"
#include "mmp.h"

namespace {

// A BMP header holds 16-bit sizes only in this library; larger ones cannot
// be described, so such images are refused.
bool HeaderSize(uint32_t width, uint32_t height) { return width <= 0xFFFF && height <= 0xFFFF; }

// The image is in the window's buffer: mark it shown and have the whole
// client area repainted.
int32_t Invalidate(HWND window) {
    ImageShown = 1;
    return InvalidateRect(window, nullptr, TRUE);
}

// The MMP and gray converters write rows without padding; the stored image
// gets its rows padded to 4 bytes, so any width is drawn right. For widths
// that are multiples of 4 nothing moves. Both request four bytes beyond the
// image, as callers of this path always did.
int32_t DisplayMmp(HWND window, const uint8_t* file) {
    uint16_t width = 0, height = 0;
    AnalyseFileHeader(TYPE_MMP, &width, &height, file);
    uint8_t* image = AcquireImageBuffer(window, Bmp24ImageBytes(width, height) + 4);
    if (!image) {
        return 0;
    }
    ConvertMMP2Bitmap(width, height, file + MMP_HEADER_SIZE, image);
    PadBitmapRows(image + BMP_HEADERS_SIZE, 3u * width,
                  static_cast<uint32_t>(PaddedRowBytes(width, 24)), height);
    return Invalidate(window);
}

int32_t DisplayGray(HWND window, uint32_t width, uint32_t height, const uint8_t* plane) {
    uint8_t* image =
        HeaderSize(width, height) ? AcquireImageBuffer(window, Bmp8ImageBytes(width, height) + 4) : nullptr;
    if (!image) {
        return 0;
    }
    ConvertRaw2Bitmap(width, height, plane, image);
    PadBitmapRows(image + GRAY_BMP_PIXELS_OFFSET, width,
                  static_cast<uint32_t>(PaddedRowBytes(width, 8)), height);
    return Invalidate(window);
}

// RGB (red first) or BGR pixels, top row first.
int32_t DisplayInterleaved(HWND window, uint32_t width, uint32_t height, const uint8_t* data,
                           int redFirst) {
    uint8_t* image =
        HeaderSize(width, height) ? AcquireImageBuffer(window, Bmp24ImageBytes(width, height)) : nullptr;
    if (!image) {
        return 0;
    }
    ConvertInterleavedToBitmap(width, height, data, redFirst, image);
    return Invalidate(window);
}

} // namespace

int32_t DISPLAY_CALL DisplayBMP(HWND window, const uint8_t* data) {
    BmpFileLayout layout;
    if (AnalyseBmpFile(data, UINT64_MAX, &layout) != BMP_SHOWABLE) {
        return 0;
    }
    uint8_t* image = AcquireBitmap(window, layout.storedLength);
    if (!image) {
        return 0;
    }
    StoreBmpImage(data, &layout, image);
    return Invalidate(window);
}

int32_t DISPLAY_CALL DisplayBMP24(HWND window, uint32_t width, uint32_t height,
                                  const uint8_t* pixels) {
    const uint64_t length = Bmp24ImageBytes(width, height);
    uint8_t* image = HeaderSize(width, height) ? AcquireImageBuffer(window, length) : nullptr;
    if (!image) {
        return 0;
    }
    WriteBmpHeaders(image, width, height, 24);
    memcpy(image + BMP_HEADERS_SIZE, pixels, static_cast<size_t>(length) - BMP_HEADERS_SIZE);
    Invalidate(window);
    return 1;
}

int32_t DISPLAY_CALL DisplayImage(HWND window, uint32_t type, uint32_t width, uint32_t height,
                                  const uint8_t* data) {
    switch (type & 0xFF) {
    case TYPE_BMP: return DisplayBMP(window, data);
    case TYPE_MMP: return DisplayMmp(window, data);
    case TYPE_GRAY: return DisplayGray(window, width, height, data);
    case TYPE_RGB: return DisplayInterleaved(window, width, height, data, 1);
    case TYPE_BGR: return DisplayInterleaved(window, width, height, data, 0);
    default: return 0;
    }
}
