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

    // 16 blue, green and red bytes interleaved into 48 bytes of pixels.
    static inline void Bgr(uint8_t* dst, __m128i b, __m128i g, __m128i r) {
        __m128i* out = reinterpret_cast<__m128i*>(dst);
        _mm_storeu_si128(out, Piece(0, b, g, r));
        _mm_storeu_si128(out + 1, Piece(1, b, g, r));
        _mm_storeu_si128(out + 2, Piece(2, b, g, r));
    }

    // Output register k of the 48 bytes.
    static inline __m128i Piece(int k, __m128i b, __m128i g, __m128i r) {
        auto pick = [k](__m128i bytes, int c) {
            return _mm_shuffle_epi8(bytes, _mm_load_si128(reinterpret_cast<const __m128i*>(kBgrShuffle[k][c])));
        };
        return _mm_or_si128(_mm_or_si128(pick(b, 0), pick(g, 1)), pick(r, 2));
    }
};

using K = Kernels128<Ssse3>;

void Finish() {}

} // namespace

const YuvRowKernels Ssse3RowKernels = {K::Row444, K::Row422, K::Row411, K::RowPair420, Finish};
