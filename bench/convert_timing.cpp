// Times ConvertYUV2Bitmap per code and path, and memcpy of the same output
// bytes, with nothing but the C++ library: built in the 32-bit tree, it
// measures the real deliverable code (x87, real MMX) under Wine.
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

#include "conversion_tables.h"
#include "display.h"

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

} // namespace

int main() {
    MmxAvailable = DetectMmx();
    const uint32_t mmx = MmxAvailable;
    BuildConversionTables();
    const struct {
        uint32_t w, h;
    } sizes[] = {{176, 144}, {352, 288}, {1408, 1152}, {1920, 1088}};
    printf("| size | code | path | time (us) | / memcpy |\n|---|---|---|---|---|\n");
    for (const auto& s : sizes) {
        const size_t pixels = size_t{s.w} * s.h;
        std::vector<uint8_t> y(pixels), u(pixels), v(pixels), out(54 + 3 * pixels), src(out.size(), 1);
        std::mt19937 rng(s.w);
        for (auto* plane : {&y, &u, &v}) {
            for (auto& b : *plane) {
                b = static_cast<uint8_t>(rng() >> 24);
            }
        }
        const double copy = BestMicros([&] { memcpy(out.data(), src.data(), out.size()); });
        printf("| %ux%u | memcpy | | %.1f | 1.00 |\n", s.w, s.h, copy);
        for (uint32_t code : {TYPE_YUV444, TYPE_YUV422, TYPE_YUV411, TYPE_YUV420}) {
            for (uint32_t path = 0; path <= mmx; ++path) {
                MmxAvailable = path;
                const double t = BestMicros([&] {
                    ConvertYUV2Bitmap(code, s.w, s.h, y.data(), reinterpret_cast<int8_t*>(u.data()),
                                      reinterpret_cast<int8_t*>(v.data()), out.data());
                });
                printf("| %ux%u | %u | %s | %.1f | %.2f |\n", s.w, s.h, code, path ? "mmx" : "scalar", t,
                       t / copy);
            }
        }
    }
    return 0;
}
