// Row kernels of the YUV conversion. The plane loop (yuv_to_bmp.cpp) owns the
// geometry; a kernel converts `groups` groups of four pixels of one row (or,
// for 2 x 2 chroma, of a pair of rows sharing one chroma row) into 24-bit
// blue-green-red bytes, 12 bytes per group, written as three 4-byte stores.
// The scalar and MMX kernels give identical bytes.
#ifndef VORLEX_YUV_ROWS_H
#define VORLEX_YUV_ROWS_H

#include <stdint.h>
#include <string.h>

#include "conversion_tables.h"

typedef void YuvRowFn(const uint8_t* y, const int8_t* u, const int8_t* v, uint8_t* dst,
                      uint32_t groups);
typedef void YuvRowPairFn(const uint8_t* y0, const uint8_t* y1, const int8_t* u,
                          const int8_t* v, uint8_t* dst0, uint8_t* dst1, uint32_t groups);

struct YuvRowKernels {
    YuvRowFn* row444;         // one chroma sample per pixel
    YuvRowFn* row422;         // one per 2 pixels
    YuvRowFn* row411;         // one per 4 pixels
    YuvRowPairFn* rowPair420; // one per 2 x 2 block
    void (*finish)();         // runs after the last row (EMMS for MMX)
};

extern const YuvRowKernels ScalarRowKernels;
extern const YuvRowKernels MmxRowKernels;

// What one chroma sample adds to a pixel's luma entry for blue, green and
// red; u and v are signed.
struct ChromaTerms {
    int b, g, r;
};

static inline ChromaTerms TermsOf(int8_t u, int8_t v) {
    const int iu = u + 128;
    const int iv = v + 128;
    return ChromaTerms{Tables.BlueFromU[iu], Tables.GreenFromU[iu] + Tables.GreenFromV[iv],
                       Tables.RedFromV[iv]};
}

// Unaligned little-endian 32-bit access (all our targets are little-endian).
static inline uint32_t LoadLE32(const void* p) {
    uint32_t v;
    memcpy(&v, p, 4);
    return v;
}
static inline void StoreLE32(void* p, uint32_t v) { memcpy(p, &v, 4); }

#endif
