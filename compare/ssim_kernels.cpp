#include "ssim_kernels.h"

#include "little_endian.h"
#include "processor.h"

namespace {

void BlockSums8(const uint8_t* a, const uint8_t* b, size_t stride, size_t blocks, BlockSums* out) {
    for (size_t k = 0; k < blocks; ++k) {
        uint32_t s1 = 0, s2 = 0, ss = 0, s12 = 0; // at most 32 x 255^2
        for (size_t y = 0; y < 4; ++y) {
            for (size_t x = 4 * k; x < 4 * k + 4; ++x) {
                const uint32_t p = a[y * stride + x], q = b[y * stride + x];
                s1 += p;
                s2 += q;
                ss += p * p + q * q;
                s12 += p * q;
            }
        }
        out[k] = BlockSums{s1, s2, ss, s12};
    }
}

void BlockSums16(const uint8_t* a, const uint8_t* b, size_t stride, size_t blocks, BlockSums* out) {
    for (size_t k = 0; k < blocks; ++k) {
        uint64_t s1 = 0, s2 = 0, ss = 0, s12 = 0;
        for (size_t y = 0; y < 4; ++y) {
            for (size_t x = 4 * k; x < 4 * k + 4; ++x) {
                const uint64_t p = LittleEndianSample(a + y * stride + 2 * x, 2);
                const uint64_t q = LittleEndianSample(b + y * stride + 2 * x, 2);
                s1 += p;
                s2 += q;
                ss += p * p + q * q;
                s12 += p * q;
            }
        }
        out[k] = BlockSums{s1, s2, ss, s12};
    }
}

const SsimKernels* KernelsOf(int level) {
    switch (level) {
    case KERNELS_AVX2: return &Avx2SsimKernels;
    case KERNELS_SSE2: return &Sse2SsimKernels;
    default: return &ScalarSsimKernels;
    }
}

} // namespace

const SsimKernels ScalarSsimKernels = {BlockSums8, BlockSums16};

const SsimKernels& ChosenSsimKernels() { return *KernelsOf(SelectedKernelLevel()); }
