// SSE2 kernels of unpacking, 16 samples a block; the rest of a row goes to
// the scalar kernels.
#include <emmintrin.h>

#include "unpack_kernels.h"

namespace {

__m128i Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

void WordsToBytes(const uint8_t* in, size_t count, uint32_t round, uint32_t shift, uint8_t* out) {
    const __m128i r = _mm_set1_epi16(static_cast<short>(round));
    const __m128i s = _mm_cvtsi32_si128(static_cast<int>(shift));
    size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        // The saturating add stops at 65535, which shows as 255 as the exact
        // sum would; after the shift the words are below 2^15, so the
        // signed pack clamps them to 255 as ShownSample does.
        const __m128i lo = _mm_srl_epi16(_mm_adds_epu16(Load(in + 2 * i), r), s);
        const __m128i hi = _mm_srl_epi16(_mm_adds_epu16(Load(in + 2 * i + 16), r), s);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(lo, hi));
    }
    ScalarUnpackKernels.wordsToBytes(in + 2 * i, count - i, round, shift, out + i);
}

void SplitPairs(const uint8_t* in, size_t pairs, uint8_t* first, uint8_t* second) {
    const __m128i low = _mm_set1_epi16(0x00FF);
    size_t i = 0;
    for (; i + 16 <= pairs; i += 16) {
        const __m128i a = Load(in + 2 * i), b = Load(in + 2 * i + 16);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(first + i),
                         _mm_packus_epi16(_mm_and_si128(a, low), _mm_and_si128(b, low)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(second + i),
                         _mm_packus_epi16(_mm_srli_epi16(a, 8), _mm_srli_epi16(b, 8)));
    }
    ScalarUnpackKernels.splitPairs(in + 2 * i, pairs - i, first + i, second + i);
}

void SplitGroups(const uint8_t* in, size_t groups, bool uFirst, uint8_t* y, uint8_t* u, uint8_t* v) {
    const __m128i low = _mm_set1_epi16(0x00FF);
    size_t k = 0;
    for (; k + 8 <= groups; k += 8) {
        const __m128i a = Load(in + 4 * k), b = Load(in + 4 * k + 16);
        // Even bytes and odd bytes: luma and chroma pairs, whichever comes first.
        const __m128i even = _mm_packus_epi16(_mm_and_si128(a, low), _mm_and_si128(b, low));
        const __m128i odd = _mm_packus_epi16(_mm_srli_epi16(a, 8), _mm_srli_epi16(b, 8));
        const __m128i luma = uFirst ? odd : even, chroma = uFirst ? even : odd;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(y + 2 * k), luma);
        const __m128i zero = _mm_setzero_si128();
        _mm_storel_epi64(reinterpret_cast<__m128i*>(u + k), _mm_packus_epi16(_mm_and_si128(chroma, low), zero));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(v + k), _mm_packus_epi16(_mm_srli_epi16(chroma, 8), zero));
    }
    ScalarUnpackKernels.splitGroups(in + 4 * k, groups - k, uFirst, y + 2 * k, u + k, v + k);
}

void ShiftWords(const uint8_t* in, size_t count, uint32_t shift, uint8_t* out) {
    const __m128i s = _mm_cvtsi32_si128(static_cast<int>(shift));
    size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * i), _mm_srl_epi16(Load(in + 2 * i), s));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * i + 16), _mm_srl_epi16(Load(in + 2 * i + 16), s));
    }
    ScalarUnpackKernels.shiftWords(in + 2 * i, count - i, shift, out + 2 * i);
}

void SplitWordPairs(const uint8_t* in, size_t pairs, uint32_t shift, uint8_t* first, uint8_t* second) {
    const __m128i s = _mm_cvtsi32_si128(static_cast<int>(shift));
    size_t i = 0;
    for (; i + 8 <= pairs; i += 8) {
        const __m128i a = Load(in + 4 * i), b = Load(in + 4 * i + 16);
        // Each word sign-extended to 32 bits packs back to its own bits.
        const __m128i evenA = _mm_srai_epi32(_mm_slli_epi32(a, 16), 16);
        const __m128i evenB = _mm_srai_epi32(_mm_slli_epi32(b, 16), 16);
        const __m128i even = _mm_packs_epi32(evenA, evenB);
        const __m128i odd = _mm_packs_epi32(_mm_srai_epi32(a, 16), _mm_srai_epi32(b, 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(first + 2 * i), _mm_srl_epi16(even, s));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(second + 2 * i), _mm_srl_epi16(odd, s));
    }
    ScalarUnpackKernels.splitWordPairs(in + 4 * i, pairs - i, shift, first + 2 * i, second + 2 * i);
}

} // namespace

const UnpackKernels Sse2UnpackKernels = {WordsToBytes, SplitPairs, SplitGroups, ShiftWords, SplitWordPairs};
