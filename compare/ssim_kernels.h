// Kernels of SSIM (ssim.h): the sums of 4x4 blocks of two planes, one row of
// blocks a call, and the SSIM of the windows between two such rows. Samples
// are 8-bit, or 16-bit little-endian words taken whole (any value up to
// 65535), rows of a plane side by side at a fixed distance. One table per
// instruction set, used only where the processor reports the set, as the
// comparison kernels are; every path gives the scalar one's results to the
// bit.
#ifndef VORLEX_SSIM_KERNELS_H
#define VORLEX_SSIM_KERNELS_H

#include <stddef.h>
#include <stdint.h>

// The sums of one 4x4 block of A (a) and B (b): exact. At 16 bits the
// squares of a block reach 32 x 65535^2, past 32 bits.
struct BlockSums {
    uint64_t s1;  // sum of a
    uint64_t s2;  // sum of b
    uint64_t ss;  // sum of a^2 + b^2
    uint64_t s12; // sum of a * b
};

struct SsimKernels {
    // Sums of `blocks` blocks side by side: the four rows start at a and b
    // and lie `stride` bytes apart; block k covers samples 4k to 4k + 3 of
    // each. 8-bit samples.
    void (*blockSums8)(const uint8_t* a, const uint8_t* b, size_t stride, size_t blocks, BlockSums* out);
    // The same for 16-bit little-endian words (8 bytes a block row).
    void (*blockSums16)(const uint8_t* a, const uint8_t* b, size_t stride, size_t blocks, BlockSums* out);
    // out[x] = the single-precision SSIM of window x, which adds blocks x and
    // x + 1 of rows `top` and `bottom` (windows + 1 blocks each), with the
    // constants c1 and c2 (below 2^34).
    void (*windows)(const BlockSums* top, const BlockSums* bottom, size_t windows, int64_t c1, int64_t c2,
                    float* out);
};

extern const SsimKernels ScalarSsimKernels;
extern const SsimKernels Sse2SsimKernels;
extern const SsimKernels Avx2SsimKernels;

// v rounded to single precision. The 32-bit build (or any x86 build with
// -mfpmath=387) computes on the x87 unit, which keeps a result in extended
// precision until it is stored: storing it rounds it once, as SSE rounds
// each operation. (Extended precision holds a product of two singles and
// any 64-bit integer exactly, and a quotient or sum of two singles rounded
// to 64 bits and then to 24 is the one rounded once.)
inline float Single(float v) {
#if (defined(__i386__) || defined(__x86_64__)) && !defined(__SSE2_MATH__)
    volatile float stored = v;
    return stored;
#else
    return v;
#endif
}

// The kernels of the level in use (processor.h).
const SsimKernels& ChosenSsimKernels();

#endif
