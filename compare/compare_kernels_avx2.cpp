// AVX2 kernels of the comparison, 32 bytes a block; the rest of a run goes to
// the SSE2 kernels (and from them to the scalar ones).
#include <immintrin.h>

#include "compare_kernels.h"

namespace {

// As in the SSE2 kernels: 32-bit lanes gain at most 4 x 255^2 a block.
const size_t kChunkBlocks = 4096;

__m256i Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }

uint64_t Sum64(__m256i v) {
    uint64_t lanes[4];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes), v);
    return lanes[0] + lanes[1] + lanes[2] + lanes[3];
}

__m256i Widen32(__m256i acc, __m256i v) {
    const __m256i zero = _mm256_setzero_si256();
    return _mm256_add_epi64(acc,
                            _mm256_add_epi64(_mm256_unpacklo_epi32(v, zero), _mm256_unpackhi_epi32(v, zero)));
}

// One 32-byte block: the largest differences, a count of equal bytes (byte
// lanes, less than 256 blocks), and the squares summed in 32-bit lanes.
inline __attribute__((always_inline)) void Block8(const uint8_t* a, const uint8_t* b, __m256i* maxv,
                                                  __m256i* equal, __m256i* sse32) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i va = Load(a), vb = Load(b);
    const __m256i ad = _mm256_or_si256(_mm256_subs_epu8(va, vb), _mm256_subs_epu8(vb, va));
    *maxv = _mm256_max_epu8(*maxv, ad);
    *equal = _mm256_sub_epi8(*equal, _mm256_cmpeq_epi8(ad, zero));
    const __m256i lo = _mm256_unpacklo_epi8(ad, zero), hi = _mm256_unpackhi_epi8(ad, zero);
    *sse32 = _mm256_add_epi32(*sse32, _mm256_add_epi32(_mm256_madd_epi16(lo, lo), _mm256_madd_epi16(hi, hi)));
}

void Sums8(const uint8_t* a, const uint8_t* b, size_t n, DiffSums* sums) {
    const __m256i zero = _mm256_setzero_si256();
    __m256i sse64 = zero, equal64 = zero, maxv = zero;
    uint64_t blocksDone = 0;
    size_t i = 0;
    // Pairs of blocks, two independent chains; at most 254 blocks a chunk
    // for the byte counters, 32-bit lanes take at most 2 x 127 x 4 x 255^2.
    while (n - i >= 64) {
        size_t pairs = (n - i) / 64;
        pairs = pairs < 127 ? pairs : 127;
        __m256i sseA = zero, sseB = zero, equalA = zero, equalB = zero;
        for (size_t k = 0; k < pairs; ++k, i += 64) {
            Block8(a + i, b + i, &maxv, &equalA, &sseA);
            Block8(a + i + 32, b + i + 32, &maxv, &equalB, &sseB);
        }
        sse64 = Widen32(sse64, _mm256_add_epi32(sseA, sseB));
        equal64 = _mm256_add_epi64(equal64, _mm256_add_epi64(_mm256_sad_epu8(equalA, zero),
                                                             _mm256_sad_epu8(equalB, zero)));
        blocksDone += 2 * pairs;
    }
    __m128i m = _mm_max_epu8(_mm256_castsi256_si128(maxv), _mm256_extracti128_si256(maxv, 1));
    m = _mm_max_epu8(m, _mm_srli_si128(m, 8));
    m = _mm_max_epu8(m, _mm_srli_si128(m, 4));
    m = _mm_max_epu8(m, _mm_srli_si128(m, 2));
    m = _mm_max_epu8(m, _mm_srli_si128(m, 1));
    const uint32_t top = static_cast<uint32_t>(_mm_cvtsi128_si32(m)) & 0xFF;
    sums->sse += Sum64(sse64);
    sums->differing += 32 * blocksDone - Sum64(equal64);
    sums->maxDiff = top > sums->maxDiff ? top : sums->maxDiff;
    _mm256_zeroupper();
    Sse2CompareKernels.sums8(a + i, b + i, n - i, sums);
}

// One vector of sixteen word differences: the largest, a count of the equal
// ones, and their exact squares into four 64-bit lanes.
inline __attribute__((always_inline)) void WordVector(__m256i va, __m256i vb, __m256i* maxv, __m256i* equal16,
                                                      __m256i* sse64) {
    const __m256i ad = _mm256_sub_epi16(_mm256_max_epu16(va, vb), _mm256_min_epu16(va, vb));
    *maxv = _mm256_max_epu16(*maxv, ad);
    *equal16 = _mm256_sub_epi16(*equal16, _mm256_cmpeq_epi16(ad, _mm256_setzero_si256()));
    const __m256i lo = _mm256_mullo_epi16(ad, ad), hi = _mm256_mulhi_epu16(ad, ad);
    *sse64 = Widen32(*sse64, _mm256_unpacklo_epi16(lo, hi));
    *sse64 = Widen32(*sse64, _mm256_unpackhi_epi16(lo, hi));
}

