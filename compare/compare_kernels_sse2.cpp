// SSE2 kernels of the comparison, 16 bytes a block; the samples after the last
// whole block go to the scalar kernels.
#include <emmintrin.h>

#include "compare_kernels.h"

namespace {

// Blocks summed in 32-bit lanes before they move to 64-bit ones: a lane gains
// at most 4 x 255^2 (8-bit) per block, so 4096 blocks stay below 2^31.
const size_t kChunkBlocks = 4096;

__m128i Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// Sum of the two 64-bit lanes.
uint64_t Sum64(__m128i v) {
    uint64_t lanes[2];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), v);
    return lanes[0] + lanes[1];
}

// Adds four 32-bit lanes, taken as unsigned, to two 64-bit lanes.
__m128i Widen32(__m128i acc, __m128i v) {
    const __m128i zero = _mm_setzero_si128();
    return _mm_add_epi64(acc, _mm_add_epi64(_mm_unpacklo_epi32(v, zero), _mm_unpackhi_epi32(v, zero)));
}

void Sums8(const uint8_t* a, const uint8_t* b, size_t n, DiffSums* sums) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i one = _mm_set1_epi8(1);
    __m128i sse64 = zero, count64 = zero, maxv = zero;
    size_t i = 0;
    while (n - i >= 16) {
        size_t blocks = (n - i) / 16;
        blocks = blocks < kChunkBlocks ? blocks : kChunkBlocks;
        __m128i sse32 = zero;
        for (size_t k = 0; k < blocks; ++k, i += 16) {
            const __m128i va = Load(a + i), vb = Load(b + i);
            const __m128i ad = _mm_or_si128(_mm_subs_epu8(va, vb), _mm_subs_epu8(vb, va));
            maxv = _mm_max_epu8(maxv, ad);
            count64 = _mm_add_epi64(count64, _mm_sad_epu8(_mm_min_epu8(ad, one), zero));
            const __m128i lo = _mm_unpacklo_epi8(ad, zero), hi = _mm_unpackhi_epi8(ad, zero);
            sse32 = _mm_add_epi32(sse32, _mm_add_epi32(_mm_madd_epi16(lo, lo), _mm_madd_epi16(hi, hi)));
        }
        sse64 = Widen32(sse64, sse32);
    }
    maxv = _mm_max_epu8(maxv, _mm_srli_si128(maxv, 8));
    maxv = _mm_max_epu8(maxv, _mm_srli_si128(maxv, 4));
    maxv = _mm_max_epu8(maxv, _mm_srli_si128(maxv, 2));
    maxv = _mm_max_epu8(maxv, _mm_srli_si128(maxv, 1));
    const uint32_t m = static_cast<uint32_t>(_mm_cvtsi128_si32(maxv)) & 0xFF;
    sums->sse += Sum64(sse64);
    sums->differing += Sum64(count64);
    sums->maxDiff = m > sums->maxDiff ? m : sums->maxDiff;
    ScalarCompareKernels.sums8(a + i, b + i, n - i, sums);
}

// One vector of eight word differences: the largest (biased, see Sums16),
// a count of the equal ones, and their exact squares into two 64-bit lanes.
inline __attribute__((always_inline)) void WordVector(__m128i va, __m128i vb, __m128i bias, __m128i* maxv,
                                                      __m128i* equal16, __m128i* sse64) {
    const __m128i ad = _mm_or_si128(_mm_subs_epu16(va, vb), _mm_subs_epu16(vb, va));
    *maxv = _mm_max_epi16(*maxv, _mm_xor_si128(ad, bias));
    *equal16 = _mm_sub_epi16(*equal16, _mm_cmpeq_epi16(ad, _mm_setzero_si128()));
    // Exact 32-bit squares from the low and high halves of the products.
    const __m128i lo = _mm_mullo_epi16(ad, ad), hi = _mm_mulhi_epu16(ad, ad);
    *sse64 = Widen32(*sse64, _mm_unpacklo_epi16(lo, hi));
    *sse64 = Widen32(*sse64, _mm_unpackhi_epi16(lo, hi));
}

