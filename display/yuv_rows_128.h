// Row kernels on 128-bit vectors, 16 pixels (4 groups) per block, shared by
// the SSE2 and SSSE3 files. `Isa` supplies the steps where SSSE3 has better
// instructions: magnitudes and signs of chroma words, and turning a block's
// blue, green and red sums into 48 bytes of pixels. Everything here is
// internal to the file that includes it, since each file is built for its own
// instruction set.
#ifndef VORLEX_YUV_ROWS_128_H
#define VORLEX_YUV_ROWS_128_H

#include <emmintrin.h>

#include "conversion_tables.h"
#include "yuv_rows.h"

namespace {

struct Multipliers128 {
    __m128i luma, red, blue, greenU, greenV, lumaOffset, redShift, blueShift;
};

inline Multipliers128 LoadMultipliers128(const FixedPointTerms& t) {
    auto words = [](uint16_t w) { return _mm_set1_epi16(static_cast<short>(w)); };
    return Multipliers128{words(t.luma),
                          words(t.red),
                          words(t.blue),
                          words(t.greenU),
                          words(t.greenV),
                          words(t.lumaOffset),
                          _mm_cvtsi32_si128(t.redShift),
                          _mm_cvtsi32_si128(t.blueShift)};
}

// Eight bytes to 16-bit words: luma zero-extended, chroma sign-extended.
inline __m128i LumaWordsLow(__m128i y) { return _mm_unpacklo_epi8(y, _mm_setzero_si128()); }
inline __m128i LumaWordsHigh(__m128i y) { return _mm_unpackhi_epi8(y, _mm_setzero_si128()); }
inline __m128i ChromaWordsLow(__m128i c) { return _mm_srai_epi16(_mm_unpacklo_epi8(c, c), 8); }
inline __m128i ChromaWordsHigh(__m128i c) { return _mm_srai_epi16(_mm_unpackhi_epi8(c, c), 8); }

// LumaFromY of eight luma words, in the form that the terms prove
// (conversion_tables.h). With an offset, c = y - offset is negative below the
// black level: the signed high product rounds down there, and adding 1
// (subtracting c >> 15) makes the entry truncate toward zero as the table
// does.
template <bool Offset>
inline __m128i Luma(__m128i y, const Multipliers128& k) {
    if (!Offset) {
        return _mm_add_epi16(y, _mm_mulhi_epu16(y, k.luma));
    }
    const __m128i c = _mm_sub_epi16(y, k.lumaOffset);
    return _mm_sub_epi16(_mm_add_epi16(c, _mm_mulhi_epi16(c, k.luma)), _mm_srai_epi16(c, 15));
}

// (n << shift) + hi(n, m) of the magnitudes n; the shift is 0 without an
// offset.
template <bool Offset>
inline __m128i Product(__m128i n, __m128i shift, __m128i m) {
    return _mm_add_epi16(Offset ? _mm_sll_epi16(n, shift) : n, _mm_mulhi_epu16(n, m));
}

// What eight chroma samples add to the luma entry for blue and red, and what
// they take from it for green (-GreenFromU - GreenFromV), in 16-bit words.
struct Terms128 {
    __m128i b, g, r;
};

// Each term is the magnitude's product given the sample's sign, in the forms
// that the terms prove; this truncates toward zero as the tables do.
template <typename Isa, bool Offset>
inline Terms128 Terms(__m128i u, __m128i v, const Multipliers128& k) {
    const __m128i nu = Isa::Magnitude(u), nv = Isa::Magnitude(v); // up to 128
    return Terms128{Isa::SignOf(Product<Offset>(nu, k.blueShift, k.blue), u),
                    _mm_add_epi16(Isa::SignOf(_mm_mulhi_epu16(nu, k.greenU), u),
                                  Isa::SignOf(_mm_mulhi_epu16(nv, k.greenV), v)),
                    Isa::SignOf(Product<Offset>(nv, k.redShift, k.red), v)};
}

// Each term of samples 0-3 twice (pixels 0-7), of samples 4-7 twice (8-15).
inline Terms128 TwiceLow(const Terms128& t) {
    return Terms128{_mm_unpacklo_epi16(t.b, t.b), _mm_unpacklo_epi16(t.g, t.g), _mm_unpacklo_epi16(t.r, t.r)};
}
inline Terms128 TwiceHigh(const Terms128& t) {
    return Terms128{_mm_unpackhi_epi16(t.b, t.b), _mm_unpackhi_epi16(t.g, t.g), _mm_unpackhi_epi16(t.r, t.r)};
}
// Each term of samples 0-1 four times (pixels 0-7), of samples 2-3 (8-15);
// `t` holds the terms twice already.
inline Terms128 FourTimesLow(const Terms128& t) {
    return Terms128{_mm_unpacklo_epi32(t.b, t.b), _mm_unpacklo_epi32(t.g, t.g), _mm_unpacklo_epi32(t.r, t.r)};
}
inline Terms128 FourTimesHigh(const Terms128& t) {
    return Terms128{_mm_unpackhi_epi32(t.b, t.b), _mm_unpackhi_epi32(t.g, t.g), _mm_unpackhi_epi32(t.r, t.r)};
}

inline __m128i Load16(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
inline __m128i Load8(const void* p) { return _mm_loadl_epi64(static_cast<const __m128i*>(p)); }
inline __m128i Load4(const void* p) { return _mm_cvtsi32_si128(static_cast<int>(LoadLE32(p))); }

// Offset: the kernels of tables with a black-level offset or a red or blue
// shift (conversion_tables.h); without, the plain form.
template <typename Isa, bool Offset>
struct Kernels128 {
    // 16 pixels: 16 luma bytes at y, pixel i taking the terms of lane i of
    // `low` (pixels 0-7) or lane i - 8 of `high`. Isa::Store saturates the
    // sums to bytes and writes the 48 bytes.
    static inline void Pixels(uint8_t* dst, const uint8_t* y, const Terms128& low, const Terms128& high,
                              const Multipliers128& k) {
        const __m128i bytes = Load16(y);
        const __m128i l0 = Luma<Offset>(LumaWordsLow(bytes), k), l1 = Luma<Offset>(LumaWordsHigh(bytes), k);
        Isa::Store(dst, _mm_add_epi16(l0, low.b), _mm_add_epi16(l1, high.b), _mm_sub_epi16(l0, low.g),
                   _mm_sub_epi16(l1, high.g), _mm_add_epi16(l0, low.r), _mm_add_epi16(l1, high.r));
    }

    // Blocks of 4 groups from group 0; when `groups` is not a multiple of 4
    // the last block ends at the row's end and converts part of the block
    // before it again, which rewrites the same bytes.
    template <typename Block>
    static inline void Blocks(uint32_t groups, Block block) {
        uint32_t g = 0;
        for (; g + 4 <= groups; g += 4) {
            block(g);
        }
        if (g < groups) {
            block(groups - 4);
        }
    }

    static void Row444(const uint8_t* y, const int8_t* u, const int8_t* v, uint8_t* dst, uint32_t groups,
                       const ColourConversion& conv) {
        if (groups < 4) {
            ScalarRowKernels.row444(y, u, v, dst, groups, conv);
            return;
        }
        const Multipliers128 k = LoadMultipliers128(*conv.terms);
        Blocks(groups, [=, &k](uint32_t g) {
            const __m128i u16 = Load16(u + 4 * g), v16 = Load16(v + 4 * g);
            Pixels(dst + 12 * g, y + 4 * g, Terms<Isa, Offset>(ChromaWordsLow(u16), ChromaWordsLow(v16), k),
                   Terms<Isa, Offset>(ChromaWordsHigh(u16), ChromaWordsHigh(v16), k), k);
        });
    }

    static void Row422(const uint8_t* y, const int8_t* u, const int8_t* v, uint8_t* dst, uint32_t groups,
                       const ColourConversion& conv) {
        if (groups < 4) {
            ScalarRowKernels.row422(y, u, v, dst, groups, conv);
            return;
        }
        const Multipliers128 k = LoadMultipliers128(*conv.terms);
        Blocks(groups, [=, &k](uint32_t g) {
            const Terms128 t =
                Terms<Isa, Offset>(ChromaWordsLow(Load8(u + 2 * g)), ChromaWordsLow(Load8(v + 2 * g)), k);
            Pixels(dst + 12 * g, y + 4 * g, TwiceLow(t), TwiceHigh(t), k);
        });
    }

    static void Row411(const uint8_t* y, const int8_t* u, const int8_t* v, uint8_t* dst, uint32_t groups,
                       const ColourConversion& conv) {
        if (groups < 4) {
            ScalarRowKernels.row411(y, u, v, dst, groups, conv);
            return;
        }
        const Multipliers128 k = LoadMultipliers128(*conv.terms);
        Blocks(groups, [=, &k](uint32_t g) {
            const Terms128 t =
                TwiceLow(Terms<Isa, Offset>(ChromaWordsLow(Load4(u + g)), ChromaWordsLow(Load4(v + g)), k));
            Pixels(dst + 12 * g, y + 4 * g, FourTimesLow(t), FourTimesHigh(t), k);
        });
    }

    static void RowPair420(const uint8_t* y0, const uint8_t* y1, const int8_t* u, const int8_t* v,
                           uint8_t* dst0, uint8_t* dst1, uint32_t groups, const ColourConversion& conv) {
        if (groups < 4) {
            ScalarRowKernels.rowPair420(y0, y1, u, v, dst0, dst1, groups, conv);
            return;
        }
        const Multipliers128 k = LoadMultipliers128(*conv.terms);
        Blocks(groups, [=, &k](uint32_t g) {
            const Terms128 t =
                Terms<Isa, Offset>(ChromaWordsLow(Load8(u + 2 * g)), ChromaWordsLow(Load8(v + 2 * g)), k);
            const Terms128 low = TwiceLow(t), high = TwiceHigh(t);
            Pixels(dst0 + 12 * g, y0 + 4 * g, low, high, k);
            Pixels(dst1 + 12 * g, y1 + 4 * g, low, high, k);
        });
    }
};

} // namespace

#endif
