// Scalar row kernels: every output byte is a clamped sum of table entries.
#include "conversion_tables.h"
#include "yuv_rows.h"

namespace {

// Writes one group: pixel i has luma entry li and chroma terms ti. `clamp`
// points at the clamp table's entry for the sum 0.
inline void WriteGroup(uint8_t* dst, const uint8_t* clamp, int l0, int l1, int l2, int l3, ChromaTerms t0,
                       ChromaTerms t1, ChromaTerms t2, ChromaTerms t3) {
    const uint32_t w0 = clamp[l0 + t0.b] | clamp[l0 + t0.g] << 8 | clamp[l0 + t0.r] << 16 |
                        static_cast<uint32_t>(clamp[l1 + t1.b]) << 24;
    const uint32_t w1 = clamp[l1 + t1.g] | clamp[l1 + t1.r] << 8 | clamp[l2 + t2.b] << 16 |
                        static_cast<uint32_t>(clamp[l2 + t2.g]) << 24;
    const uint32_t w2 = clamp[l2 + t2.r] | clamp[l3 + t3.b] << 8 | clamp[l3 + t3.g] << 16 |
                        static_cast<uint32_t>(clamp[l3 + t3.r]) << 24;
    StoreLE32(dst, w0);
    StoreLE32(dst + 4, w1);
    StoreLE32(dst + 8, w2);
}

void Row444(const uint8_t* y, const int8_t* u, const int8_t* v, uint8_t* dst, uint32_t groups,
            const ColourConversion& conv) {
    const ConversionTables& t = *conv.tables;
    const int16_t* luma = t.LumaFromY;
    const uint8_t* clamp = t.ClampToByte + CLAMP_ZERO_INDEX;
    for (uint32_t g = 0; g < groups; ++g, y += 4, u += 4, v += 4, dst += 12) {
        WriteGroup(dst, clamp, luma[y[0]], luma[y[1]], luma[y[2]], luma[y[3]], TermsOf(t, u[0], v[0]),
                   TermsOf(t, u[1], v[1]), TermsOf(t, u[2], v[2]), TermsOf(t, u[3], v[3]));
    }
}

void Row422(const uint8_t* y, const int8_t* u, const int8_t* v, uint8_t* dst, uint32_t groups,
            const ColourConversion& conv) {
    const ConversionTables& t = *conv.tables;
    const int16_t* luma = t.LumaFromY;
    const uint8_t* clamp = t.ClampToByte + CLAMP_ZERO_INDEX;
    for (uint32_t g = 0; g < groups; ++g, y += 4, u += 2, v += 2, dst += 12) {
        const ChromaTerms t0 = TermsOf(t, u[0], v[0]);
        const ChromaTerms t1 = TermsOf(t, u[1], v[1]);
        WriteGroup(dst, clamp, luma[y[0]], luma[y[1]], luma[y[2]], luma[y[3]], t0, t0, t1, t1);
    }
}

void Row411(const uint8_t* y, const int8_t* u, const int8_t* v, uint8_t* dst, uint32_t groups,
            const ColourConversion& conv) {
    const ConversionTables& t = *conv.tables;
    const int16_t* luma = t.LumaFromY;
    const uint8_t* clamp = t.ClampToByte + CLAMP_ZERO_INDEX;
    for (uint32_t g = 0; g < groups; ++g, y += 4, ++u, ++v, dst += 12) {
        const ChromaTerms c = TermsOf(t, u[0], v[0]);
        WriteGroup(dst, clamp, luma[y[0]], luma[y[1]], luma[y[2]], luma[y[3]], c, c, c, c);
    }
}

void RowPair420(const uint8_t* y0, const uint8_t* y1, const int8_t* u, const int8_t* v, uint8_t* dst0,
                uint8_t* dst1, uint32_t groups, const ColourConversion& conv) {
    const ConversionTables& t = *conv.tables;
    const int16_t* luma = t.LumaFromY;
    const uint8_t* clamp = t.ClampToByte + CLAMP_ZERO_INDEX;
    for (uint32_t g = 0; g < groups; ++g) {
        const ChromaTerms t0 = TermsOf(t, u[0], v[0]);
        const ChromaTerms t1 = TermsOf(t, u[1], v[1]);
        WriteGroup(dst0, clamp, luma[y0[0]], luma[y0[1]], luma[y0[2]], luma[y0[3]], t0, t0, t1, t1);
        WriteGroup(dst1, clamp, luma[y1[0]], luma[y1[1]], luma[y1[2]], luma[y1[3]], t0, t0, t1, t1);
        y0 += 4;
        y1 += 4;
        u += 2;
        v += 2;
        dst0 += 12;
        dst1 += 12;
    }
}

void Finish() {}

} // namespace

const YuvRowKernels ScalarRowKernels = {Row444, Row422, Row411, RowPair420, Finish};
