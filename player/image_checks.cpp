#include "image_checks.h"

#include "bmp_file.h"
#include "display.h"
#include "mmp.h"

const char* CheckWholeImageFile(int kind, const uint8_t* data, uint32_t size) {
    if (kind == TYPE_BMP) {
        BmpFileLayout layout;
        switch (AnalyseBmpFile(data, size, &layout)) {
        case BMP_SHOWABLE: return nullptr;
        case BMP_TRUNCATED: return "Bitmap file too short!";
        default: return "Unsupported bitmap file!";
        }
    }
    if (size < MMP_HEADER_SIZE) {
        return "MMP file too short!";
    }
    const uint32_t width = data[12] | data[13] << 8;
    const uint32_t height = data[14] | data[15] << 8;
    if (MMP_HEADER_SIZE + MmpPixelBytes(width, height) > size) {
        return "MMP file too short!";
    }
    // The conversion writes unpadded rows, which paint only for widths that
    // are a multiple of 4; any other size would leave an empty window.
    if (width == 0 || height == 0 || width % 4 != 0) {
        return "Unsupported MMP image size!";
    }
    return nullptr;
}