void Sums16(const uint8_t* a, const uint8_t* b, size_t n, DiffSums* sums) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i bias = _mm_set1_epi16(static_cast<short>(0x8000));
    const __m128i ones = _mm_set1_epi16(1);
    // SSE2 has a signed 16-bit maximum only: differences are biased by 2^15.
    __m128i sse64 = zero, maxv = bias;
    uint64_t equal = 0;
    size_t i = 0;
    while (n - i >= 8) {
        size_t blocks = (n - i) / 8;
        blocks = blocks < kChunkBlocks ? blocks : kChunkBlocks;
        __m128i equal16 = zero; // each lane counts up to kChunkBlocks
        for (size_t k = 0; k < blocks; ++k, i += 8) {
            WordVector(Load(a + 2 * i), Load(b + 2 * i), bias, &maxv, &equal16, &sse64);
        }
        equal += Sum64(Widen32(zero, _mm_madd_epi16(equal16, ones)));
        sums->differing += 8 * uint64_t{blocks};
    }
    maxv = _mm_max_epi16(maxv, _mm_srli_si128(maxv, 8));
    maxv = _mm_max_epi16(maxv, _mm_srli_si128(maxv, 4));
    maxv = _mm_max_epi16(maxv, _mm_srli_si128(maxv, 2));
    const uint32_t m = (static_cast<uint32_t>(_mm_cvtsi128_si32(maxv)) & 0xFFFF) ^ 0x8000;
    sums->sse += Sum64(sse64);
    sums->differing -= equal;
    sums->maxDiff = m > sums->maxDiff ? m : sums->maxDiff;
    ScalarCompareKernels.sums16(a + 2 * i, b + 2 * i, n - i, sums);
}

// Interleaved pixels, 16 (48 bytes, three vectors) a block. Byte j of
// vector k belongs to channel (k + j) % 3. Squares of byte differences fit
// 16 bits; widened to 32-bit lanes, the four lanes of vector m cover bytes
// 4m to 4m + 3, so the vectors with the same m % 3 = r share one pattern:
// lane l of accumulator r is channel (r + l) % 3.
// One vector of interleaved pixels: its largest differences, its differing
// bytes, and its squares widened into the accumulators of its four quarters.
inline __attribute__((always_inline)) void PixelVector(const uint8_t* a, const uint8_t* b, __m128i* maxv,
                                                       __m128i* count, __m128i* q0, __m128i* q1, __m128i* q2,
                                                       __m128i* q3) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i va = Load(a), vb = Load(b);
    const __m128i ad = _mm_or_si128(_mm_subs_epu8(va, vb), _mm_subs_epu8(vb, va));
    *maxv = _mm_max_epu8(*maxv, ad);
    *count = _mm_add_epi8(*count, _mm_min_epu8(ad, _mm_set1_epi8(1)));
    const __m128i lo = _mm_unpacklo_epi8(ad, zero), hi = _mm_unpackhi_epi8(ad, zero);
    const __m128i sqLo = _mm_mullo_epi16(lo, lo), sqHi = _mm_mullo_epi16(hi, hi);
    *q0 = _mm_add_epi32(*q0, _mm_unpacklo_epi16(sqLo, zero));
    *q1 = _mm_add_epi32(*q1, _mm_unpackhi_epi16(sqLo, zero));
    *q2 = _mm_add_epi32(*q2, _mm_unpacklo_epi16(sqHi, zero));
    *q3 = _mm_add_epi32(*q3, _mm_unpackhi_epi16(sqHi, zero));
}

void Sums8x3(const uint8_t* a, const uint8_t* b, size_t n, DiffSums sums[3]) {
    // Byte counters reach at most 255 blocks; 32-bit lanes gain at most
    // 4 x 255^2 a block.
    const size_t kBlocks = 255;
    const __m128i zero = _mm_setzero_si128();
    __m128i maxv[3] = {zero, zero, zero};
    uint64_t sse[3] = {0, 0, 0}, differing[3] = {0, 0, 0};
    size_t i = 0;
    while (n - i >= 16) {
        size_t blocks = (n - i) / 16;
        blocks = blocks < kBlocks ? blocks : kBlocks;
        __m128i acc[3] = {zero, zero, zero}, count[3] = {zero, zero, zero};
        for (size_t q = 0; q < blocks; ++q, i += 16) {
            PixelVector(a + 3 * i, b + 3 * i, &maxv[0], &count[0], &acc[0], &acc[1], &acc[2], &acc[0]);
            PixelVector(a + 3 * i + 16, b + 3 * i + 16, &maxv[1], &count[1], &acc[1], &acc[2], &acc[0], &acc[1]);
            PixelVector(a + 3 * i + 32, b + 3 * i + 32, &maxv[2], &count[2], &acc[2], &acc[0], &acc[1], &acc[2]);
        }
        for (int k = 0; k < 3; ++k) {
            uint32_t lanes[4];
            uint8_t bytes[16];
            _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), acc[k]);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes), count[k]);
            for (int l = 0; l < 4; ++l) {
                sse[(k + l) % 3] += lanes[l];
            }
            for (int j = 0; j < 16; ++j) {
                differing[(k + j) % 3] += bytes[j];
            }
        }
    }
    for (int k = 0; k < 3; ++k) {
        uint8_t bytes[16];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes), maxv[k]);
        for (int j = 0; j < 16; ++j) {
            DiffSums& s = sums[(k + j) % 3];
            s.maxDiff = bytes[j] > s.maxDiff ? bytes[j] : s.maxDiff;
        }
    }
    for (int c = 0; c < 3; ++c) {
        sums[c].sse += sse[c];
        sums[c].differing += differing[c];
    }
    ScalarCompareKernels.sums8x3(a + 3 * i, b + 3 * i, n - i, sums);
}

