#include "yuv_image.h"

#include "bitmap_store.h"
#include "chroma_geometry.h"
#include "enlarge.h"
#include "image_sizes.h"

uint8_t* BuildYuvImage(HWND window, uint32_t type, uint32_t width, uint32_t height, const uint8_t* yPlane,
                       const int8_t* uPlane, const int8_t* vPlane) {
    uint8_t* image = AcquireImageBuffer(window, Rgb24ImageBytes(width & 0xFFFF, height & 0xFFFF));
    if (!image) {
        return nullptr;
    }
    ConvertYUV2Bitmap(type, width, height, yPlane, uPlane, vPlane, image);
    ImageShown = 1;
    return image;
}

uint8_t* BuildDoubleSizeYuvImage(HWND window, uint32_t type, uint32_t width, uint32_t height,
                                 const uint8_t* yPlane, const int8_t* uPlane, const int8_t* vPlane) {
    const uint32_t w = width & 0xFFFF, h = height & 0xFFFF, code = type & 0xFF;
    // Every plane enlarged must have 2 x 2 samples at least, and the doubled
    // size must fit the conversion's 16-bit sizes.
    if (w < 2 || h < 2 || 2 * w > 0xFFFF || 2 * h > 0xFFFF || uint64_t{w} * h > DOUBLE_SIZE_MAX_PIXELS) {
        return nullptr;
    }
    // The chroma planes as the conversion reads them (TYPE_YUV411: width/4 x
    // height).
    const int hasChroma = HasChromaPlanes(code);
    const uint32_t cw = ChromaPlaneWidth(code, w), ch = ChromaPlaneHeight(code, h);
    if (hasChroma && (cw < 2 || ch < 2)) {
        return nullptr;
    }
    if (!window || !ScratchPlanes.luma) {
        return nullptr;
    }

    EnlargeLuma(w, h, yPlane, ScratchPlanes.luma);
    if (hasChroma) {
        EnlargeChroma(cw, ch, uPlane, ScratchPlanes.cb);
        EnlargeChroma(cw, ch, vPlane, ScratchPlanes.cr);
    }
    uint8_t* image = AcquireImageBuffer(window, Rgb24ImageBytes(2 * w, 2 * h));
    if (!image) {
        return nullptr;
    }
    ConvertYUV2Bitmap(type, 2 * w, 2 * h, ScratchPlanes.luma, ScratchPlanes.cb, ScratchPlanes.cr, image);
    ImageShown = 1;
    return image;
}
