// Row kernels of the YUV conversion. The plane loop (yuv_to_bmp.cpp) owns the
// geometry; a kernel converts `groups` groups of four pixels of one row (or,
// for 2 x 2 chroma, of a pair of rows sharing one chroma row) into 24-bit
// blue-green-red bytes, 12 bytes per group, with the tables (scalar, MMX) or
// the fixed-point terms (vector kernels) of the conversion it is handed. The
// scalar and MMX kernels write each group as three 4-byte stores. The vector
// kernels (SSE2 and up) work in blocks of 16 or 32 pixels: a row shorter than
// a block goes to a narrower kernel, and a row that ends inside a block gets
// its last block converted again, ending at the row's end (the overlap is
// rewritten with the same bytes). All give identical bytes.
#ifndef VORLEX_YUV_ROWS_H
#define VORLEX_YUV_ROWS_H

#include <stdint.h>
#include <string.h>

#include "conversion_tables.h"

typedef void YuvRowFn(const uint8_t* y, const int8_t* u, const int8_t* v, uint8_t* dst, uint32_t groups,
                      const ColourConversion& conv);
typedef void YuvRowPairFn(const uint8_t* y0, const uint8_t* y1, const int8_t* u, const int8_t* v,
                          uint8_t* dst0, uint8_t* dst1, uint32_t groups, const ColourConversion& conv);

struct YuvRowKernels {
    YuvRowFn* row444;         // one chroma sample per pixel
    YuvRowFn* row422;         // one per 2 pixels
    YuvRowFn* row411;         // one per 4 pixels
    YuvRowPairFn* rowPair420; // one per 2 x 2 block
    void (*finish)();         // runs after the last row (EMMS for MMX)
};

extern const YuvRowKernels ScalarRowKernels;
extern const YuvRowKernels MmxRowKernels;
extern const YuvRowKernels Sse2RowKernels;
extern const YuvRowKernels Ssse3RowKernels;
extern const YuvRowKernels Avx2RowKernels;
// The vector kernels of terms with a black-level offset or a red or blue
// shift (conversion_tables.h): limited-range matrices.
extern const YuvRowKernels Sse2OffsetRowKernels;
extern const YuvRowKernels Ssse3OffsetRowKernels;
extern const YuvRowKernels Avx2OffsetRowKernels;

// The kernels a conversion uses: those of VectorLevel, in the form the terms
// need, when they are proven, else MMX or scalar as MmxAvailable says.
const YuvRowKernels& ChosenRowKernels(const FixedPointTerms& terms);

// What one chroma sample adds to a pixel's luma entry for blue, green and
// red; u and v are signed.
struct ChromaTerms {
    int b, g, r;
};

static inline ChromaTerms TermsOf(const ConversionTables& t, int8_t u, int8_t v) {
    const int iu = u + 128;
    const int iv = v + 128;
    return ChromaTerms{t.BlueFromU[iu], t.GreenFromU[iu] + t.GreenFromV[iv], t.RedFromV[iv]};
}

// Byte shuffles that interleave 16 pixels into 48 bytes (SSSE3 and AVX2
// kernels), from three registers: blue and green of pixels 0-7 (blue i at
// byte i, green i at byte 8 + i), the same of pixels 8-15, and the 16 red
// bytes. Output byte j is channel j % 3 of pixel j / 3; 16-byte output piece
// k takes from source s the bytes that kBgrShuffle[k][s] names (-1 gives 0)
// and ORs them together. Piece 0 needs nothing of pixels 8-15, piece 2
// nothing of pixels 0-7.
alignas(16) inline constexpr int8_t kBgrShuffle[3][3][16] = {
    {{0, 8, -1, 1, 9, -1, 2, 10, -1, 3, 11, -1, 4, 12, -1, 5},
     {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1},
     {-1, -1, 0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1}},
    {{13, -1, 6, 14, -1, 7, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1},
     {-1, -1, -1, -1, -1, -1, -1, -1, 0, 8, -1, 1, 9, -1, 2, 10},
     {-1, 5, -1, -1, 6, -1, -1, 7, -1, -1, 8, -1, -1, 9, -1, -1}},
    {{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1},
     {-1, 3, 11, -1, 4, 12, -1, 5, 13, -1, 6, 14, -1, 7, 15, -1},
     {10, -1, -1, 11, -1, -1, 12, -1, -1, 13, -1, -1, 14, -1, -1, 15}}};

// Unaligned little-endian 32-bit access (all our targets are little-endian).
static inline uint32_t LoadLE32(const void* p) {
    uint32_t v;
    memcpy(&v, p, 4);
    return v;
}
static inline void StoreLE32(void* p, uint32_t v) { memcpy(p, &v, 4); }

#endif
