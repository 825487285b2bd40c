// The 2x enlargement of the double-size view. Each source sample S[y][x]
// gives four target samples, each a quarter sample away from it towards one
// horizontal and one vertical neighbour:
//   T[2y+a][2x+b] = (9 S[y][x] + 3 S[y][x+dx] + 3 S[y+dy][x] + S[y+dy][x+dx]) / 16
// with dx, dy = -1 for a, b = 0 and +1 for a, b = 1. Neighbours outside the
// plane count as 0 (the outer ring fades), the division truncates toward
// zero, and the result is limited to the sample range.
#ifndef VORLEX_ENLARGE_H
#define VORLEX_ENLARGE_H

#include <stdint.h>

// `source` is width x height samples, `target` receives 2 width x 2 height.
void EnlargeLuma(uint32_t width, uint32_t height, const uint8_t* source, uint8_t* target);
void EnlargeChroma(uint32_t width, uint32_t height, const int8_t* source, int8_t* target);

// Row kernels: one target row from a source row and its neighbour row above
// or below (null for none), for the source samples 0 to the returned count
// (0 when the row is too short); the scalar row converts the rest. The
// scalar table's kernels leave every sample to it.
typedef uint32_t EnlargeLumaRowFn(const uint8_t* row, const uint8_t* neighbour, uint8_t* out, uint32_t width);
typedef uint32_t EnlargeChromaRowFn(const int8_t* row, const int8_t* neighbour, int8_t* out, uint32_t width);

struct EnlargeRowKernels {
    EnlargeLumaRowFn* luma;
    EnlargeChromaRowFn* chroma;
};

extern const EnlargeRowKernels ScalarEnlargeKernels;
extern const EnlargeRowKernels Sse2EnlargeKernels;

// The kernels an enlargement uses: SSE2 from VECTOR_SSE2 on, else scalar.
const EnlargeRowKernels& ChosenEnlargeKernels();

#endif
