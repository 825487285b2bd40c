// AVX2 kernels of SSIM: the SSE2 kernels' block sums on 32 bytes a row, each
// 128-bit half working as an SSE2 vector does (eight blocks of 8-bit
// samples, four of words), and four windows a step; the rest of a row goes
// to the SSE2 kernels.
#include <immintrin.h>

#include "ssim_kernels.h"

namespace {

__m256i Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }

void Store(BlockSums* out, __m256i sums) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(&out->s1), sums); }

// The 32-bit s1 s2 ss s12 of a block in each half: the low half's block at
// out[0], the high half's at out[4], widened to 64 bits.
void StorePair(BlockSums* out, __m256i sums) {
    Store(out, _mm256_cvtepu32_epi64(_mm256_castsi256_si128(sums)));
    Store(out + 4, _mm256_cvtepu32_epi64(_mm256_extracti128_si256(sums, 1)));
}

// Adjacent 32-bit lanes added within each half: [x0 + x1, x2 + x3, y0 + y1, y2 + y3].
__m256i PairSums(__m256i x, __m256i y) {
    const __m256 fx = _mm256_castsi256_ps(x), fy = _mm256_castsi256_ps(y);
    return _mm256_add_epi32(_mm256_castps_si256(_mm256_shuffle_ps(fx, fy, _MM_SHUFFLE(2, 0, 2, 0))),
                            _mm256_castps_si256(_mm256_shuffle_ps(fx, fy, _MM_SHUFFLE(3, 1, 3, 1))));
}

// One row of 16 samples of A and B (words wa, wb; two blocks in each half)
// added to the sums of their blocks.
inline __attribute__((always_inline)) void AddRow(__m256i wa, __m256i wb, __m256i* sumA, __m256i* sumB,
                                                  __m256i* squares, __m256i* products) {
    *sumA = _mm256_add_epi16(*sumA, wa);
    *sumB = _mm256_add_epi16(*sumB, wb);
    *squares =
        _mm256_add_epi32(*squares, _mm256_add_epi32(_mm256_madd_epi16(wa, wa), _mm256_madd_epi16(wb, wb)));
    *products = _mm256_add_epi32(*products, _mm256_madd_epi16(wa, wb));
}

void BlockSums8(const uint8_t* a, const uint8_t* b, size_t stride, size_t blocks, BlockSums* out) {
    const __m256i zero = _mm256_setzero_si256(), ones = _mm256_set1_epi16(1);
    size_t k = 0;
    for (; blocks - k >= 8; k += 8) {
        // Low and high bytes of each half: blocks 0, 1 and 2, 3 of the half.
        __m256i sumA0 = zero, sumB0 = zero, squares0 = zero, products0 = zero;
        __m256i sumA1 = zero, sumB1 = zero, squares1 = zero, products1 = zero;
        for (size_t y = 0; y < 4; ++y) {
            const __m256i va = Load(a + y * stride + 4 * k), vb = Load(b + y * stride + 4 * k);
            AddRow(_mm256_unpacklo_epi8(va, zero), _mm256_unpacklo_epi8(vb, zero), &sumA0, &sumB0, &squares0,
                   &products0);
            AddRow(_mm256_unpackhi_epi8(va, zero), _mm256_unpackhi_epi8(vb, zero), &sumA1, &sumB1, &squares1,
                   &products1);
        }
        // Blocks k to k + 3 in the low half, k + 4 to k + 7 in the high one.
        const __m256i s1 = PairSums(_mm256_madd_epi16(sumA0, ones), _mm256_madd_epi16(sumA1, ones));
        const __m256i s2 = PairSums(_mm256_madd_epi16(sumB0, ones), _mm256_madd_epi16(sumB1, ones));
        const __m256i ss = PairSums(squares0, squares1);
        const __m256i s12 = PairSums(products0, products1);
        const __m256i lo1 = _mm256_unpacklo_epi32(s1, s2), lo2 = _mm256_unpacklo_epi32(ss, s12);
        const __m256i hi1 = _mm256_unpackhi_epi32(s1, s2), hi2 = _mm256_unpackhi_epi32(ss, s12);
        // One vector of s1 s2 ss s12 for blocks k + j and k + j + 4.
        StorePair(out + k, _mm256_unpacklo_epi64(lo1, lo2));
        StorePair(out + k + 1, _mm256_unpackhi_epi64(lo1, lo2));
        StorePair(out + k + 2, _mm256_unpacklo_epi64(hi1, hi2));
        StorePair(out + k + 3, _mm256_unpackhi_epi64(hi1, hi2));
    }
    _mm256_zeroupper();
    Sse2SsimKernels.blockSums8(a + 4 * k, b + 4 * k, stride, blocks - k, out + k);
}

