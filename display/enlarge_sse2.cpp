// SSE2 rows of the 2x enlargement, 8 source samples (16 target samples) per
// block, in 16-bit words: the column sums 3 S + N of the block and of the
// blocks one sample to the left and right, then (3 c + l) / 16 and
// (3 c + r) / 16 truncated toward zero, packed with saturation to the sample
// range (which the sums never leave) and interleaved.
#include <emmintrin.h>

#include "enlarge.h"

namespace {

struct Luma {
    typedef uint8_t Sample;
    static inline __m128i Words(__m128i bytes) { return _mm_unpacklo_epi8(bytes, _mm_setzero_si128()); }
    static inline __m128i Sixteenth(__m128i sum) { return _mm_srli_epi16(sum, 4); } // sums >= 0
    static inline __m128i Pack(__m128i a, __m128i b) { return _mm_packus_epi16(a, b); }
};

struct Chroma {
    typedef int8_t Sample;
    static inline __m128i Words(__m128i bytes) { return _mm_srai_epi16(_mm_unpacklo_epi8(bytes, bytes), 8); }
    // Adding 15 to negative sums before the shift truncates toward zero.
    static inline __m128i Sixteenth(__m128i sum) {
        return _mm_srai_epi16(_mm_add_epi16(sum, _mm_srli_epi16(_mm_srai_epi16(sum, 15), 12)), 4);
    }
    static inline __m128i Pack(__m128i a, __m128i b) { return _mm_packs_epi16(a, b); }
};

inline __m128i Load8(const void* p) { return _mm_loadl_epi64(static_cast<const __m128i*>(p)); }

// Column sums 3 S[x] + N[x] of 8 samples from x.
template <typename Kind, bool HasNeighbour>
inline __m128i ColumnSums(const typename Kind::Sample* row, const typename Kind::Sample* neighbour) {
    const __m128i three = _mm_mullo_epi16(Kind::Words(Load8(row)), _mm_set1_epi16(3));
    return HasNeighbour ? _mm_add_epi16(three, Kind::Words(Load8(neighbour))) : three;
}

// Target samples 2x .. 2x + 15 from the column sums of x .. x + 7 (c) and of
// the samples one to the left (l) and right (r).
template <typename Kind>
inline void Emit(typename Kind::Sample* out, __m128i c, __m128i l, __m128i r) {
    const __m128i three = _mm_mullo_epi16(c, _mm_set1_epi16(3));
    const __m128i packed =
        Kind::Pack(Kind::Sixteenth(_mm_add_epi16(three, l)), Kind::Sixteenth(_mm_add_epi16(three, r)));
    // Even targets in the low half, odd ones in the high half: interleave.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                     _mm_unpacklo_epi8(packed, _mm_unpackhi_epi64(packed, packed)));
}

template <typename Kind, bool HasNeighbour>
uint32_t Row(const typename Kind::Sample* row, const typename Kind::Sample* neighbour,
             typename Kind::Sample* out, uint32_t width) {
    // A block needs the sample after it, so blocks stop short of the row's
    // last sample; the scalar row converts the rest.
    if (width < 9) {
        return 0;
    }
    // Sample 0 has no left neighbour: its column sum counts as 0.
    const __m128i first = ColumnSums<Kind, HasNeighbour>(row, neighbour);
    Emit<Kind>(out, first, _mm_slli_si128(first, 2), ColumnSums<Kind, HasNeighbour>(row + 1, neighbour + 1));
    uint32_t x = 8;
    for (; x + 8 < width; x += 8) {
        Emit<Kind>(out + 2 * x, ColumnSums<Kind, HasNeighbour>(row + x, neighbour + x),
                   ColumnSums<Kind, HasNeighbour>(row + x - 1, neighbour + x - 1),
                   ColumnSums<Kind, HasNeighbour>(row + x + 1, neighbour + x + 1));
    }
    return x;
}

uint32_t LumaRow(const uint8_t* row, const uint8_t* neighbour, uint8_t* out, uint32_t width) {
    return neighbour ? Row<Luma, true>(row, neighbour, out, width) : Row<Luma, false>(row, row, out, width);
}

uint32_t ChromaRow(const int8_t* row, const int8_t* neighbour, int8_t* out, uint32_t width) {
    return neighbour ? Row<Chroma, true>(row, neighbour, out, width) : Row<Chroma, false>(row, row, out, width);
}

} // namespace

const EnlargeRowKernels Sse2EnlargeKernels = {LumaRow, ChromaRow};
