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

// Exact integers: a window's sums, and what it makes of them, stay below
// 2^46 even for 16-bit samples. Each of the four factors is rounded to
// single precision, then the products and the quotient are single ones.
void Windows(const BlockSums* top, const BlockSums* bottom, size_t windows, int64_t c1, int64_t c2, float* out) {
    for (size_t x = 0; x < windows; ++x) {
        const BlockSums *t = top + x, *b = bottom + x;
        const int64_t s1 = static_cast<int64_t>(t[0].s1 + t[1].s1 + b[0].s1 + b[1].s1);
        const int64_t s2 = static_cast<int64_t>(t[0].s2 + t[1].s2 + b[0].s2 + b[1].s2);
        const int64_t ss = static_cast<int64_t>(t[0].ss + t[1].ss + b[0].ss + b[1].ss);
        const int64_t s12 = static_cast<int64_t>(t[0].s12 + t[1].s12 + b[0].s12 + b[1].s12);
        const int64_t vars = ss * 64 - s1 * s1 - s2 * s2, covar = s12 * 64 - s1 * s2;
        const float numerator =
            Single(Single(static_cast<float>(2 * s1 * s2 + c1)) * Single(static_cast<float>(2 * covar + c2)));
        const float denominator =
            Single(Single(static_cast<float>(s1 * s1 + s2 * s2 + c1)) * Single(static_cast<float>(vars + c2)));
        out[x] = Single(numerator / denominator);
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

const SsimKernels ScalarSsimKernels = {BlockSums8, BlockSums16, Windows};

const SsimKernels& ChosenSsimKernels() { return *KernelsOf(SelectedKernelLevel()); }
