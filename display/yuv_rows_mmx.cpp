// MMX row kernels, the only code built with -mmmx. Per group, the chroma terms
// and the luma entries are laid out as 12 signed 16-bit words in output order
// (blue, green, red of pixel 0, then pixels 1, 2, 3), added as three registers
// of four words and packed to bytes with unsigned saturation; over the sums
// that occur this equals the clamp table, so the bytes are the scalar path's.
#include <mmintrin.h>

#include "conversion_tables.h"
#include "yuv_rows.h"

namespace {

// Twelve words in output order, as three registers of four.
struct GroupWords {
    __m64 w0, w1, w2;
};

inline uint32_t Words(int lo, int hi) {
    return static_cast<uint16_t>(lo) | static_cast<uint32_t>(static_cast<uint16_t>(hi)) << 16;
}

inline __m64 Register(uint32_t lo, uint32_t hi) {
    return _mm_unpacklo_pi32(_mm_cvtsi32_si64(static_cast<int>(lo)), _mm_cvtsi32_si64(static_cast<int>(hi)));
}

// The terms of one chroma sample as one register: blue, green, red, 0.
inline __m64 TermRegister(ChromaTerms t) { return Register(Words(t.b, t.g), static_cast<uint16_t>(t.r)); }

// Pixel i takes the terms ti.
inline GroupWords ChromaWords(ChromaTerms t0, ChromaTerms t1, ChromaTerms t2, ChromaTerms t3) {
    return GroupWords{Register(Words(t0.b, t0.g), Words(t0.r, t1.b)),
                      Register(Words(t1.g, t1.r), Words(t2.b, t2.g)),
                      Register(Words(t2.r, t3.b), Words(t3.g, t3.r))};
}

// Pixels 0 and 1 take a, pixels 2 and 3 take b: shifting the two term
// registers places every word.
inline GroupWords ChromaWords(__m64 a, __m64 b) {
    return GroupWords{_mm_or_si64(a, _mm_slli_si64(a, 48)),                     // ba ga ra ba
                      _mm_or_si64(_mm_srli_si64(a, 16), _mm_slli_si64(b, 32)),  // ga ra bb gb
                      _mm_or_si64(_mm_srli_si64(b, 32), _mm_slli_si64(b, 16))}; // rb bb gb rb
}

// L0 three times, L1 three times, L2 three times, L3 three times: the four
// entries form one register (L0 L1 L2 L3) and unpacking spreads it. (Byte
// loads measured faster than one 4-byte load and shifts.)
inline GroupWords LumaWords(const int16_t* luma, const uint8_t* y) {
    const uint32_t l0 = static_cast<uint16_t>(luma[y[0]]);
    const uint32_t l1 = static_cast<uint16_t>(luma[y[1]]);
    const uint32_t l2 = static_cast<uint16_t>(luma[y[2]]);
    const uint32_t l3 = static_cast<uint16_t>(luma[y[3]]);
    const __m64 q = Register(l0 | l1 << 16, l2 | l3 << 16);
    const __m64 lo = _mm_unpacklo_pi16(q, q); // L0 L0 L1 L1
    const __m64 hi = _mm_unpackhi_pi16(q, q); // L2 L2 L3 L3
    return GroupWords{_mm_unpacklo_pi32(lo, q), _mm_unpacklo_pi32(_mm_srli_si64(lo, 32), hi),
                      _mm_unpackhi_pi32(q, hi)};
}

// Adds the words, saturates them to bytes and writes the group's 12 bytes as
// three 4-byte stores.
inline void WriteGroup(uint8_t* dst, GroupWords luma, GroupWords chroma) {
    const __m64 bytes01 = _mm_packs_pu16(_mm_add_pi16(luma.w0, chroma.w0), _mm_add_pi16(luma.w1, chroma.w1));
    const __m64 sum2 = _mm_add_pi16(luma.w2, chroma.w2);
    StoreLE32(dst, static_cast<uint32_t>(_mm_cvtsi64_si32(bytes01)));
    StoreLE32(dst + 4, static_cast<uint32_t>(_mm_cvtsi64_si32(_mm_srli_si64(bytes01, 32))));
    StoreLE32(dst + 8, static_cast<uint32_t>(_mm_cvtsi64_si32(_mm_packs_pu16(sum2, sum2))));
}

void Row444(const uint8_t* y, const int8_t* u, const int8_t* v, uint8_t* dst, uint32_t groups,
            const ColourConversion& conv) {
    const ConversionTables& t = *conv.tables;
    for (uint32_t g = 0; g < groups; ++g, y += 4, u += 4, v += 4, dst += 12) {
        // The four chroma samples of each plane are read at once.
        const uint32_t u4 = LoadLE32(u);
        const uint32_t v4 = LoadLE32(v);
        const ChromaTerms t0 = TermsOf(t, static_cast<int8_t>(u4), static_cast<int8_t>(v4));
        const ChromaTerms t1 = TermsOf(t, static_cast<int8_t>(u4 >> 8), static_cast<int8_t>(v4 >> 8));
        const ChromaTerms t2 = TermsOf(t, static_cast<int8_t>(u4 >> 16), static_cast<int8_t>(v4 >> 16));
        const ChromaTerms t3 = TermsOf(t, static_cast<int8_t>(u4 >> 24), static_cast<int8_t>(v4 >> 24));
        WriteGroup(dst, LumaWords(t.LumaFromY, y), ChromaWords(t0, t1, t2, t3));
    }
}

void Row422(const uint8_t* y, const int8_t* u, const int8_t* v, uint8_t* dst, uint32_t groups,
            const ColourConversion& conv) {
    const ConversionTables& t = *conv.tables;
    for (uint32_t g = 0; g < groups; ++g, y += 4, u += 2, v += 2, dst += 12) {
        WriteGroup(dst, LumaWords(t.LumaFromY, y),
                   ChromaWords(TermRegister(TermsOf(t, u[0], v[0])), TermRegister(TermsOf(t, u[1], v[1]))));
    }
}

void Row411(const uint8_t* y, const int8_t* u, const int8_t* v, uint8_t* dst, uint32_t groups,
            const ColourConversion& conv) {
    const ConversionTables& t = *conv.tables;
    for (uint32_t g = 0; g < groups; ++g, y += 4, ++u, ++v, dst += 12) {
        const __m64 c = TermRegister(TermsOf(t, u[0], v[0]));
        WriteGroup(dst, LumaWords(t.LumaFromY, y), ChromaWords(c, c));
    }
}

void RowPair420(const uint8_t* y0, const uint8_t* y1, const int8_t* u, const int8_t* v, uint8_t* dst0,
                uint8_t* dst1, uint32_t groups, const ColourConversion& conv) {
    const ConversionTables& t = *conv.tables;
    for (uint32_t g = 0; g < groups; ++g) {
        const GroupWords chroma =
            ChromaWords(TermRegister(TermsOf(t, u[0], v[0])), TermRegister(TermsOf(t, u[1], v[1])));
        WriteGroup(dst0, LumaWords(t.LumaFromY, y0), chroma);
        WriteGroup(dst1, LumaWords(t.LumaFromY, y1), chroma);
        y0 += 4;
        y1 += 4;
        u += 2;
        v += 2;
        dst0 += 12;
        dst1 += 12;
    }
}

// Clears the MMX state so that floating-point code can run again.
void Finish() { _mm_empty(); }

} // namespace

const YuvRowKernels MmxRowKernels = {Row444, Row422, Row411, RowPair420, Finish};
