// SSE2 kernels of SSIM's block sums: four blocks of 8-bit samples (16 bytes
// a row) or two of words (16 bytes a row) a step; the blocks after the last
// whole step go to the scalar kernels.
#include <emmintrin.h>

#include "ssim_kernels.h"

namespace {

__m128i Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

void Store(BlockSums* out, __m128i low, __m128i high) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&out->s1), low);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&out->ss), high);
}

// A block's 32-bit s1 s2 ss s12, widened to 64 bits.
void StoreBlock(BlockSums* out, __m128i sums) {
    const __m128i zero = _mm_setzero_si128();
    Store(out, _mm_unpacklo_epi32(sums, zero), _mm_unpackhi_epi32(sums, zero));
}

// Adjacent 32-bit lanes added: [x0 + x1, x2 + x3, y0 + y1, y2 + y3].
__m128i PairSums(__m128i x, __m128i y) {
    const __m128 fx = _mm_castsi128_ps(x), fy = _mm_castsi128_ps(y);
    return _mm_add_epi32(_mm_castps_si128(_mm_shuffle_ps(fx, fy, _MM_SHUFFLE(2, 0, 2, 0))),
                         _mm_castps_si128(_mm_shuffle_ps(fx, fy, _MM_SHUFFLE(3, 1, 3, 1))));
}

// One row of 8 samples of A and B (words wa, wb) added to the sums of their
// two blocks. Each 32-bit lane of the squares and products covers two
// samples: lanes 0 and 1 the first block, 2 and 3 the second.
inline __attribute__((always_inline)) void AddRow(__m128i wa, __m128i wb, __m128i* sumA, __m128i* sumB,
                                                  __m128i* squares, __m128i* products) {
    *sumA = _mm_add_epi16(*sumA, wa);
    *sumB = _mm_add_epi16(*sumB, wb);
    *squares = _mm_add_epi32(*squares, _mm_add_epi32(_mm_madd_epi16(wa, wa), _mm_madd_epi16(wb, wb)));
    *products = _mm_add_epi32(*products, _mm_madd_epi16(wa, wb));
}

void BlockSums8(const uint8_t* a, const uint8_t* b, size_t stride, size_t blocks, BlockSums* out) {
    const __m128i zero = _mm_setzero_si128(), ones = _mm_set1_epi16(1);
    size_t k = 0;
    for (; blocks - k >= 4; k += 4) {
        // Sample sums in words (at most 4 x 255), the rest in 32-bit lanes;
        // blocks k, k + 1 from the low bytes, k + 2, k + 3 from the high ones.
        __m128i sumA0 = zero, sumB0 = zero, squares0 = zero, products0 = zero;
        __m128i sumA1 = zero, sumB1 = zero, squares1 = zero, products1 = zero;
        for (size_t y = 0; y < 4; ++y) {
            const __m128i va = Load(a + y * stride + 4 * k), vb = Load(b + y * stride + 4 * k);
            AddRow(_mm_unpacklo_epi8(va, zero), _mm_unpacklo_epi8(vb, zero), &sumA0, &sumB0, &squares0,
                   &products0);
            AddRow(_mm_unpackhi_epi8(va, zero), _mm_unpackhi_epi8(vb, zero), &sumA1, &sumB1, &squares1,
                   &products1);
        }
        // One lane per block: s1, s2, ss and s12 of blocks k to k + 3.
        const __m128i s1 = PairSums(_mm_madd_epi16(sumA0, ones), _mm_madd_epi16(sumA1, ones));
        const __m128i s2 = PairSums(_mm_madd_epi16(sumB0, ones), _mm_madd_epi16(sumB1, ones));
        const __m128i ss = PairSums(squares0, squares1);
        const __m128i s12 = PairSums(products0, products1);
        // Turned into one vector of s1 s2 ss s12 per block.
        const __m128i lo1 = _mm_unpacklo_epi32(s1, s2), lo2 = _mm_unpacklo_epi32(ss, s12);
        const __m128i hi1 = _mm_unpackhi_epi32(s1, s2), hi2 = _mm_unpackhi_epi32(ss, s12);
        StoreBlock(out + k, _mm_unpacklo_epi64(lo1, lo2));
        StoreBlock(out + k + 1, _mm_unpackhi_epi64(lo1, lo2));
        StoreBlock(out + k + 2, _mm_unpacklo_epi64(hi1, hi2));
        StoreBlock(out + k + 3, _mm_unpackhi_epi64(hi1, hi2));
    }
    ScalarSsimKernels.blockSums8(a + 4 * k, b + 4 * k, stride, blocks - k, out + k);
}

