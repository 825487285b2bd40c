// Kernels of the exact comparison of two frames: the sums of one run of
// samples (squared error, largest difference, differing samples), the first
// differing byte, and the difference picture. A run is contiguous samples,
// 8-bit, or 16-bit little-endian words. One table of kernels per instruction
// set; the SSE2 and AVX2 files are the only ones built with those flags, and
// a set's table is used only where the processor reports the set, so the
// 32-bit build still runs on a plain i686. Every path gives the same results
// as the scalar one.
#ifndef VORLEX_COMPARE_KERNELS_H
#define VORLEX_COMPARE_KERNELS_H

#include <stddef.h>
#include <stdint.h>

// What the sum kernels add to; the caller zeroes it before the first run.
struct DiffSums {
    uint64_t sse;       // sum of squared differences
    uint64_t differing; // samples that differ
    uint32_t maxDiff;   // largest absolute difference
};

struct CompareKernels {
    // Adds the n 8-bit samples at a and b to *sums.
    void (*sums8)(const uint8_t* a, const uint8_t* b, size_t n, DiffSums* sums);
    // The same for n 16-bit little-endian samples (2n bytes each).
    void (*sums16)(const uint8_t* a, const uint8_t* b, size_t n, DiffSums* sums);
    // Adds n pixels of three interleaved 8-bit samples (3n bytes) to
    // sums[0], sums[1] and sums[2], one per byte of a pixel.
    void (*sums8x3)(const uint8_t* a, const uint8_t* b, size_t n, DiffSums sums[3]);
    // Adds n groups of four 8-bit samples (4n bytes) to sums[0] to sums[3],
    // one per byte of a group: packed 4:2:2, or two pairs of NV12 chroma.
    void (*sums8x4)(const uint8_t* a, const uint8_t* b, size_t n, DiffSums sums[4]);
    // Adds n pairs of 16-bit little-endian words (4n bytes) to sums[0] and
    // sums[1], one per word of a pair, each word taken as its value w >> shift
    // (P010: 6; shift 0 to 15).
    void (*sums16x2)(const uint8_t* a, const uint8_t* b, size_t n, uint32_t shift, DiffSums sums[2]);
    // Index of the first of `bytes` bytes that differ, or `bytes` when none does.
    size_t (*firstDiff)(const uint8_t* a, const uint8_t* b, size_t bytes);
    // out[i] = clamp(128 + (a[i] - b[i]) << shift, 0, 255) for n bytes; shift
    // is 0 to 4. out may be a or b.
    void (*difference8)(const uint8_t* a, const uint8_t* b, size_t n, uint32_t shift, uint8_t* out);
    // The same from n 16-bit little-endian samples at a and b (2n bytes
    // each) into n bytes: out[i] = clamp(128 + (a[i] - b[i]) << shift, 0, 255).
    void (*difference16)(const uint8_t* a, const uint8_t* b, size_t n, uint32_t shift, uint8_t* out);
};

extern const CompareKernels ScalarCompareKernels;
extern const CompareKernels Sse2CompareKernels;
extern const CompareKernels Avx2CompareKernels;

// The SSE2 kernel of interleaved pixels, which the AVX2 table uses too.
void Sse2Sums8x3(const uint8_t* a, const uint8_t* b, size_t n, DiffSums sums[3]);

// The kernels of the level in use (processor.h).
const CompareKernels& ChosenCompareKernels();

#endif