// Sum of four 32-bit lanes taken as unsigned.
uint64_t Sum32(__m128i v) {
    uint32_t lanes[4];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), v);
    return uint64_t{lanes[0]} + lanes[1] + lanes[2] + lanes[3];
}

// Groups of four channels, 4 groups (16 bytes) a block: byte j of a block
// is channel j % 4. Even bytes (channels 0 and 2) and odd bytes (1 and 3)
// become 16-bit words, reordered so that each 32-bit lane holds two words of
// one channel: madd then gives their squares' sum, and the lanes alternate
// channels 0 and 2 (1 and 3).
void Sums8x4(const uint8_t* a, const uint8_t* b, size_t n, DiffSums sums[4]) {
    // Byte counters reach at most 255 blocks; a 32-bit lane gains at most
    // 2 x 255^2 a block.
    const size_t kBlocks = 255;
    const __m128i zero = _mm_setzero_si128(), low = _mm_set1_epi16(0x00FF);
    __m128i maxv = zero;
    uint64_t sse[4] = {0, 0, 0, 0}, equal[4] = {0, 0, 0, 0}, blocksDone = 0;
    size_t i = 0;
    while (n - i >= 4) {
        size_t blocks = (n - i) / 4;
        blocks = blocks < kBlocks ? blocks : kBlocks;
        __m128i evens = zero, odds = zero, equal8 = zero;
        for (size_t q = 0; q < blocks; ++q, i += 4) {
            const __m128i va = Load(a + 4 * i), vb = Load(b + 4 * i);
            const __m128i ad = _mm_or_si128(_mm_subs_epu8(va, vb), _mm_subs_epu8(vb, va));
            maxv = _mm_max_epu8(maxv, ad);
            equal8 = _mm_sub_epi8(equal8, _mm_cmpeq_epi8(ad, zero));
            // Words 0 2 1 3 of each half: channel 0 (1) twice, then 2 (3) twice.
            __m128i even = _mm_and_si128(ad, low), odd = _mm_srli_epi16(ad, 8);
            even = _mm_shufflehi_epi16(_mm_shufflelo_epi16(even, 0xD8), 0xD8);
            odd = _mm_shufflehi_epi16(_mm_shufflelo_epi16(odd, 0xD8), 0xD8);
            evens = _mm_add_epi32(evens, _mm_madd_epi16(even, even));
            odds = _mm_add_epi32(odds, _mm_madd_epi16(odd, odd));
        }
        uint32_t e[4], o[4];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(e), evens);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o), odds);
        sse[0] += uint64_t{e[0]} + e[2];
        sse[1] += uint64_t{o[0]} + o[2];
        sse[2] += uint64_t{e[1]} + e[3];
        sse[3] += uint64_t{o[1]} + o[3];
        uint8_t bytes[16];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes), equal8);
        for (int j = 0; j < 16; ++j) {
            equal[j % 4] += bytes[j];
        }
        blocksDone += blocks;
    }
    uint8_t top[16];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(top), maxv);
    for (int j = 0; j < 16; ++j) {
        DiffSums& s = sums[j % 4];
        s.maxDiff = top[j] > s.maxDiff ? top[j] : s.maxDiff;
    }
    for (int c = 0; c < 4; ++c) {
        sums[c].sse += sse[c];
        sums[c].differing += 4 * blocksDone - equal[c];
    }
    ScalarCompareKernels.sums8x4(a + 4 * i, b + 4 * i, n - i, sums);
}