// As in the SSE2 kernel: terms added with their top bit flipped, squares
// and products as their low and high 16 bits.
void BlockSums16(const uint8_t* a, const uint8_t* b, size_t stride, size_t blocks, BlockSums* out) {
    const __m256i zero = _mm256_setzero_si256(), ones = _mm256_set1_epi16(1);
    const __m256i flip = _mm256_set1_epi16(static_cast<short>(0x8000));
    const __m256i sampleBias = _mm256_set1_epi32(16 << 15), squareBias = _mm256_set1_epi32(32 << 15),
                  productBias = sampleBias;
    size_t k = 0;
    for (; blocks - k >= 4; k += 4) {
        __m256i s1 = zero, s2 = zero, squareLow = zero, squareHigh = zero, productLow = zero, productHigh = zero;
        for (size_t y = 0; y < 4; ++y) {
            const __m256i va = Load(a + y * stride + 8 * k), vb = Load(b + y * stride + 8 * k);
            s1 = _mm256_add_epi32(s1, _mm256_madd_epi16(_mm256_xor_si256(va, flip), ones));
            s2 = _mm256_add_epi32(s2, _mm256_madd_epi16(_mm256_xor_si256(vb, flip), ones));
            const __m256i aaLow = _mm256_xor_si256(_mm256_mullo_epi16(va, va), flip);
            const __m256i bbLow = _mm256_xor_si256(_mm256_mullo_epi16(vb, vb), flip);
            const __m256i aaHigh = _mm256_xor_si256(_mm256_mulhi_epu16(va, va), flip);
            const __m256i bbHigh = _mm256_xor_si256(_mm256_mulhi_epu16(vb, vb), flip);
            squareLow = _mm256_add_epi32(squareLow, _mm256_add_epi32(_mm256_madd_epi16(aaLow, ones),
                                                                     _mm256_madd_epi16(bbLow, ones)));
            squareHigh = _mm256_add_epi32(squareHigh, _mm256_add_epi32(_mm256_madd_epi16(aaHigh, ones),
                                                                       _mm256_madd_epi16(bbHigh, ones)));
            productLow = _mm256_add_epi32(
                productLow, _mm256_madd_epi16(_mm256_xor_si256(_mm256_mullo_epi16(va, vb), flip), ones));
            productHigh = _mm256_add_epi32(
                productHigh, _mm256_madd_epi16(_mm256_xor_si256(_mm256_mulhi_epu16(va, vb), flip), ones));
        }
        // Blocks k and k + 1 in the low half, k + 2 and k + 3 in the high one.
        const __m256i s = _mm256_add_epi32(PairSums(s1, s2), sampleBias);
        const __m256i squares = _mm256_add_epi32(PairSums(squareLow, squareHigh), squareBias);
        const __m256i products = _mm256_add_epi32(PairSums(productLow, productHigh), productBias);
        const __m256i ss = _mm256_add_epi64(_mm256_unpacklo_epi32(squares, zero),
                                            _mm256_slli_epi64(_mm256_unpackhi_epi32(squares, zero), 16));
        const __m256i s12 = _mm256_add_epi64(_mm256_unpacklo_epi32(products, zero),
                                             _mm256_slli_epi64(_mm256_unpackhi_epi32(products, zero), 16));
        const __m256i sa = _mm256_unpacklo_epi32(s, zero), sb = _mm256_unpackhi_epi32(s, zero);
        // s1 s2 of blocks k (low half) and k + 2 (high half); ss s12 alike.
        const __m256i first = _mm256_unpacklo_epi64(sa, sb), firstSquares = _mm256_unpacklo_epi64(ss, s12);
        const __m256i second = _mm256_unpackhi_epi64(sa, sb), secondSquares = _mm256_unpackhi_epi64(ss, s12);
        Store(out + k, _mm256_permute2x128_si256(first, firstSquares, 0x20));
        Store(out + k + 1, _mm256_permute2x128_si256(second, secondSquares, 0x20));
        Store(out + k + 2, _mm256_permute2x128_si256(first, firstSquares, 0x31));
        Store(out + k + 3, _mm256_permute2x128_si256(second, secondSquares, 0x31));
    }
    _mm256_zeroupper();
    Sse2SsimKernels.blockSums16(a + 8 * k, b + 8 * k, stride, blocks - k, out + k);
}

