// AVX2 row kernels: the arithmetic of the 128-bit kernels (yuv_rows_128.h) on
// 32 pixels per block (64 for 4:1:1). AVX2 unpacks, packs and shuffles within
// each 128-bit lane, so a block's words are arranged as pixels 0-7 and 16-23
// in one register and 8-15 and 24-31 in the other; packing then gives pixels
// 0-15 in the low lane and 16-31 in the high one. Rows shorter than a block
// go to the SSSE3 kernels of the same form.
#include <immintrin.h>

#include "conversion_tables.h"
#include "yuv_rows.h"

namespace {

struct Multipliers {
    __m256i luma, red, blue, greenU, greenV, lumaOffset;
    __m128i redShift, blueShift;
};

inline Multipliers LoadMultipliers(const FixedPointTerms& t) {
    auto words = [](uint16_t w) { return _mm256_set1_epi16(static_cast<short>(w)); };
    return Multipliers{words(t.luma),
                       words(t.red),
                       words(t.blue),
                       words(t.greenU),
                       words(t.greenV),
                       words(t.lumaOffset),
                       _mm_cvtsi32_si128(t.redShift),
                       _mm_cvtsi32_si128(t.blueShift)};
}

// The luma entries as in yuv_rows_128.h: with an offset, the signed high
// product plus 1 below the black level.
template <bool Offset>
inline __m256i Luma(__m256i y, const Multipliers& k) {
    if (!Offset) {
        return _mm256_add_epi16(y, _mm256_mulhi_epu16(y, k.luma));
    }
    const __m256i c = _mm256_sub_epi16(y, k.lumaOffset);
    return _mm256_sub_epi16(_mm256_add_epi16(c, _mm256_mulhi_epi16(c, k.luma)), _mm256_srai_epi16(c, 15));
}

// (n << shift) + hi(n, m) of the magnitudes n; the shift is 0 without an
// offset.
template <bool Offset>
inline __m256i Product(__m256i n, __m128i shift, __m256i m) {
    return _mm256_add_epi16(Offset ? _mm256_sll_epi16(n, shift) : n, _mm256_mulhi_epu16(n, m));
}

// Blue and red terms, and green taken from the luma entry, as 16-bit words.
struct Terms {
    __m256i b, g, r;
};

// Products of the magnitudes, given the samples' signs.
template <bool Offset>
inline Terms TermsOf(__m256i u, __m256i v, const Multipliers& k) {
    const __m256i nu = _mm256_abs_epi16(u), nv = _mm256_abs_epi16(v);
    return Terms{_mm256_sign_epi16(Product<Offset>(nu, k.blueShift, k.blue), u),
                 _mm256_add_epi16(_mm256_sign_epi16(_mm256_mulhi_epu16(nu, k.greenU), u),
                                  _mm256_sign_epi16(_mm256_mulhi_epu16(nv, k.greenV), v)),
                 _mm256_sign_epi16(Product<Offset>(nv, k.redShift, k.red), v)};
}

// Per lane: each word of the lane's low half twice, or of its high half.
inline Terms TwiceLow(const Terms& t) {
    return Terms{_mm256_unpacklo_epi16(t.b, t.b), _mm256_unpacklo_epi16(t.g, t.g),
                 _mm256_unpacklo_epi16(t.r, t.r)};
}
inline Terms TwiceHigh(const Terms& t) {
    return Terms{_mm256_unpackhi_epi16(t.b, t.b), _mm256_unpackhi_epi16(t.g, t.g),
                 _mm256_unpackhi_epi16(t.r, t.r)};
}
// The same with pairs of words.
inline Terms PairsTwiceLow(const Terms& t) {
    return Terms{_mm256_unpacklo_epi32(t.b, t.b), _mm256_unpacklo_epi32(t.g, t.g),
                 _mm256_unpacklo_epi32(t.r, t.r)};
}
inline Terms PairsTwiceHigh(const Terms& t) {
    return Terms{_mm256_unpackhi_epi32(t.b, t.b), _mm256_unpackhi_epi32(t.g, t.g),
                 _mm256_unpackhi_epi32(t.r, t.r)};
}

inline __m256i Load32(const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); }

