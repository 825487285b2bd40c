#include "enlarge.h"

#include <stddef.h>

#include "kernel_choice.h"

namespace {

// The weights factor into a vertical and a horizontal 3:1 blend:
//   9c + 3h + 3v + d = 3 (3c + v) + (3h + d)
// so each target row is a horizontal 3:1 blend of the column sums
// 3 S[y][x] + S[y+dy][x]. A missing neighbour row or column adds 0. Converts
// the source samples from `first` on.
template <typename Sample, int Low, int High, bool HasNeighbour>
void EnlargeRow(const Sample* row, const Sample* neighbour, Sample* out, uint32_t width, uint32_t first) {
    auto columnSum = [row, neighbour](uint32_t x) { return 3 * row[x] + (HasNeighbour ? neighbour[x] : 0); };
    int left = first > 0 ? columnSum(first - 1) : 0;
    int centre = columnSum(first);
    for (uint32_t x = first; x < width; ++x) {
        const int right = x + 1 < width ? columnSum(x + 1) : 0;
        // Integer division truncates toward zero, also for negative chroma sums.
        int a = (3 * centre + left) / 16;
        int b = (3 * centre + right) / 16;
        a = a < Low ? Low : a > High ? High : a;
        b = b < Low ? Low : b > High ? High : b;
        out[2 * x] = static_cast<Sample>(a);
        out[2 * x + 1] = static_cast<Sample>(b);
        left = centre;
        centre = right;
    }
}

// A row kernel of either table (EnlargeLumaRowFn, EnlargeChromaRowFn).
template <typename Sample>
using VectorRowFn = uint32_t(const Sample* row, const Sample* neighbour, Sample* out, uint32_t width);

template <typename Sample>
uint32_t NoVectorRow(const Sample*, const Sample*, Sample*, uint32_t) {
    return 0;
}

VectorRowFn<uint8_t>* VectorRow(const EnlargeRowKernels& k, const uint8_t*) { return k.luma; }
VectorRowFn<int8_t>* VectorRow(const EnlargeRowKernels& k, const int8_t*) { return k.chroma; }

// The vector kernel's part of the row, then the scalar row for the rest.
template <typename Sample, int Low, int High>
void EnlargeRows(VectorRowFn<Sample>* vectorRow, const Sample* row, const Sample* neighbour, Sample* out,
                 uint32_t width) {
    const uint32_t done = vectorRow(row, neighbour, out, width);
    if (neighbour) {
        EnlargeRow<Sample, Low, High, true>(row, neighbour, out, width, done);
    } else {
        EnlargeRow<Sample, Low, High, false>(row, nullptr, out, width, done);
    }
}

template <typename Sample, int Low, int High>
void Enlarge(uint32_t width, uint32_t height, const Sample* source, Sample* target) {
    if (width == 0) {
        return;
    }
    VectorRowFn<Sample>* const vectorRow = VectorRow(ChosenEnlargeKernels(), source);
    const size_t targetWidth = 2 * size_t{width};
    for (uint32_t y = 0; y < height; ++y) {
        const Sample* row = source + size_t{y} * width;
        const Sample* above = y > 0 ? row - width : nullptr;
        const Sample* below = y + 1 < height ? row + width : nullptr;
        Sample* out = target + 2 * size_t{y} * targetWidth;
        EnlargeRows<Sample, Low, High>(vectorRow, row, above, out, width);
        EnlargeRows<Sample, Low, High>(vectorRow, row, below, out + targetWidth, width);
    }
}

} // namespace

const EnlargeRowKernels ScalarEnlargeKernels = {NoVectorRow<uint8_t>, NoVectorRow<int8_t>};

const EnlargeRowKernels& ChosenEnlargeKernels() {
    return VectorLevel >= VECTOR_SSE2 ? Sse2EnlargeKernels : ScalarEnlargeKernels;
}

void EnlargeLuma(uint32_t width, uint32_t height, const uint8_t* source, uint8_t* target) {
    Enlarge<uint8_t, 0, 255>(width, height, source, target);
}

void EnlargeChroma(uint32_t width, uint32_t height, const int8_t* source, int8_t* target) {
    Enlarge<int8_t, -128, 127>(width, height, source, target);
}