// 64-bit lanes below 2^52 as doubles, exactly, as in the SSE2 kernel.
__m256d Exact(__m256i v) {
    const __m256i top = _mm256_set1_epi64x(0x4330000000000000);
    return _mm256_sub_pd(_mm256_castsi256_pd(_mm256_or_si256(v, top)), _mm256_set1_pd(4503599627370496.0));
}

__m256i ColumnSums(const BlockSums* top, const BlockSums* bottom) {
    return _mm256_add_epi64(Load(reinterpret_cast<const uint8_t*>(top)),
                            Load(reinterpret_cast<const uint8_t*>(bottom)));
}

// Four windows a step, computed as in the SSE2 kernel.
void Windows(const BlockSums* top, const BlockSums* bottom, size_t windows, int64_t c1, int64_t c2, float* out) {
    const __m256d k1 = _mm256_set1_pd(static_cast<double>(c1)), k2 = _mm256_set1_pd(static_cast<double>(c2));
    const __m256d two = _mm256_set1_pd(2), sixtyFour = _mm256_set1_pd(64);
    size_t x = 0;
    __m256i column = windows >= 4 ? ColumnSums(top, bottom) : _mm256_setzero_si256(); // column x
    for (; windows - x >= 4; x += 4) {
        // s1 s2 ss s12 of windows x to x + 3, then each sum of the four windows.
        const __m256i c1s = ColumnSums(top + x + 1, bottom + x + 1),
                      c2s = ColumnSums(top + x + 2, bottom + x + 2);
        const __m256i c3s = ColumnSums(top + x + 3, bottom + x + 3),
                      c4s = ColumnSums(top + x + 4, bottom + x + 4);
        const __m256i w0 = _mm256_add_epi64(column, c1s), w1 = _mm256_add_epi64(c1s, c2s);
        const __m256i w2 = _mm256_add_epi64(c2s, c3s), w3 = _mm256_add_epi64(c3s, c4s);
        const __m256i t0 = _mm256_unpacklo_epi64(w0, w1), t1 = _mm256_unpackhi_epi64(w0, w1);
        const __m256i t2 = _mm256_unpacklo_epi64(w2, w3), t3 = _mm256_unpackhi_epi64(w2, w3);
        const __m256d s1 = Exact(_mm256_permute2x128_si256(t0, t2, 0x20));
        const __m256d ss = Exact(_mm256_permute2x128_si256(t0, t2, 0x31));
        const __m256d s2 = Exact(_mm256_permute2x128_si256(t1, t3, 0x20));
        const __m256d s12 = Exact(_mm256_permute2x128_si256(t1, t3, 0x31));
        const __m256d s1s2 = _mm256_mul_pd(s1, s2);
        const __m256d squares = _mm256_add_pd(_mm256_mul_pd(s1, s1), _mm256_mul_pd(s2, s2));
        const __m256d vars = _mm256_sub_pd(_mm256_mul_pd(ss, sixtyFour), squares);
        const __m256d covar = _mm256_sub_pd(_mm256_mul_pd(s12, sixtyFour), s1s2);
        const __m128 numerator = _mm_mul_ps(_mm256_cvtpd_ps(_mm256_add_pd(_mm256_mul_pd(s1s2, two), k1)),
                                            _mm256_cvtpd_ps(_mm256_add_pd(_mm256_mul_pd(covar, two), k2)));
        const __m128 denominator =
            _mm_mul_ps(_mm256_cvtpd_ps(_mm256_add_pd(squares, k1)), _mm256_cvtpd_ps(_mm256_add_pd(vars, k2)));
        _mm_storeu_ps(out + x, _mm_div_ps(numerator, denominator));
        column = c4s;
    }
    _mm256_zeroupper();
    Sse2SsimKernels.windows(top + x, bottom + x, windows - x, c1, c2, out + x);
}

} // namespace

const SsimKernels Avx2SsimKernels = {BlockSums8, BlockSums16, Windows};
