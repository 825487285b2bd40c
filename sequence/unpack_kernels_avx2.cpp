// AVX2 kernels of unpacking, 32 samples a block; the rest of a row goes to
// the SSE2 kernels.
#include <immintrin.h>

#include "unpack_kernels.h"

namespace {

__m256i Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }

// The 256-bit pack works per 128-bit lane: put the four quarters back in
// order.
__m256i PackInOrder(__m256i a, __m256i b) {
    return _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8);
}

void WordsToBytes(const uint8_t* in, size_t count, uint32_t round, uint32_t shift, uint8_t* out) {
    const __m256i r = _mm256_set1_epi16(static_cast<short>(round));
    const __m128i s = _mm_cvtsi32_si128(static_cast<int>(shift));
    size_t i = 0;
    for (; i + 32 <= count; i += 32) {
        const __m256i lo = _mm256_srl_epi16(_mm256_adds_epu16(Load(in + 2 * i), r), s);
        const __m256i hi = _mm256_srl_epi16(_mm256_adds_epu16(Load(in + 2 * i + 32), r), s);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), PackInOrder(lo, hi));
    }
    Sse2UnpackKernels.wordsToBytes(in + 2 * i, count - i, round, shift, out + i);
}

void SplitPairs(const uint8_t* in, size_t pairs, uint8_t* first, uint8_t* second) {
    const __m256i low = _mm256_set1_epi16(0x00FF);
    size_t i = 0;
    for (; i + 32 <= pairs; i += 32) {
        const __m256i a = Load(in + 2 * i), b = Load(in + 2 * i + 32);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(first + i),
                            PackInOrder(_mm256_and_si256(a, low), _mm256_and_si256(b, low)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(second + i),
                            PackInOrder(_mm256_srli_epi16(a, 8), _mm256_srli_epi16(b, 8)));
    }
    Sse2UnpackKernels.splitPairs(in + 2 * i, pairs - i, first + i, second + i);
}

void SplitGroups(const uint8_t* in, size_t groups, bool uFirst, uint8_t* y, uint8_t* u, uint8_t* v) {
    const __m256i low = _mm256_set1_epi16(0x00FF);
    size_t k = 0;
    for (; k + 16 <= groups; k += 16) {
        const __m256i a = Load(in + 4 * k), b = Load(in + 4 * k + 32);
        // Even bytes and odd bytes: luma and chroma pairs, whichever comes first.
        const __m256i even = PackInOrder(_mm256_and_si256(a, low), _mm256_and_si256(b, low));
        const __m256i odd = PackInOrder(_mm256_srli_epi16(a, 8), _mm256_srli_epi16(b, 8));
        const __m256i luma = uFirst ? odd : even, chroma = uFirst ? even : odd;
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(y + 2 * k), luma);
        // The 16 U samples in the low half, the 16 V samples in the high one.
        const __m256i uv = PackInOrder(_mm256_and_si256(chroma, low), _mm256_srli_epi16(chroma, 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(u + k), _mm256_castsi256_si128(uv));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(v + k), _mm256_extracti128_si256(uv, 1));
    }
    Sse2UnpackKernels.splitGroups(in + 4 * k, groups - k, uFirst, y + 2 * k, u + k, v + k);
}

void ShiftWords(const uint8_t* in, size_t count, uint32_t shift, uint8_t* out) {
    const __m128i s = _mm_cvtsi32_si128(static_cast<int>(shift));
    size_t i = 0;
    for (; i + 32 <= count; i += 32) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 2 * i), _mm256_srl_epi16(Load(in + 2 * i), s));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 2 * i + 32),
                            _mm256_srl_epi16(Load(in + 2 * i + 32), s));
    }
    Sse2UnpackKernels.shiftWords(in + 2 * i, count - i, shift, out + 2 * i);
}

void SplitWordPairs(const uint8_t* in, size_t pairs, uint32_t shift, uint8_t* first, uint8_t* second) {
    const __m128i s = _mm_cvtsi32_si128(static_cast<int>(shift));
    size_t i = 0;
    for (; i + 16 <= pairs; i += 16) {
        const __m256i a = Load(in + 4 * i), b = Load(in + 4 * i + 32);
        // As in the SSE2 kernel; the pack works per 128-bit lane.
        const __m256i evenA = _mm256_srai_epi32(_mm256_slli_epi32(a, 16), 16);
        const __m256i evenB = _mm256_srai_epi32(_mm256_slli_epi32(b, 16), 16);
        const __m256i even = _mm256_permute4x64_epi64(_mm256_packs_epi32(evenA, evenB), 0xD8);
        const __m256i odd = _mm256_permute4x64_epi64(
            _mm256_packs_epi32(_mm256_srai_epi32(a, 16), _mm256_srai_epi32(b, 16)), 0xD8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(first + 2 * i), _mm256_srl_epi16(even, s));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(second + 2 * i), _mm256_srl_epi16(odd, s));
    }
    Sse2UnpackKernels.splitWordPairs(in + 4 * i, pairs - i, shift, first + 2 * i, second + 2 * i);
}

} // namespace

const UnpackKernels Avx2UnpackKernels = {WordsToBytes, SplitPairs, SplitGroups, ShiftWords, SplitWordPairs};
