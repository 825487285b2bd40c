#include "ssim.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "frame_compare.h"
#include "ssim_kernels.h"

namespace {

struct Constants {
    int64_t c1, c2;
    bool deep; // more than 8 bits: rows summed in single precision
};

// Rounded as ffmpeg rounds them: half up, from these products in this order.
Constants ConstantsOf(uint32_t bitDepth) {
    const double max = PeakOf(bitDepth);
    // NOLINTNEXTLINE(bugprone-incorrect-roundings)
    const int64_t c1 = static_cast<int64_t>(.01 * .01 * max * max * 64 + .5);
    // NOLINTNEXTLINE(bugprone-incorrect-roundings)
    const int64_t c2 = static_cast<int64_t>(.03 * .03 * max * max * 64 * 63 + .5);
    return Constants{c1, c2, bitDepth > 8};
}

// The windows of one row, between block rows `top` and `bottom`, each into
// `values` first.
double RowSsim(const BlockSums* top, const BlockSums* bottom, size_t windows, const Constants& c, float* values) {
    ChosenSsimKernels().windows(top, bottom, windows, c.c1, c.c2, values);
    if (c.deep) {
        float sum = 0;
        for (size_t x = 0; x < windows; ++x) {
            sum = Single(sum + values[x]);
        }
        return sum;
    }
    double sum = 0;
    for (size_t x = 0; x < windows; ++x) {
        sum += values[x];
    }
    return sum;
}

// Block row y of plane p: on the kernels where its samples lie side by
// side, else sample by sample from the geometry.
void RowOfBlocks(const FrameGeometry& l, const PlaneGeometry& p, const uint8_t* a, const uint8_t* b, size_t y,
                 BlockSums* out) {
    const size_t blocks = p.width / 4;
    if (p.step == 1 && l.shift == 0) {
        const size_t stride = size_t{p.width} * l.sampleBytes, at = p.offset + 4 * y * stride;
        const SsimKernels& k = ChosenSsimKernels();
        (l.sampleBytes == 2 ? k.blockSums16 : k.blockSums8)(a + at, b + at, stride, blocks, out);
        return;
    }
    const size_t pitch = size_t{p.step} * l.sampleBytes;
    for (size_t k = 0; k < blocks; ++k) {
        BlockSums s = {0, 0, 0, 0};
        for (size_t row = 4 * y; row < 4 * y + 4; ++row) {
            for (size_t x = 4 * k; x < 4 * k + 4; ++x) {
                const size_t at = p.offset + (row * p.width + x) * pitch;
                const uint64_t u = ValueAt(l, a + at), v = ValueAt(l, b + at);
                s.s1 += u;
                s.s2 += v;
                s.ss += u * u + v * v;
                s.s12 += u * v;
            }
        }
        out[k] = s;
    }
}

// Two rows of block sums, the one before and the one being made, in turn,
// and the SSIM of the windows of a row.
double PlaneSsim(const FrameGeometry& l, const PlaneGeometry& p, const uint8_t* a, const uint8_t* b,
                 BlockSums* rows, float* values) {
    const Constants c = ConstantsOf(l.bitDepth);
    const size_t blocksX = p.width / 4, blocksY = p.height / 4;
    BlockSums* above = rows;
    BlockSums* below = rows + blocksX;
    RowOfBlocks(l, p, a, b, 0, above);
    double sum = 0;
    for (size_t y = 1; y < blocksY; ++y) {
        RowOfBlocks(l, p, a, b, y, below);
        sum += RowSsim(above, below, blocksX - 1, c, values);
        BlockSums* done = above;
        above = below;
        below = done;
    }
    return sum / static_cast<double>((blocksX - 1) * (blocksY - 1));
}

// `v` as printf's "%.6f" gives it, with a point for the locale's decimal
// separator.
std::string SixDecimals(double v) {
    char text[400]; // the longest double in %f
    snprintf(text, sizeof text, "%.6f", v);
    std::string s = text;
    size_t digits = s[0] == '-' ? 1 : 0;
    while (digits < s.size() && s[digits] >= '0' && s[digits] <= '9') {
        ++digits;
    }
    if (digits > 0 && s.size() >= digits + 7) { // not inf or nan
        s = s.substr(0, digits) + "." + s.substr(s.size() - 6);
    }
    return s;
}

} // namespace

int SsimOfFrames(const FrameGeometry& l, const uint8_t* a, const uint8_t* b, FrameSsim* ssim) {
    memset(ssim, 0, sizeof *ssim);
    ssim->planeCount = l.planeCount;
    size_t widest = 0;
    for (uint32_t i = 0; i < l.planeCount; ++i) {
        if (l.planes[i].width < 8 || l.planes[i].height < 8) {
            return SSIM_NO_WINDOW;
        }
        widest = l.planes[i].width / 4 > widest ? l.planes[i].width / 4 : widest;
    }
    // Two rows of block sums, then a row of window values.
    BlockSums* rows = static_cast<BlockSums*>(malloc(2 * widest * sizeof(BlockSums) + widest * sizeof(float)));
    if (!rows) {
        return SSIM_NO_MEMORY;
    }
    float* values = reinterpret_cast<float*>(rows + 2 * widest);
    double samples = 0, planes[MAX_PLANES];
    for (uint32_t i = 0; i < l.planeCount; ++i) {
        planes[i] = PlaneSsim(l, l.planes[i], a, b, rows, values);
        samples += static_cast<double>(PlaneSamples(l.planes[i]));
    }
    free(rows);
    for (uint32_t i = 0; i < l.planeCount; ++i) {
        ssim->planes[i] = planes[i];
        ssim->all += static_cast<double>(PlaneSamples(l.planes[i])) / samples * planes[i];
    }
    return SSIM_VALUE;
}

int SsimDecibels(double ssim, double* db) {
    if (fabs(1.0 - ssim) <= 1e-9) {
        return SSIM_DB_INFINITE;
    }
    *db = 10.0 * log10(1.0 / (1.0 - ssim));
    return SSIM_DB_VALUE;
}

std::string SsimText(double ssim) {
    double db = 0;
    const bool infinite = SsimDecibels(ssim, &db) == SSIM_DB_INFINITE;
    return SixDecimals(ssim) + " (" + (infinite ? std::string("inf") : SixDecimals(db)) + ")";
}

std::string SsimValueText(double ssim) { return SixDecimals(ssim); }

std::string FrameSsimText(const FrameGeometry& l, const FrameSsim& ssim) {
    std::string text;
    for (uint32_t i = 0; i < ssim.planeCount; ++i) {
        text += std::string(1, l.planes[i].name) + ":" + SixDecimals(ssim.planes[i]) + " ";
    }
    return text + "All:" + SsimText(ssim.all);
}
