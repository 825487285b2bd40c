#include "unpack_kernels.h"

#include "little_endian.h"
#include "processor.h"

namespace {

void WordsToBytes(const uint8_t* in, size_t count, uint32_t round, uint32_t shift, uint8_t* out) {
    for (size_t i = 0; i < count; ++i) {
        uint32_t v = LittleEndianSample(in + 2 * i, 2) + round;
        v = (v > 65535 ? 65535 : v) >> shift;
        out[i] = static_cast<uint8_t>(v > 255 ? 255 : v);
    }
}

void SplitPairs(const uint8_t* in, size_t pairs, uint8_t* first, uint8_t* second) {
    for (size_t i = 0; i < pairs; ++i) {
        first[i] = in[2 * i];
        second[i] = in[2 * i + 1];
    }
}

void SplitGroups(const uint8_t* in, size_t groups, bool uFirst, uint8_t* y, uint8_t* u, uint8_t* v) {
    const int yAt = uFirst ? 1 : 0, cAt = uFirst ? 0 : 1;
    for (size_t k = 0; k < groups; ++k) {
        const uint8_t* g = in + 4 * k;
        y[2 * k] = g[yAt];
        y[2 * k + 1] = g[yAt + 2];
        u[k] = g[cAt];
        v[k] = g[cAt + 2];
    }
}

void PutWord(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void ShiftWords(const uint8_t* in, size_t count, uint32_t shift, uint8_t* out) {
    for (size_t i = 0; i < count; ++i) {
        PutWord(out + 2 * i, LittleEndianSample(in + 2 * i, 2) >> shift);
    }
}

void SplitWordPairs(const uint8_t* in, size_t pairs, uint32_t shift, uint8_t* first, uint8_t* second) {
    for (size_t i = 0; i < pairs; ++i) {
        PutWord(first + 2 * i, LittleEndianSample(in + 4 * i, 2) >> shift);
        PutWord(second + 2 * i, LittleEndianSample(in + 4 * i + 2, 2) >> shift);
    }
}

} // namespace

const UnpackKernels ScalarUnpackKernels = {WordsToBytes, SplitPairs, SplitGroups, ShiftWords, SplitWordPairs};

const UnpackKernels& ChosenUnpackKernels() {
    switch (SelectedKernelLevel()) {
    case KERNELS_AVX2: return Avx2UnpackKernels;
    case KERNELS_SSE2: return Sse2UnpackKernels;
    default: return ScalarUnpackKernels;
    }
}
