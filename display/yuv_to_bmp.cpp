// The plane loop of the YUV conversion: headers, the walk through the planes
// (their geometry from chroma_geometry.h) and the bottom-up row order. The row kernels (scalar, MMX or vector) do the
// arithmetic.
#include <stddef.h>

#include "bmp_headers.h"
#include "chroma_geometry.h"
#include "conversion_tables.h"
#include "display.h"
#include "kernel_choice.h"
#include "yuv_rows.h"

const YuvRowKernels& ChosenRowKernels(const FixedPointTerms& terms) {
    if (terms.proven) {
        const bool plain = terms.lumaOffset == 0 && terms.redShift == 0 && terms.blueShift == 0;
        switch (VectorLevel) {
        case VECTOR_SSE2: return plain ? Sse2RowKernels : Sse2OffsetRowKernels;
        case VECTOR_SSSE3: return plain ? Ssse3RowKernels : Ssse3OffsetRowKernels;
        case VECTOR_AVX2: return plain ? Avx2RowKernels : Avx2OffsetRowKernels;
        default: break;
        }
    }
    return MmxAvailable ? MmxRowKernels : ScalarRowKernels;
}

namespace {

// Both exports: headers, then the rows with the given conversion.
void ConvertYuv(uint32_t type, uint32_t width, uint32_t height, const uint8_t* yPlane, const int8_t* uPlane,
                const int8_t* vPlane, uint8_t* destination, const ColourConversion& conv) {
    const uint32_t w = width & 0xFFFF;
    const uint32_t h = height & 0xFFFF;
    const uint32_t code = type & 0xFF;

    WriteBmpHeaders(destination, w, h, 24);
    if (!HasChromaPlanes(code)) {
        return;
    }
    // Whole groups of four pixels only; every plane pointer moves by what the
    // groups consumed, so a width that is not a multiple of 4 leaves the rest
    // of each stored row unwritten.
    const uint32_t groups = w / 4;
    const uint32_t chromaRows = ChromaPlaneHeight(code, h);
    if (groups == 0 || chromaRows == 0) {
        return;
    }

    const YuvRowKernels& k = ChosenRowKernels(*conv.terms);
    const size_t stride = 3 * static_cast<size_t>(w);
    const size_t lumaStep = 4 * static_cast<size_t>(groups);
    const size_t chromaStep = ChromaPlaneWidth(code, 4 * groups);
    uint8_t* const pixels = destination + BMP_HEADERS_SIZE;
    // Picture row r is stored row h - 1 - r.
    auto storedRow = [pixels, h, stride](uint32_t r) { return pixels + (h - 1 - r) * stride; };

    if (code == TYPE_YUV420) {
        // Pairs of picture rows share a chroma row; with an odd height the
        // last picture row (stored row 0) is left as it was.
        for (uint32_t r = 0; r < 2 * chromaRows; r += 2) {
            k.rowPair420(yPlane, yPlane + lumaStep, uPlane, vPlane, storedRow(r), storedRow(r + 1), groups, conv);
            yPlane += 2 * lumaStep;
            uPlane += chromaStep;
            vPlane += chromaStep;
        }
    } else {
        // Every row has its own chroma row: 4, 2 or 1 samples per group.
        YuvRowFn* row = code == TYPE_YUV444 ? k.row444 : code == TYPE_YUV422 ? k.row422 : k.row411;
        for (uint32_t r = 0; r < h; ++r) {
            row(yPlane, uPlane, vPlane, storedRow(r), groups, conv);
            yPlane += lumaStep;
            uPlane += chromaStep;
            vPlane += chromaStep;
        }
    }
    k.finish();
}

} // namespace

void DISPLAY_CALL ConvertYUV2Bitmap(uint32_t type, uint32_t width, uint32_t height, const uint8_t* yPlane,
                                    const int8_t* uPlane, const int8_t* vPlane, uint8_t* destination) {
    ConvertYuv(type, width, height, yPlane, uPlane, vPlane, destination, ConversionOfMatrix(MATRIX_LIBRARY));
}

int32_t DISPLAY_CALL ConvertYUV2BitmapMatrix(uint32_t type, uint32_t width, uint32_t height,
                                             const uint8_t* yPlane, const int8_t* uPlane,
                                             const int8_t* vPlane, uint32_t matrix, uint8_t* destination) {
    if (matrix > MATRIX_BT2020_FULL) {
        return 0;
    }
    ConvertYuv(type, width, height, yPlane, uPlane, vPlane, destination, ConversionOfMatrix(matrix));
    return 1;
}
