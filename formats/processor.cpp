#include "processor.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>

namespace {
// XGETBV 0. Only this function is built for XSAVE, and it runs only once
// CPUID has reported OSXSAVE.
__attribute__((target("xsave"))) uint32_t ReadXcr0() { return static_cast<uint32_t>(_xgetbv(0)); }
} // namespace
#endif

namespace {
int Selected = -1;
} // namespace

uint32_t DetectMmx() {
#if defined(__i386__) || defined(__x86_64__)
    unsigned int eax, ebx, ecx, edx;
    __cpuid(1, eax, ebx, ecx, edx);
    (void)eax;
    (void)ebx;
    (void)ecx;
    return (edx >> 23) & 1;
#else
    return 0;
#endif
}

uint32_t DetectVectorLevel() {
#if defined(__i386__) || defined(__x86_64__)
    unsigned int eax, ebx, ecx, edx;
    if (__get_cpuid_max(0, nullptr) < 1) {
        return VECTOR_NONE;
    }
    __cpuid(1, eax, ebx, ecx, edx);
    if (!(edx >> 26 & 1)) {
        return VECTOR_NONE;
    }
    if (!(ecx >> 9 & 1)) {
        return VECTOR_SSE2;
    }
    // AVX2 needs the processor's flag and the operating system saving the
    // YMM registers (OSXSAVE, then XCR0 bits 1 and 2).
    const bool osYmm = (ecx >> 27 & 1) && (ecx >> 28 & 1) && (ReadXcr0() & 6) == 6;
    if (osYmm && __get_cpuid_max(0, nullptr) >= 7) {
        __cpuid_count(7, 0, eax, ebx, ecx, edx);
        if (ebx >> 5 & 1) {
            return VECTOR_AVX2;
        }
    }
    return VECTOR_SSSE3;
#else
    return VECTOR_NONE;
#endif
}

int DetectKernelLevel() {
    const uint32_t level = DetectVectorLevel();
    return level == VECTOR_AVX2 ? KERNELS_AVX2 : level != VECTOR_NONE ? KERNELS_SSE2 : KERNELS_SCALAR;
}

int SelectKernelLevel(int level) {
    if (level < KERNELS_SCALAR || level > DetectKernelLevel()) {
        return 0;
    }
    Selected = level;
    return 1;
}

int SelectedKernelLevel() {
    if (Selected < 0) {
        Selected = DetectKernelLevel();
    }
    return Selected;
}
