#include "mmp.h"

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "bmp_headers.h"
#include "conversion_tables.h"
#include "display.h"
#include "yuv_rows.h"

void UnpackMmpPixels(uint32_t width, uint32_t height, const uint8_t* groups, uint8_t* yPlane, int8_t* uPlane,
                     int8_t* vPlane) {
    const size_t count = size_t{MmpGroupsPerRow(width)} * (height & 0xFFFF);
    for (size_t i = 0; i < count; ++i, groups += MMP_GROUP_SIZE, yPlane += 4) {
        const uint32_t w0 = groups[0] | groups[1] << 8;
        const uint32_t w1 = groups[2] | groups[3] << 8;
        const uint32_t w2 = groups[4] | groups[5] << 8;
        yPlane[0] = static_cast<uint8_t>(w0 >> 4);
        yPlane[1] = static_cast<uint8_t>(w1 >> 8);
        yPlane[2] = static_cast<uint8_t>((w1 & 0xF) << 4 | w2 >> 12);
        yPlane[3] = static_cast<uint8_t>(w2);
        // Chroma arrives two bits at a time, most significant pair first.
        const uint32_t u = (w0 >> 14 & 3) << 6 | (w0 >> 2 & 3) << 4 | (w1 >> 6 & 3) << 2 | (w2 >> 10 & 3);
        const uint32_t v = (w0 >> 12 & 3) << 6 | (w0 & 3) << 4 | (w1 >> 4 & 3) << 2 | (w2 >> 8 & 3);
        uPlane[i] = static_cast<int8_t>(u);
        vPlane[i] = static_cast<int8_t>(v);
    }
}

void ConvertMmpPlanes(uint32_t width, uint32_t height, const uint8_t* yPlane, const int8_t* uPlane,
                      const int8_t* vPlane, uint8_t* pixels) {
    const uint32_t w = width & 0xFFFF;
    const uint32_t h = height & 0xFFFF;
    const uint32_t groups = MmpGroupsPerRow(w);
    const uint32_t whole = w / 4; // groups whose four pixels all lie in the row
    const size_t stride = size_t{3} * w;
    const uint8_t* clamp = Tables.ClampToByte + CLAMP_ZERO_INDEX;
    // The planes have the 4:1:1 geometry of the YUV conversion, so its row
    // kernel converts the whole groups of each row.
    const ColourConversion conv = ConversionOfMatrix(MATRIX_LIBRARY);
    const YuvRowKernels& k = ChosenRowKernels(*conv.terms);
    for (uint32_t r = 0; r < h; ++r) {
        uint8_t* out = pixels + (h - 1 - r) * stride;
        const uint8_t* y = yPlane + size_t{r} * 4 * groups;
        const int8_t* u = uPlane + size_t{r} * groups;
        const int8_t* v = vPlane + size_t{r} * groups;
        k.row411(y, u, v, out, whole, conv);
        // A last, partial group: the pixels inside the row, one by one; its
        // unused luma samples are skipped.
        if (whole < groups) {
            const ChromaTerms t = TermsOf(Tables, u[whole], v[whole]);
            for (uint32_t x = 4 * whole; x < w; ++x) {
                const int l = Tables.LumaFromY[y[x]];
                out[3 * x] = clamp[l + t.b];
                out[3 * x + 1] = clamp[l + t.g];
                out[3 * x + 2] = clamp[l + t.r];
            }
        }
    }
    k.finish();
}

void DISPLAY_CALL ConvertMMP2Bitmap(uint32_t width, uint32_t height, const uint8_t* groups, uint8_t* output) {
    const uint32_t w = width & 0xFFFF;
    const uint32_t h = height & 0xFFFF;
    WriteBmpHeaders(output, w, h, 24);
    const uint64_t chroma = uint64_t{MmpGroupsPerRow(w)} * h;
    if (chroma == 0 || 4 * chroma > SIZE_MAX) {
        return;
    }
    // Work planes for this call alone; without them the pixel area is left
    // as it was.
    uint8_t* y = static_cast<uint8_t*>(malloc(static_cast<size_t>(4 * chroma)));
    int8_t* u = static_cast<int8_t*>(malloc(static_cast<size_t>(chroma)));
    int8_t* v = static_cast<int8_t*>(malloc(static_cast<size_t>(chroma)));
    if (y && u && v) {
        UnpackMmpPixels(w, h, groups, y, u, v);
        ConvertMmpPlanes(w, h, y, u, v, output + BMP_HEADERS_SIZE);
    }
    free(y);
    free(u);
    free(v);
}

void DISPLAY_CALL SplitMMPdata(uint32_t width, uint32_t height, const uint8_t* fileImage, uint8_t* yPlane,
                               int8_t* uPlane, int8_t* vPlane) {
    UnpackMmpPixels(width, height, fileImage + MMP_HEADER_SIZE, yPlane, uPlane, vPlane);
}

void DISPLAY_CALL AnalyseFileHeader(uint32_t type, uint16_t* width, uint16_t* height, const uint8_t* header) {
    if ((type & 0xFF) != TYPE_MMP) {
        return;
    }
    ReadMmpSize(header, width, height);
}
