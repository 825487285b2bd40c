// What the processor offers the conversion and the enlargement (CPUID), and
// the two settings that choose their kernels: set at load from the detection,
// set by tests and benchmarks to run each path the processor supports.
#ifndef VORLEX_CPU_FEATURES_H
#define VORLEX_CPU_FEATURES_H

#include <stdint.h>

// 1 when the processor reports MMX (CPUID function 1, EDX bit 23), else 0.
uint32_t DetectMmx();

// Vector instruction sets the library has kernels for; each level includes
// the ones below it.
enum VectorLevelValue { VECTOR_NONE, VECTOR_SSE2, VECTOR_SSSE3, VECTOR_AVX2 };

// The best level this processor and its operating system support (CPUID;
// for AVX2 also the YMM state enabled in XCR0).
uint32_t DetectVectorLevel();

// Selects the MMX path of the YUV conversion when non-zero and no vector
// level is chosen.
extern uint32_t MmxAvailable;

// Selects the vector kernels of the YUV conversion and the enlargement;
// VECTOR_NONE leaves the conversion to MmxAvailable.
extern uint32_t VectorLevel;

#endif
