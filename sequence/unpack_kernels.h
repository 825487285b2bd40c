// Row kernels of unpacking the extended sequence layouts, for display and for
// the comparison: 16-bit words to 8-bit values, chroma pairs to two planes,
// packed 4:2:2 to three, and words to their values. One table per
// instruction set, at the kernel level in use (processor.h); every path gives
// the scalar one's bytes.
#ifndef VORLEX_UNPACK_KERNELS_H
#define VORLEX_UNPACK_KERNELS_H

#include <stddef.h>
#include <stdint.h>

struct UnpackKernels {
    // out[i] = min(255, min(65535, w_i + round) >> shift) for `count`
    // little-endian words w_i; with round 2^(b-9) and shift b-8 that is the
    // value shown for b significant bits (ShownSample), and with 128 and 8
    // that of a P010 word.
    void (*wordsToBytes)(const uint8_t* in, size_t count, uint32_t round, uint32_t shift, uint8_t* out);
    // Splits `pairs` byte pairs into first[] and second[].
    void (*splitPairs)(const uint8_t* in, size_t pairs, uint8_t* first, uint8_t* second);
    // Splits `groups` 4-byte groups of packed 4:2:2, Y0 U Y1 V (or U Y0 V Y1
    // with `uFirst`), into 2 x groups luma samples and the U and V samples.
    void (*splitGroups)(const uint8_t* in, size_t groups, bool uFirst, uint8_t* y, uint8_t* u, uint8_t* v);
    // out[i] = w_i >> shift for `count` little-endian words w_i, written as
    // little-endian words: the values of words that hold them `shift` bits
    // up (P010: 6). shift is 0 to 15.
    void (*shiftWords)(const uint8_t* in, size_t count, uint32_t shift, uint8_t* out);
    // Splits `pairs` pairs of little-endian words into first[] and second[],
    // each shifted down by `shift` bits as shiftWords does.
    void (*splitWordPairs)(const uint8_t* in, size_t pairs, uint32_t shift, uint8_t* first, uint8_t* second);
};

extern const UnpackKernels ScalarUnpackKernels;
extern const UnpackKernels Sse2UnpackKernels;
extern const UnpackKernels Avx2UnpackKernels;

// The kernels of the level in use.
const UnpackKernels& ChosenUnpackKernels();

#endif
