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

// One target row from a source row and its neighbour row above or below (null
// for none), with SSE2, for the source samples 0 to the returned count (0 when
// the row is too short); the caller converts the rest.
uint32_t EnlargeLumaRowSse2(const uint8_t* row, const uint8_t* neighbour, uint8_t* out, uint32_t width);
uint32_t EnlargeChromaRowSse2(const int8_t* row, const int8_t* neighbour, int8_t* out, uint32_t width);

#endif
