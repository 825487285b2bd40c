// What the processor offers every kernel of the product (CPUID), checked in
// one place, and the level that the sequence and comparison kernels use.
#ifndef VORLEX_PROCESSOR_H
#define VORLEX_PROCESSOR_H

#include <stdint.h>

// 1 when the processor reports MMX (CPUID function 1, EDX bit 23), else 0.
uint32_t DetectMmx();

// Vector instruction sets the library has kernels for; each level includes
// the ones below it.
enum VectorLevelValue { VECTOR_NONE, VECTOR_SSE2, VECTOR_SSSE3, VECTOR_AVX2 };

// The best level this processor and its operating system support (CPUID;
// for AVX2 also the YMM state enabled in XCR0).
uint32_t DetectVectorLevel();

// The kernels of unpacking and comparing come at three levels. The one in
// use is the best the processor runs, chosen at the first call; tests and
// benchmarks select each level the processor has.
enum KernelLevel { KERNELS_SCALAR = 0, KERNELS_SSE2 = 1, KERNELS_AVX2 = 2 };
// The best level this processor runs (KERNELS_SCALAR without SSE2).
int DetectKernelLevel();
// Makes `level` the one in use. Returns 0, changing nothing, when the
// processor lacks it.
int SelectKernelLevel(int level);
// The level in use.
int SelectedKernelLevel();

#endif
