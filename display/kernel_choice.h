// The two settings that choose the conversion's and the enlargement's
// kernels: set at load from the processor's features (processor.h), set by
// tests and benchmarks to run each path the processor supports.
#ifndef VORLEX_KERNEL_CHOICE_H
#define VORLEX_KERNEL_CHOICE_H

#include <stdint.h>

#include "processor.h"

// Selects the MMX path of the YUV conversion when non-zero and no vector
// level is chosen.
extern uint32_t MmxAvailable;

// Selects the vector kernels of the YUV conversion and the enlargement (a
// VectorLevelValue); VECTOR_NONE leaves the conversion to MmxAvailable.
extern uint32_t VectorLevel;

#endif