// Words are taken as unsigned: SSE2 multiplies and adds them only as signed
// ones, so each 16-bit term x is added as x - 2^15 (its top bit flipped) and
// the 2^15s come back at the end. A square or product is added as its low
// and high 16 bits, each summed so in 32-bit lanes.
void BlockSums16(const uint8_t* a, const uint8_t* b, size_t stride, size_t blocks, BlockSums* out) {
    const __m128i zero = _mm_setzero_si128(), ones = _mm_set1_epi16(1);
    const __m128i flip = _mm_set1_epi16(static_cast<short>(0x8000));
    // The 2^15s of a block's terms: 16 samples of A or B, 32 squares, 16 products.
    const __m128i sampleBias = _mm_set1_epi32(16 << 15), squareBias = _mm_set1_epi32(32 << 15),
                  productBias = sampleBias;
    size_t k = 0;
    for (; blocks - k >= 2; k += 2) {
        __m128i s1 = zero, s2 = zero, squareLow = zero, squareHigh = zero, productLow = zero, productHigh = zero;
        for (size_t y = 0; y < 4; ++y) {
            const __m128i va = Load(a + y * stride + 8 * k), vb = Load(b + y * stride + 8 * k);
            s1 = _mm_add_epi32(s1, _mm_madd_epi16(_mm_xor_si128(va, flip), ones));
            s2 = _mm_add_epi32(s2, _mm_madd_epi16(_mm_xor_si128(vb, flip), ones));
            const __m128i aaLow = _mm_xor_si128(_mm_mullo_epi16(va, va), flip);
            const __m128i bbLow = _mm_xor_si128(_mm_mullo_epi16(vb, vb), flip);
            const __m128i aaHigh = _mm_xor_si128(_mm_mulhi_epu16(va, va), flip);
            const __m128i bbHigh = _mm_xor_si128(_mm_mulhi_epu16(vb, vb), flip);
            squareLow = _mm_add_epi32(squareLow,
                                      _mm_add_epi32(_mm_madd_epi16(aaLow, ones), _mm_madd_epi16(bbLow, ones)));
            squareHigh = _mm_add_epi32(squareHigh, _mm_add_epi32(_mm_madd_epi16(aaHigh, ones),
                                                                 _mm_madd_epi16(bbHigh, ones)));
            productLow =
                _mm_add_epi32(productLow, _mm_madd_epi16(_mm_xor_si128(_mm_mullo_epi16(va, vb), flip), ones));
            productHigh =
                _mm_add_epi32(productHigh, _mm_madd_epi16(_mm_xor_si128(_mm_mulhi_epu16(va, vb), flip), ones));
        }
        // [s1 of k, of k + 1, s2 of k, of k + 1], and the low and high halves
        // of ss and s12 alike: each below 2^21 once the 2^15s are back.
        const __m128i s = _mm_add_epi32(PairSums(s1, s2), sampleBias);
        const __m128i squares = _mm_add_epi32(PairSums(squareLow, squareHigh), squareBias);
        const __m128i products = _mm_add_epi32(PairSums(productLow, productHigh), productBias);
        const __m128i ss = _mm_add_epi64(_mm_unpacklo_epi32(squares, zero),
                                         _mm_slli_epi64(_mm_unpackhi_epi32(squares, zero), 16));
        const __m128i s12 = _mm_add_epi64(_mm_unpacklo_epi32(products, zero),
                                          _mm_slli_epi64(_mm_unpackhi_epi32(products, zero), 16));
        const __m128i sa = _mm_unpacklo_epi32(s, zero), sb = _mm_unpackhi_epi32(s, zero);
        Store(out + k, _mm_unpacklo_epi64(sa, sb), _mm_unpacklo_epi64(ss, s12));
        Store(out + k + 1, _mm_unpackhi_epi64(sa, sb), _mm_unpackhi_epi64(ss, s12));
    }
    ScalarSsimKernels.blockSums16(a + 8 * k, b + 8 * k, stride, blocks - k, out + k);
}

} // namespace

const SsimKernels Sse2SsimKernels = {BlockSums8, BlockSums16};