void Sums16(const uint8_t* a, const uint8_t* b, size_t n, DiffSums* sums) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i ones = _mm256_set1_epi16(1);
    __m256i sse64 = zero, maxv = zero;
    uint64_t equal = 0;
    size_t i = 0;
    while (n - i >= 16) {
        size_t blocks = (n - i) / 16;
        blocks = blocks < kChunkBlocks ? blocks : kChunkBlocks;
        __m256i equal16 = zero;
        for (size_t k = 0; k < blocks; ++k, i += 16) {
            WordVector(Load(a + 2 * i), Load(b + 2 * i), &maxv, &equal16, &sse64);
        }
        equal += Sum64(Widen32(zero, _mm256_madd_epi16(equal16, ones)));
        sums->differing += 16 * uint64_t{blocks};
    }
    __m128i m = _mm_max_epu16(_mm256_castsi256_si128(maxv), _mm256_extracti128_si256(maxv, 1));
    m = _mm_max_epu16(m, _mm_srli_si128(m, 8));
    m = _mm_max_epu16(m, _mm_srli_si128(m, 4));
    m = _mm_max_epu16(m, _mm_srli_si128(m, 2));
    const uint32_t top = static_cast<uint32_t>(_mm_cvtsi128_si32(m)) & 0xFFFF;
    sums->sse += Sum64(sse64);
    sums->differing -= equal;
    sums->maxDiff = top > sums->maxDiff ? top : sums->maxDiff;
    _mm256_zeroupper();
    Sse2CompareKernels.sums16(a + 2 * i, b + 2 * i, n - i, sums);
}

uint64_t Sum32(__m256i v) {
    uint32_t lanes[8];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes), v);
    uint64_t sum = 0;
    for (int j = 0; j < 8; ++j) {
        sum += lanes[j];
    }
    return sum;
}

// Groups of four channels, 8 groups (32 bytes) a block: byte j of either
// 128-bit half is channel j % 4. A byte shuffle puts each half's four
// samples of channel 0, 1, 2 and 3 side by side; widened to 16-bit words,
// madd sums two of one channel in each 32-bit lane, the lanes going 0 0 1 1
// in the low words and 2 2 3 3 in the high ones.
void Sums8x4(const uint8_t* a, const uint8_t* b, size_t n, DiffSums sums[4]) {
    // Byte counters reach at most 255 blocks; a 32-bit lane gains at most
    // 2 x 255^2 a block.
    const size_t kBlocks = 255;
    const __m256i zero = _mm256_setzero_si256();
    const __m256i byChannel = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 0, 4, 8,
                                               12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
    __m256i maxv = zero;
    uint64_t sse[4] = {0, 0, 0, 0}, equal[4] = {0, 0, 0, 0}, blocksDone = 0;
    size_t i = 0;
    while (n - i >= 8) {
        size_t blocks = (n - i) / 8;
        blocks = blocks < kBlocks ? blocks : kBlocks;
        __m256i low = zero, high = zero, equal8 = zero;
        for (size_t q = 0; q < blocks; ++q, i += 8) {
            const __m256i va = Load(a + 4 * i), vb = Load(b + 4 * i);
            const __m256i ad = _mm256_or_si256(_mm256_subs_epu8(va, vb), _mm256_subs_epu8(vb, va));
            maxv = _mm256_max_epu8(maxv, ad);
            equal8 = _mm256_sub_epi8(equal8, _mm256_cmpeq_epi8(ad, zero));
            const __m256i grouped = _mm256_shuffle_epi8(ad, byChannel);
            const __m256i lo = _mm256_unpacklo_epi8(grouped, zero), hi = _mm256_unpackhi_epi8(grouped, zero);
            low = _mm256_add_epi32(low, _mm256_madd_epi16(lo, lo));
            high = _mm256_add_epi32(high, _mm256_madd_epi16(hi, hi));
        }
        uint32_t l[8], h[8];
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(l), low);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(h), high);
        for (int j = 0; j < 8; ++j) {
            sse[j % 4 / 2] += l[j];
            sse[2 + j % 4 / 2] += h[j];
        }
        uint8_t bytes[32];
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(bytes), equal8);
        for (int j = 0; j < 32; ++j) {
            equal[j % 4] += bytes[j];
        }
        blocksDone += blocks;
    }
    uint8_t top[32];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(top), maxv);
    for (int j = 0; j < 32; ++j) {
        DiffSums& s = sums[j % 4];
        s.maxDiff = top[j] > s.maxDiff ? top[j] : s.maxDiff;
    }
    for (int c = 0; c < 4; ++c) {
        sums[c].sse += sse[c];
        sums[c].differing += 8 * blocksDone - equal[c];
    }
    _mm256_zeroupper();
    Sse2CompareKernels.sums8x4(a + 4 * i, b + 4 * i, n - i, sums);
}

