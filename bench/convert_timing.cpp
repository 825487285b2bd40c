// Times ConvertYUV2Bitmap per code and path, and memcpy of the same output
// bytes, then the double-size view (enlargement alone and the whole build)
// without and with the vector paths, with nothing but the C++ library: built
// in the 32-bit tree, it measures the real deliverable code (x87, real MMX,
// the vector kernels the processor supports) under Wine.
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

#include "bitmap_store.h"
#include "chroma_geometry.h"
#include "conversion_tables.h"
#include "display.h"
#include "enlarge.h"
#include "image_sizes.h"
#include "kernel_choice.h"
#include "yuv_image.h"

namespace {

// Best of several rounds, in microseconds per call.
template <typename F>
double BestMicros(F f) {
    using Clock = std::chrono::steady_clock;
    double best = 1e30;
    for (int round = 0; round < 7; ++round) {
        const int calls = 10;
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < calls; ++i) {
            f();
        }
        const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / calls;
        best = std::min(best, us);
    }
    return best;
}

// The conversion's paths, each chosen as the tests choose them.
struct Path {
    const char* name;
    uint32_t mmx, level;
};
const Path kPaths[] = {{"scalar", 0, VECTOR_NONE},
                       {"mmx", 1, VECTOR_NONE},
                       {"sse2", 0, VECTOR_SSE2},
                       {"ssse3", 0, VECTOR_SSSE3},
                       {"avx2", 0, VECTOR_AVX2}};

void Choose(const Path& path) {
    MmxAvailable = path.mmx;
    VectorLevel = path.level;
}

bool Runs(const Path& path) { return path.mmx <= DetectMmx() && path.level <= DetectVectorLevel(); }

} // namespace

int main() {
    BuildConversionTables();
    const struct { uint32_t w, h; } sizes[] = {{176, 144}, {352, 288}, {1408, 1152}, {1920, 1088}};
    printf("| size | code | path | time (us) | / memcpy |\n|---|---|---|---|---|\n");
    for (const auto& s : sizes) {
        const size_t pixels = size_t{s.w} * s.h;
        std::vector<uint8_t> y(pixels), u(pixels), v(pixels);
        std::vector<uint8_t> out(static_cast<size_t>(Rgb24ImageBytes(s.w, s.h))), src(out.size(), 1);
        std::mt19937 rng(s.w);
        for (auto* plane : {&y, &u, &v}) {
            for (auto& b : *plane) {
                b = static_cast<uint8_t>(rng() >> 24);
            }
        }
        const double copy = BestMicros([&] { memcpy(out.data(), src.data(), out.size()); });
        printf("| %ux%u | memcpy | | %.1f | 1.00 |\n", s.w, s.h, copy);
        for (uint32_t code : {TYPE_YUV444, TYPE_YUV422, TYPE_YUV411, TYPE_YUV420}) {
            for (const Path& path : kPaths) {
                if (!Runs(path)) {
                    continue;
                }
                Choose(path);
                const double t = BestMicros([&] {
                    ConvertYUV2Bitmap(code, s.w, s.h, y.data(), reinterpret_cast<int8_t*>(u.data()),
                                      reinterpret_cast<int8_t*>(v.data()), out.data());
                });
                printf("| %ux%u | %u | %s | %.1f | %.2f |\n", s.w, s.h, code, path.name, t, t / copy);
            }
        }
    }
    // The double-size view of a code-103 frame: the three planes enlarged,
    // then converted at twice the size into the store; without the vector
    // paths (scalar enlargement, MMX conversion where there is MMX), then
    // with the best this processor has.
    if (!InitBitmapStore()) {
        return 1;
    }
    HWND window = reinterpret_cast<HWND>(uintptr_t{16});
    printf("\n| source size | paths | enlarge 3 planes (us) | whole double-size image (us) |\n"
           "|---|---|---|---|\n");
    const uint32_t level = DetectVectorLevel();
    const Path& before = kPaths[DetectMmx()];
    const Path& best = level == VECTOR_NONE ? before : kPaths[1 + level];
    for (const auto& s : {std::pair<uint32_t, uint32_t>{176, 144}, {352, 288}, {960, 540}}) {
        for (const Path* path : {&before, &best}) {
            Choose(*path);
            const uint32_t w = s.first, h = s.second;
            std::vector<uint8_t> y(size_t{w} * h, 100);
            const uint32_t cw = ChromaPlaneWidth(TYPE_YUV420, w), ch = ChromaPlaneHeight(TYPE_YUV420, h);
            std::vector<int8_t> u(size_t{cw} * ch, -20), v(u.size(), 30);
            const double enlarge = BestMicros([&] {
                EnlargeLuma(w, h, y.data(), ScratchPlanes.luma);
                EnlargeChroma(cw, ch, u.data(), ScratchPlanes.cb);
                EnlargeChroma(cw, ch, v.data(), ScratchPlanes.cr);
            });
            const double whole = BestMicros([&] {
                BuildDoubleSizeYuvImage(window, TYPE_YUV420, w, h, y.data(), u.data(), v.data());
            });
            printf("| %ux%u | %s | %.1f | %.1f |\n", w, h, path->name, enlarge, whole);
        }
    }
    ReleaseBitmapStore();
    return 0;
}
