// SSE2 row kernels: 16 pixels per block. The table entries are computed with
// the fixed-point terms of the conversion, which the table build proves
// equal to every entry (the conversion runs these kernels only then); the
// entries are added as 16-bit words and packed with unsigned saturation,
// which equals the clamp table over the sums that occur.
#include <emmintrin.h>

#include "yuv_rows_128.h"

namespace {

// Four pixels of 4 bytes (blue, green, red, 0) packed to 12 bytes; the top 4
// bytes come out 0.
inline __m128i Pack12(__m128i p) {
    const __m128i even = _mm_set_epi32(0, -1, 0, -1);
    // In each 64-bit half the odd pixel moves down one byte onto the even
    // pixel's zero byte: 6 bytes at byte 0 and 6 at byte 8.
    const __m128i q = _mm_or_si128(_mm_and_si128(p, even), _mm_srli_epi64(_mm_andnot_si128(even, p), 8));
    // The upper 6 move down to byte 6.
    return _mm_or_si128(_mm_move_epi64(q), _mm_slli_si128(_mm_unpackhi_epi64(q, _mm_setzero_si128()), 6));
}

struct Sse2 {
    // |c| of 16-bit words, and t negated where c is negative: (t ^ s) - s
    // with s = c >> 15.
    static inline __m128i Magnitude(__m128i c) { return SignOf(c, c); }
    static inline __m128i SignOf(__m128i t, __m128i c) {
        const __m128i s = _mm_srai_epi16(c, 15);
        return _mm_sub_epi16(_mm_xor_si128(t, s), s);
    }

    // Blue, green and red words of pixels 0-7 (b0, g0, r0) and 8-15,
    // saturated to bytes and interleaved into 48 bytes of pixels.
    static inline void Store(uint8_t* dst, __m128i b0, __m128i b1, __m128i g0, __m128i g1, __m128i r0,
                             __m128i r1) {
        const __m128i b = _mm_packus_epi16(b0, b1), g = _mm_packus_epi16(g0, g1), r = _mm_packus_epi16(r0, r1);
        const __m128i zero = _mm_setzero_si128();
        const __m128i bgLow = _mm_unpacklo_epi8(b, g), bgHigh = _mm_unpackhi_epi8(b, g);
        const __m128i rLow = _mm_unpacklo_epi8(r, zero), rHigh = _mm_unpackhi_epi8(r, zero);
        const __m128i p0 = Pack12(_mm_unpacklo_epi16(bgLow, rLow));
        const __m128i p1 = Pack12(_mm_unpackhi_epi16(bgLow, rLow));
        const __m128i p2 = Pack12(_mm_unpacklo_epi16(bgHigh, rHigh));
        const __m128i p3 = Pack12(_mm_unpackhi_epi16(bgHigh, rHigh));
        __m128i* out = reinterpret_cast<__m128i*>(dst);
        _mm_storeu_si128(out, _mm_or_si128(p0, _mm_slli_si128(p1, 12)));
        _mm_storeu_si128(out + 1, _mm_or_si128(_mm_srli_si128(p1, 4), _mm_slli_si128(p2, 8)));
        _mm_storeu_si128(out + 2, _mm_or_si128(_mm_srli_si128(p2, 8), _mm_slli_si128(p3, 4)));
    }
};

using K = Kernels128<Sse2, false>;
using KOffset = Kernels128<Sse2, true>;

void Finish() {}

} // namespace

const YuvRowKernels Sse2RowKernels = {K::Row444, K::Row422, K::Row411, K::RowPair420, Finish};
const YuvRowKernels Sse2OffsetRowKernels = {KOffset::Row444, KOffset::Row422, KOffset::Row411,
                                            KOffset::RowPair420, Finish};
