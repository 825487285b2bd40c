#include "image_checks.h"

#include "bmp_file.h"
#include "display.h"
#include "mmp_header.h"

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
    uint16_t width = 0, height = 0;
    ReadMmpSize(data, &width, &height);
    if (MMP_HEADER_SIZE + MmpPixelBytes(width, height) > size) {
        return "MMP file too short!";
    }
    // A picture without pixels would leave an empty window and no word why.
    // (Any other width paints: the library pads the rows it converts.)
    if (width == 0 || height == 0) {
        return "Empty MMP image!";
    }
    return nullptr;
}
