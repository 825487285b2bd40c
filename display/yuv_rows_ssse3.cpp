// SSSE3 row kernels: the SSE2 kernels' arithmetic, with chroma magnitudes and
// signs in one instruction each (PABSW, PSIGNW) and the blue, green and red
// bytes of a block interleaved by byte shuffles (PSHUFB) in place of SSE2's
// unpacking and shifting.
#include <tmmintrin.h>

#include "yuv_rows_128.h"

namespace {

struct Ssse3 {
    static inline __m128i Magnitude(__m128i c) { return _mm_abs_epi16(c); }
    // t negated where c is negative (and 0 where c is 0, where t is 0 too).
    static inline __m128i SignOf(__m128i t, __m128i c) { return _mm_sign_epi16(t, c); }

    // Blue, green and red words of pixels 0-7 (b0, g0, r0) and 8-15,
    // saturated to bytes (blue and green of eight pixels in one register)
    // and interleaved into 48 bytes of pixels with the shuffles of
    // kBgrShuffle.
    static inline void Store(uint8_t* dst, __m128i b0, __m128i b1, __m128i g0, __m128i g1, __m128i r0,
                             __m128i r1) {
        const __m128i bgLow = _mm_packus_epi16(b0, g0), bgHigh = _mm_packus_epi16(b1, g1);
        const __m128i r = _mm_packus_epi16(r0, r1);
        auto pick = [](__m128i bytes, int k, int s) {
            return _mm_shuffle_epi8(bytes, _mm_load_si128(reinterpret_cast<const __m128i*>(kBgrShuffle[k][s])));
        };
        __m128i* out = reinterpret_cast<__m128i*>(dst);
        _mm_storeu_si128(out, _mm_or_si128(pick(bgLow, 0, 0), pick(r, 0, 2)));
        _mm_storeu_si128(out + 1,
                         _mm_or_si128(_mm_or_si128(pick(bgLow, 1, 0), pick(bgHigh, 1, 1)), pick(r, 1, 2)));
        _mm_storeu_si128(out + 2, _mm_or_si128(pick(bgHigh, 2, 1), pick(r, 2, 2)));
    }
};

using K = Kernels128<Ssse3, false>;
using KOffset = Kernels128<Ssse3, true>;

void Finish() {}

} // namespace

const YuvRowKernels Ssse3RowKernels = {K::Row444, K::Row422, K::Row411, K::RowPair420, Finish};
const YuvRowKernels Ssse3OffsetRowKernels = {KOffset::Row444, KOffset::Row422, KOffset::Row411,
                                             KOffset::RowPair420, Finish};