// As in the SSE2 kernel, 8 pairs (32 bytes) a block: the 64-bit lanes of
// the squares alternate channel 0 and channel 1.
void Sums16x2(const uint8_t* a, const uint8_t* b, size_t n, uint32_t shift, DiffSums sums[2]) {
    const __m256i zero = _mm256_setzero_si256();
    const __m128i count = _mm_cvtsi32_si128(static_cast<int>(shift));
    const __m256i evenWords = _mm256_set1_epi32(1), oddWords = _mm256_set1_epi32(0x10000);
    __m256i sse64 = zero, maxv = zero;
    uint64_t equal[2] = {0, 0}, blocksDone = 0;
    size_t i = 0;
    while (n - i >= 8) {
        size_t blocks = (n - i) / 8;
        blocks = blocks < kChunkBlocks ? blocks : kChunkBlocks;
        __m256i equal16 = zero;
        for (size_t k = 0; k < blocks; ++k, i += 8) {
            WordVector(_mm256_srl_epi16(Load(a + 4 * i), count), _mm256_srl_epi16(Load(b + 4 * i), count),
                       &maxv, &equal16, &sse64);
        }
        equal[0] += Sum32(_mm256_madd_epi16(equal16, evenWords));
        equal[1] += Sum32(_mm256_madd_epi16(equal16, oddWords));
        blocksDone += blocks;
    }
    uint64_t lanes[4];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes), sse64);
    uint16_t top[16];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(top), maxv);
    for (int c = 0; c < 2; ++c) {
        sums[c].sse += lanes[c] + lanes[c + 2];
        sums[c].differing += 8 * blocksDone - equal[c];
        for (int j = c; j < 16; j += 2) {
            sums[c].maxDiff = top[j] > sums[c].maxDiff ? top[j] : sums[c].maxDiff;
        }
    }
    _mm256_zeroupper();
    Sse2CompareKernels.sums16x2(a + 4 * i, b + 4 * i, n - i, shift, sums);
}

size_t FirstDiff(const uint8_t* a, const uint8_t* b, size_t bytes) {
    size_t i = 0;
    for (; bytes - i >= 32; i += 32) {
        const unsigned equal =
            static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(Load(a + i), Load(b + i))));
        if (equal != 0xFFFFFFFFu) {
            _mm256_zeroupper();
            return i + static_cast<size_t>(__builtin_ctz(~equal));
        }
    }
    _mm256_zeroupper();
    return i + Sse2CompareKernels.firstDiff(a + i, b + i, bytes - i);
}

void Difference8(const uint8_t* a, const uint8_t* b, size_t n, uint32_t shift, uint8_t* out) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i mid = _mm256_set1_epi16(128);
    const __m128i count = _mm_cvtsi32_si128(static_cast<int>(shift));
    size_t i = 0;
    for (; n - i >= 32; i += 32) {
        const __m256i va = Load(a + i), vb = Load(b + i);
        // Unpacking and packing both work within 128-bit halves, so the bytes
        // come back in their places.
        const __m256i lo = _mm256_sub_epi16(_mm256_unpacklo_epi8(va, zero), _mm256_unpacklo_epi8(vb, zero));
        const __m256i hi = _mm256_sub_epi16(_mm256_unpackhi_epi8(va, zero), _mm256_unpackhi_epi8(vb, zero));
        const __m256i r = _mm256_packus_epi16(_mm256_add_epi16(_mm256_sll_epi16(lo, count), mid),
                                              _mm256_add_epi16(_mm256_sll_epi16(hi, count), mid));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), r);
    }
    _mm256_zeroupper();
    Sse2CompareKernels.difference8(a + i, b + i, n - i, shift, out + i);
}

// As in the SSE2 kernel: the difference held to -255..255.
__m256i HeldDifference(__m256i va, __m256i vb) {
    const __m256i top = _mm256_set1_epi16(255);
    const __m256i up = _mm256_min_epu16(_mm256_subs_epu16(va, vb), top);
    const __m256i down = _mm256_min_epu16(_mm256_subs_epu16(vb, va), top);
    return _mm256_sub_epi16(up, down);
}

void Difference16(const uint8_t* a, const uint8_t* b, size_t n, uint32_t shift, uint8_t* out) {
    const __m256i mid = _mm256_set1_epi16(128);
    const __m128i count = _mm_cvtsi32_si128(static_cast<int>(shift));
    size_t i = 0;
    for (; n - i >= 32; i += 32) {
        const __m256i lo = HeldDifference(Load(a + 2 * i), Load(b + 2 * i));
        const __m256i hi = HeldDifference(Load(a + 2 * i + 32), Load(b + 2 * i + 32));
        // The pack works per 128-bit lane: put the quarters back in order.
        const __m256i r = _mm256_packus_epi16(_mm256_add_epi16(_mm256_sll_epi16(lo, count), mid),
                                              _mm256_add_epi16(_mm256_sll_epi16(hi, count), mid));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_permute4x64_epi64(r, 0xD8));
    }
    _mm256_zeroupper();
    Sse2CompareKernels.difference16(a + 2 * i, b + 2 * i, n - i, shift, out + i);
}

} // namespace

// Interleaved pixels stay on the SSE2 kernel: 32-byte unpacking works in
// 16-byte halves, which scrambles the lanes' channel patterns.
const CompareKernels Avx2CompareKernels = {Sums8,    Sums16,    Sse2Sums8x3, Sums8x4,
                                           Sums16x2, FirstDiff, Difference8, Difference16};
