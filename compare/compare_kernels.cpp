#include "compare_kernels.h"

#include <string.h>

#include "little_endian.h"
#include "processor.h"

namespace {

void Sums8(const uint8_t* a, const uint8_t* b, size_t n, DiffSums* sums) {
    uint64_t sse = 0, differing = 0;
    uint32_t maxDiff = sums->maxDiff;
    for (size_t i = 0; i < n; ++i) {
        const uint32_t d = a[i] > b[i] ? a[i] - b[i] : b[i] - a[i];
        sse += d * d;
        differing += d != 0;
        maxDiff = d > maxDiff ? d : maxDiff;
    }
    sums->sse += sse;
    sums->differing += differing;
    sums->maxDiff = maxDiff;
}

void Sums16(const uint8_t* a, const uint8_t* b, size_t n, DiffSums* sums) {
    uint64_t sse = 0, differing = 0;
    uint32_t maxDiff = sums->maxDiff;
    for (size_t i = 0; i < n; ++i) {
        const uint32_t x = LittleEndianSample(a + 2 * i, 2), y = LittleEndianSample(b + 2 * i, 2);
        const uint32_t d = x > y ? x - y : y - x;
        sse += uint64_t{d} * d; // up to (2^16 - 1)^2: 32 bits, so the product is 64-bit
        differing += d != 0;
        maxDiff = d > maxDiff ? d : maxDiff;
    }
    sums->sse += sse;
    sums->differing += differing;
    sums->maxDiff = maxDiff;
}

// n groups of `channels` interleaved 8-bit samples, channel by channel.
void SumsOfChannels(const uint8_t* a, const uint8_t* b, size_t n, int channels, DiffSums* sums) {
    for (int c = 0; c < channels; ++c) {
        uint64_t sse = 0, differing = 0;
        uint32_t maxDiff = sums[c].maxDiff;
        for (size_t i = c; i < channels * n; i += channels) {
            const uint32_t d = a[i] > b[i] ? a[i] - b[i] : b[i] - a[i];
            sse += d * d;
            differing += d != 0;
            maxDiff = d > maxDiff ? d : maxDiff;
        }
        sums[c].sse += sse;
        sums[c].differing += differing;
        sums[c].maxDiff = maxDiff;
    }
}

void Sums8x3(const uint8_t* a, const uint8_t* b, size_t n, DiffSums sums[3]) {
    SumsOfChannels(a, b, n, 3, sums);
}

void Sums8x4(const uint8_t* a, const uint8_t* b, size_t n, DiffSums sums[4]) {
    SumsOfChannels(a, b, n, 4, sums);
}

void Sums16x2(const uint8_t* a, const uint8_t* b, size_t n, uint32_t shift, DiffSums sums[2]) {
    for (int c = 0; c < 2; ++c) {
        uint64_t sse = 0, differing = 0;
        uint32_t maxDiff = sums[c].maxDiff;
        for (size_t i = c; i < 2 * n; i += 2) {
            const uint32_t x = LittleEndianSample(a + 2 * i, 2) >> shift,
                           y = LittleEndianSample(b + 2 * i, 2) >> shift;
            const uint32_t d = x > y ? x - y : y - x;
            sse += uint64_t{d} * d;
            differing += d != 0;
            maxDiff = d > maxDiff ? d : maxDiff;
        }
        sums[c].sse += sse;
        sums[c].differing += differing;
        sums[c].maxDiff = maxDiff;
    }
}

size_t FirstDiff(const uint8_t* a, const uint8_t* b, size_t bytes) {
    size_t i = 0;
    // Word-sized steps while equal, then the byte.
    for (; i + 4 <= bytes; i += 4) {
        uint32_t x, y;
        memcpy(&x, a + i, 4);
        memcpy(&y, b + i, 4);
        if (x != y) {
            break;
        }
    }
    while (i < bytes && a[i] == b[i]) {
        ++i;
    }
    return i;
}

void Difference8(const uint8_t* a, const uint8_t* b, size_t n, uint32_t shift, uint8_t* out) {
    for (size_t i = 0; i < n; ++i) {
        const int v = 128 + (a[i] - b[i]) * (1 << shift);
        out[i] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
    }
}

void Difference16(const uint8_t* a, const uint8_t* b, size_t n, uint32_t shift, uint8_t* out) {
    for (size_t i = 0; i < n; ++i) {
        const int x = static_cast<int>(LittleEndianSample(a + 2 * i, 2));
        const int v = 128 + (x - static_cast<int>(LittleEndianSample(b + 2 * i, 2))) * (1 << shift);
        out[i] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
    }
}

const CompareKernels* KernelsOf(int level) {
    switch (level) {
    case KERNELS_AVX2: return &Avx2CompareKernels;
    case KERNELS_SSE2: return &Sse2CompareKernels;
    default: return &ScalarCompareKernels;
    }
}

} // namespace

const CompareKernels ScalarCompareKernels = {Sums8,    Sums16,    Sums8x3,     Sums8x4,
                                             Sums16x2, FirstDiff, Difference8, Difference16};

const CompareKernels& ChosenCompareKernels() { return *KernelsOf(SelectedKernelLevel()); }