// Sixteen signed bytes to words, in order across the two lanes.
inline __m256i Chroma16(const void* p) {
    return _mm256_cvtepi8_epi16(_mm_loadu_si128(static_cast<const __m128i*>(p)));
}

// 32 pixels from 32 luma bytes; `low` holds the terms of pixels 0-7 and
// 16-23, `high` those of 8-15 and 24-31. The sums are saturated to bytes
// (each lane: blue and green of its first eight pixels in one register, of
// its last eight in another, red of all 16 in a third), the 128-bit shuffles
// of kBgrShuffle give each lane's 48 bytes as three 16-byte pieces, and the
// low lane's pieces are stored before the high lane's.
template <bool Offset>
inline void Pixels(uint8_t* dst, const uint8_t* y, const Terms& low, const Terms& high, const Multipliers& k) {
    const __m256i bytes = Load32(y), zero = _mm256_setzero_si256();
    const __m256i l0 = Luma<Offset>(_mm256_unpacklo_epi8(bytes, zero), k);
    const __m256i l1 = Luma<Offset>(_mm256_unpackhi_epi8(bytes, zero), k);
    const __m256i bgLow = _mm256_packus_epi16(_mm256_add_epi16(l0, low.b), _mm256_sub_epi16(l0, low.g));
    const __m256i bgHigh = _mm256_packus_epi16(_mm256_add_epi16(l1, high.b), _mm256_sub_epi16(l1, high.g));
    const __m256i r = _mm256_packus_epi16(_mm256_add_epi16(l0, low.r), _mm256_add_epi16(l1, high.r));
    auto pick = [](__m256i source, int piece, int s) {
        const __m128i order = _mm_load_si128(reinterpret_cast<const __m128i*>(kBgrShuffle[piece][s]));
        return _mm256_shuffle_epi8(source, _mm256_broadcastsi128_si256(order));
    };
    const __m256i o0 = _mm256_or_si256(pick(bgLow, 0, 0), pick(r, 0, 2));
    const __m256i o1 = _mm256_or_si256(_mm256_or_si256(pick(bgLow, 1, 0), pick(bgHigh, 1, 1)), pick(r, 1, 2));
    const __m256i o2 = _mm256_or_si256(pick(bgHigh, 2, 1), pick(r, 2, 2));
    __m256i* out = reinterpret_cast<__m256i*>(dst);
    _mm256_storeu_si256(out, _mm256_permute2x128_si256(o0, o1, 0x20));
    _mm256_storeu_si256(out + 1, _mm256_permute2x128_si256(o2, o0, 0x30));
    _mm256_storeu_si256(out + 2, _mm256_permute2x128_si256(o1, o2, 0x31));
}

// Blocks of `Size` groups; the last block ends at the row's end, as in the
// 128-bit kernels.
template <uint32_t Size = 8, typename Block>
inline void Blocks(uint32_t groups, Block block) {
    uint32_t g = 0;
    for (; g + Size <= groups; g += Size) {
        block(g);
    }
    if (g < groups) {
        block(groups - Size);
    }
}

template <bool Offset>
void Row444(const uint8_t* y, const int8_t* u, const int8_t* v, uint8_t* dst, uint32_t groups,
            const ColourConversion& conv) {
    if (groups < 8) {
        (Offset ? Ssse3OffsetRowKernels : Ssse3RowKernels).row444(y, u, v, dst, groups, conv);
        return;
    }
    const Multipliers k = LoadMultipliers(*conv.terms);
    Blocks(groups, [=, &k](uint32_t g) {
        const __m256i u32 = Load32(u + 4 * g), v32 = Load32(v + 4 * g);
        // Sign-extending unpacks keep the lane order of the luma words.
        auto low = [](__m256i c) { return _mm256_srai_epi16(_mm256_unpacklo_epi8(c, c), 8); };
        auto high = [](__m256i c) { return _mm256_srai_epi16(_mm256_unpackhi_epi8(c, c), 8); };
        Pixels<Offset>(dst + 12 * g, y + 4 * g, TermsOf<Offset>(low(u32), low(v32), k),
                       TermsOf<Offset>(high(u32), high(v32), k), k);
    });
}

