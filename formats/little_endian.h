// Samples of more than 8 bits are stored as 16-bit little-endian words in
// every layout and container the player reads.
#ifndef VORLEX_LITTLE_ENDIAN_H
#define VORLEX_LITTLE_ENDIAN_H

#include <stdint.h>

// The sample at `p`: a byte, or the little-endian word there when
// `sampleBytes` is 2.
inline uint32_t LittleEndianSample(const uint8_t* p, uint32_t sampleBytes) {
    return sampleBytes == 2 ? p[0] | uint32_t{p[1]} << 8 : p[0];
}

#endif
