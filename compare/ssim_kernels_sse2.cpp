// SSE2 kernels of SSIM: block sums of four blocks of 8-bit samples (16
// bytes a row) or two of words (16 bytes a row) a step, and two windows a
// step; what follows the last whole step goes to the scalar kernels.
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

// s1 s2 (low) and ss s12 (high) of block top[0] plus block bottom[0].
void ColumnSums(const BlockSums* top, const BlockSums* bottom, __m128i* low, __m128i* high) {
    const uint8_t *t = reinterpret_cast<const uint8_t*>(top), *b = reinterpret_cast<const uint8_t*>(bottom);
    *low = _mm_add_epi64(Load(t), Load(b));
    *high = _mm_add_epi64(Load(t + 16), Load(b + 16));
}

// 64-bit lanes below 2^52 as doubles, exactly: the lane put in the mantissa
// of 2^52, less 2^52.
__m128d Exact(__m128i v) {
    const __m128i top = _mm_set1_epi64x(0x4330000000000000);
    return _mm_sub_pd(_mm_castsi128_pd(_mm_or_si128(v, top)), _mm_set1_pd(4503599627370496.0));
}

// Two windows a step, in double precision up to the four factors: a
// window's integers stay below 2^46, so every double there is exact, and
// each factor is rounded to single precision once, as from the integer.
void Windows(const BlockSums* top, const BlockSums* bottom, size_t windows, int64_t c1, int64_t c2, float* out) {
    const __m128d k1 = _mm_set1_pd(static_cast<double>(c1)), k2 = _mm_set1_pd(static_cast<double>(c2));
    const __m128d two = _mm_set1_pd(2), sixtyFour = _mm_set1_pd(64);
    // The high two lanes of the singles are 0; their quotient 1, not 0 / 0.
    const __m128 oneAbove = _mm_setr_ps(0, 0, 1, 1);
    size_t x = 0;
    __m128i low0 = _mm_setzero_si128(), high0 = low0; // column x
    if (windows >= 2) {
        ColumnSums(top, bottom, &low0, &high0);
    }
    for (; windows - x >= 2; x += 2) {
        __m128i low1, high1, low2, high2;
        ColumnSums(top + x + 1, bottom + x + 1, &low1, &high1);
        ColumnSums(top + x + 2, bottom + x + 2, &low2, &high2);
        const __m128i first = _mm_add_epi64(low0, low1), firstHigh = _mm_add_epi64(high0, high1);
        const __m128i second = _mm_add_epi64(low1, low2), secondHigh = _mm_add_epi64(high1, high2);
        const __m128d s1 = Exact(_mm_unpacklo_epi64(first, second)),
                      s2 = Exact(_mm_unpackhi_epi64(first, second));
        const __m128d ss = Exact(_mm_unpacklo_epi64(firstHigh, secondHigh));
        const __m128d s12 = Exact(_mm_unpackhi_epi64(firstHigh, secondHigh));
        const __m128d s1s2 = _mm_mul_pd(s1, s2), squares = _mm_add_pd(_mm_mul_pd(s1, s1), _mm_mul_pd(s2, s2));
        const __m128d vars = _mm_sub_pd(_mm_mul_pd(ss, sixtyFour), squares);
        const __m128d covar = _mm_sub_pd(_mm_mul_pd(s12, sixtyFour), s1s2);
        const __m128 numerator = _mm_mul_ps(_mm_cvtpd_ps(_mm_add_pd(_mm_mul_pd(s1s2, two), k1)),
                                            _mm_cvtpd_ps(_mm_add_pd(_mm_mul_pd(covar, two), k2)));
        const __m128 denominator = _mm_add_ps(
            _mm_mul_ps(_mm_cvtpd_ps(_mm_add_pd(squares, k1)), _mm_cvtpd_ps(_mm_add_pd(vars, k2))), oneAbove);
        _mm_storel_pi(reinterpret_cast<__m64*>(out + x), _mm_div_ps(numerator, denominator));
        low0 = low2;
        high0 = high2;
    }
    ScalarSsimKernels.windows(top + x, bottom + x, windows - x, c1, c2, out + x);
}

} // namespace

const SsimKernels Sse2SsimKernels = {BlockSums8, BlockSums16, Windows};