template <bool Offset>
void Row422(const uint8_t* y, const int8_t* u, const int8_t* v, uint8_t* dst, uint32_t groups,
            const ColourConversion& conv) {
    if (groups < 8) {
        (Offset ? Ssse3OffsetRowKernels : Ssse3RowKernels).row422(y, u, v, dst, groups, conv);
        return;
    }
    const Multipliers k = LoadMultipliers(*conv.terms);
    Blocks(groups, [=, &k](uint32_t g) {
        // Samples 0-7 in the low lane serve pixels 0-15, 8-15 pixels 16-31.
        const Terms t = TermsOf<Offset>(Chroma16(u + 2 * g), Chroma16(v + 2 * g), k);
        Pixels<Offset>(dst + 12 * g, y + 4 * g, TwiceLow(t), TwiceHigh(t), k);
    });
}

template <bool Offset>
void Row411(const uint8_t* y, const int8_t* u, const int8_t* v, uint8_t* dst, uint32_t groups,
            const ColourConversion& conv) {
    if (groups < 16) {
        (Offset ? Ssse3OffsetRowKernels : Ssse3RowKernels).row411(y, u, v, dst, groups, conv);
        return;
    }
    const Multipliers k = LoadMultipliers(*conv.terms);
    // Blocks of 64 pixels, so that the terms of 16 chroma samples are computed
    // at once: the samples are arranged as 0-3 and 8-11 in the low lane, 4-7
    // and 12-15 in the high one; the lanes' low halves then serve pixels 0-31
    // and their high halves pixels 32-63.
    Blocks<16>(groups, [=, &k](uint32_t g) {
        auto arrange = [](const int8_t* p) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            return _mm256_cvtepi8_epi16(_mm_shuffle_epi32(bytes, 0xD8)); // dwords 0, 2, 1, 3
        };
        const Terms t = TermsOf<Offset>(arrange(u + g), arrange(v + g), k);
        const Terms first = TwiceLow(t), second = TwiceHigh(t);
        Pixels<Offset>(dst + 12 * g, y + 4 * g, PairsTwiceLow(first), PairsTwiceHigh(first), k);
        Pixels<Offset>(dst + 12 * g + 96, y + 4 * g + 32, PairsTwiceLow(second), PairsTwiceHigh(second), k);
    });
}

template <bool Offset>
void RowPair420(const uint8_t* y0, const uint8_t* y1, const int8_t* u, const int8_t* v, uint8_t* dst0,
                uint8_t* dst1, uint32_t groups, const ColourConversion& conv) {
    if (groups < 8) {
        (Offset ? Ssse3OffsetRowKernels : Ssse3RowKernels).rowPair420(y0, y1, u, v, dst0, dst1, groups, conv);
        return;
    }
    const Multipliers k = LoadMultipliers(*conv.terms);
    Blocks(groups, [=, &k](uint32_t g) {
        const Terms t = TermsOf<Offset>(Chroma16(u + 2 * g), Chroma16(v + 2 * g), k);
        const Terms low = TwiceLow(t), high = TwiceHigh(t);
        Pixels<Offset>(dst0 + 12 * g, y0 + 4 * g, low, high, k);
        Pixels<Offset>(dst1 + 12 * g, y1 + 4 * g, low, high, k);
    });
}

void Finish() {}

} // namespace

const YuvRowKernels Avx2RowKernels = {Row444<false>, Row422<false>, Row411<false>, RowPair420<false>, Finish};
const YuvRowKernels Avx2OffsetRowKernels = {Row444<true>, Row422<true>, Row411<true>, RowPair420<true>, Finish};