// Pairs of words, 4 pairs (16 bytes) a block, as Sums16 does them: even
// words are channel 0, odd ones channel 1. The squares of words 0 to 3 (and
// 4 to 7) widen into the two 64-bit lanes as words 0 + 2 and 1 + 3, so lane
// 0 sums channel 0 and lane 1 channel 1.
void Sums16x2(const uint8_t* a, const uint8_t* b, size_t n, uint32_t shift, DiffSums sums[2]) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i bias = _mm_set1_epi16(static_cast<short>(0x8000));
    const __m128i count = _mm_cvtsi32_si128(static_cast<int>(shift));
    const __m128i evenWords = _mm_set1_epi32(1), oddWords = _mm_set1_epi32(0x10000);
    __m128i sse64 = zero, maxv = bias;
    uint64_t equal[2] = {0, 0}, blocksDone = 0;
    size_t i = 0;
    while (n - i >= 4) {
        size_t blocks = (n - i) / 4;
        blocks = blocks < kChunkBlocks ? blocks : kChunkBlocks;
        __m128i equal16 = zero;
        for (size_t k = 0; k < blocks; ++k, i += 4) {
            WordVector(_mm_srl_epi16(Load(a + 4 * i), count), _mm_srl_epi16(Load(b + 4 * i), count), bias,
                       &maxv, &equal16, &sse64);
        }
        equal[0] += Sum32(_mm_madd_epi16(equal16, evenWords));
        equal[1] += Sum32(_mm_madd_epi16(equal16, oddWords));
        blocksDone += blocks;
    }
    uint64_t lanes[2];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), sse64);
    uint16_t top[8];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(top), _mm_xor_si128(maxv, bias));
    for (int c = 0; c < 2; ++c) {
        sums[c].sse += lanes[c];
        sums[c].differing += 4 * blocksDone - equal[c];
        for (int j = c; j < 8; j += 2) {
            sums[c].maxDiff = top[j] > sums[c].maxDiff ? top[j] : sums[c].maxDiff;
        }
    }
    ScalarCompareKernels.sums16x2(a + 4 * i, b + 4 * i, n - i, shift, sums);
}

size_t FirstDiff(const uint8_t* a, const uint8_t* b, size_t bytes) {
    size_t i = 0;
    for (; bytes - i >= 16; i += 16) {
        const unsigned equal =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(Load(a + i), Load(b + i))));
        if (equal != 0xFFFF) {
            return i + static_cast<size_t>(__builtin_ctz(~equal));
        }
    }
    return i + ScalarCompareKernels.firstDiff(a + i, b + i, bytes - i);
}

void Difference8(const uint8_t* a, const uint8_t* b, size_t n, uint32_t shift, uint8_t* out) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i mid = _mm_set1_epi16(128);
    const __m128i count = _mm_cvtsi32_si128(static_cast<int>(shift));
    size_t i = 0;
    for (; n - i >= 16; i += 16) {
        const __m128i va = Load(a + i), vb = Load(b + i);
        // (a - b) << 4 is at most 4080 in size: 16 bits hold it, and packing
        // with unsigned saturation clamps to 0..255.
        const __m128i lo = _mm_sub_epi16(_mm_unpacklo_epi8(va, zero), _mm_unpacklo_epi8(vb, zero));
        const __m128i hi = _mm_sub_epi16(_mm_unpackhi_epi8(va, zero), _mm_unpackhi_epi8(vb, zero));
        const __m128i r = _mm_packus_epi16(_mm_add_epi16(_mm_sll_epi16(lo, count), mid),
                                           _mm_add_epi16(_mm_sll_epi16(hi, count), mid));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), r);
    }
    ScalarCompareKernels.difference8(a + i, b + i, n - i, shift, out + i);
}

// The signed difference of 16-bit samples held to -255..255: beyond that
// 128 + d << shift is below 0 or above 255 either way.
__m128i HeldDifference(__m128i va, __m128i vb) {
    const __m128i top = _mm_set1_epi16(255);
    __m128i up = _mm_subs_epu16(va, vb), down = _mm_subs_epu16(vb, va);
    up = _mm_sub_epi16(up, _mm_subs_epu16(up, top)); // min(up, 255)
    down = _mm_sub_epi16(down, _mm_subs_epu16(down, top));
    return _mm_sub_epi16(up, down);
}

void Difference16(const uint8_t* a, const uint8_t* b, size_t n, uint32_t shift, uint8_t* out) {
    const __m128i mid = _mm_set1_epi16(128);
    const __m128i count = _mm_cvtsi32_si128(static_cast<int>(shift));
    size_t i = 0;
    for (; n - i >= 16; i += 16) {
        // At most 255 << 4 in size: 16 bits hold it, and the pack clamps.
        const __m128i lo = HeldDifference(Load(a + 2 * i), Load(b + 2 * i));
        const __m128i hi = HeldDifference(Load(a + 2 * i + 16), Load(b + 2 * i + 16));
        const __m128i r = _mm_packus_epi16(_mm_add_epi16(_mm_sll_epi16(lo, count), mid),
                                           _mm_add_epi16(_mm_sll_epi16(hi, count), mid));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), r);
    }
    ScalarCompareKernels.difference16(a + 2 * i, b + 2 * i, n - i, shift, out + i);
}

} // namespace

void Sse2Sums8x3(const uint8_t* a, const uint8_t* b, size_t n, DiffSums sums[3]) { Sums8x3(a, b, n, sums); }

const CompareKernels Sse2CompareKernels = {Sums8,    Sums16,    Sums8x3,     Sums8x4,
                                           Sums16x2, FirstDiff, Difference8, Difference16};
