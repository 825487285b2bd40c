// Unpacking the extended sequence layouts to the 8-bit planar frame the
// library shows, per kernel path, beside the 8-bit conversion of that frame
// into the bitmap (the library's best path): each unpacking at 1920x1088 should
// take no longer than that conversion.
#include <benchmark/benchmark.h>
#include <stdio.h>

#include <random>
#include <string>
#include <vector>

#include "compare_kernels.h"
#include "conversion_tables.h"
#include "display.h"
#include "kernel_choice.h"
#include "player_state.h"
#include "sequence_layout.h"

namespace {

const uint32_t kW = 1920, kH = 1088;

struct Layout {
    const char* name;
    SequenceLayout layout;
};
const Layout kLayouts[] = {
    {"420_10bit", {TYPE_YUV420, 10, PACKING_PLANAR}}, {"420_16bit", {TYPE_YUV420, 16, PACKING_PLANAR}},
    {"444_12bit", {TYPE_YUV444, 12, PACKING_PLANAR}}, {"NV12", {TYPE_YUV420, 8, PACKING_NV12}},
    {"P010", {TYPE_YUV420, 10, PACKING_P010}},        {"YUYV", {TYPE_YUV422, 8, PACKING_YUYV}},
};

std::vector<uint8_t> Random(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (auto& b : v) {
        b = static_cast<uint8_t>(rng() >> 24);
    }
    return v;
}

void Register() {
    for (uint32_t type : {TYPE_YUV420, TYPE_YUV422, TYPE_YUV444}) {
        const std::string name = "convert8_" + std::to_string(type);
        benchmark::RegisterBenchmark(name.c_str(), [type](benchmark::State& st) {
            const FramePlan plan = ComputeFramePlan(kW, kH, type);
            std::vector<uint8_t> frame = Random(plan.frameBytes, type), image(54 + 3 * kW * kH);
            for (auto _ : st) {
                ConvertYUV2Bitmap(type, kW, kH, frame.data(),
                                  reinterpret_cast<const int8_t*>(&frame[plan.uOffset]),
                                  reinterpret_cast<const int8_t*>(&frame[plan.vOffset]), image.data());
                benchmark::DoNotOptimize(image.data());
            }
        })->Unit(benchmark::kMicrosecond);
    }
    const char* const levels[] = {"scalar", "sse2", "avx2"};
    for (const Layout& l : kLayouts) {
        for (int level = KERNELS_SCALAR; level <= DetectKernelLevel(); ++level) {
            const std::string name = std::string("unpack_") + l.name + "/" + levels[level];
            benchmark::RegisterBenchmark(name.c_str(), [l, level](benchmark::State& st) {
                SelectKernelLevel(level);
                const std::vector<uint8_t> in = Random(LayoutFrameBytes(l.layout, kW, kH), 7);
                std::vector<uint8_t> out(ComputeFramePlan(kW, kH, l.layout.type).frameBytes);
                for (auto _ : st) {
                    UnpackFrame(l.layout, kW, kH, in.data(), out.data());
                    benchmark::DoNotOptimize(out.data());
                }
            })->Unit(benchmark::kMicrosecond);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    BuildConversionTables();
    MmxAvailable = DetectMmx();
    VectorLevel = DetectVectorLevel();
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    SelectKernelLevel(DetectKernelLevel());
    return 0;
}
