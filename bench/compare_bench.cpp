// The comparison's kernels per path beside libyuv's ComputeSumSquareErrorPlane
// on the same planes: the sums of one plane (squared error, largest
// difference, differing samples), the first-difference scan of two equal
// planes, the difference picture, and a whole 4:2:0 frame's metrics. After
// the run a table gives every time as a ratio to libyuv's, and another the
// SSIM of a frame per layout and path beside libyuv's I420Ssim; then the
// whole-file statistics of two 4:2:0 files against reading the same files
// alone.
#include <benchmark/benchmark.h>
#include <libyuv.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <chrono>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "compare_kernels.h"
#include "display.h"
#include "least_time.h"
#include "processor.h"
#include "sequence_compare.h"
#include "sequence_layout.h"
#include "ssim.h"

namespace {

struct Size {
    uint32_t w, h;
};
const Size kSizes[] = {{352, 288}, {1920, 1088}};

struct Level {
    const char* name;
    int level;
};
const Level kLevels[] = {{"scalar", KERNELS_SCALAR}, {"sse2", KERNELS_SSE2}, {"avx2", KERNELS_AVX2}};

const int kRepetitions = 3;

// A 4:2:0 frame A and B = A with small random errors in about a third of the
// samples (a decoder close to its reference), plus 16-bit planes alike.
struct Planes {
    Size s;
    FrameGeometry layout, rgbLayout;
    std::vector<uint8_t> a, b, same, out, a16, b16, rgbA, rgbB;
    explicit Planes(Size size)
        : s(size), layout(FrameGeometryOf(TYPE_YUV420, size.w, size.h, 1, 8)),
          rgbLayout(FrameGeometryOf(TYPE_RGB, size.w, size.h, 1, 8)) {
        std::mt19937 rng(size.w * 31 + size.h);
        a.resize(layout.frameBytes);
        for (auto& v : a) {
            v = static_cast<uint8_t>(rng() >> 24);
        }
        b = a;
        for (auto& v : b) {
            const uint32_t r = rng();
            if (r % 3 == 0) {
                v = static_cast<uint8_t>(v + static_cast<int>(r >> 28) - 8);
            }
        }
        rgbA.resize(rgbLayout.frameBytes);
        rgbB.resize(rgbA.size());
        for (size_t i = 0; i < rgbA.size(); ++i) {
            const uint32_t r = rng();
            rgbA[i] = static_cast<uint8_t>(r >> 24);
            rgbB[i] = r % 3 == 0 ? static_cast<uint8_t>(rgbA[i] + static_cast<int>((r >> 8) & 15) - 8) : rgbA[i];
        }
        same = a;
        out.resize(a.size());
        const size_t n = size_t{size.w} * size.h;
        a16.resize(2 * n);
        b16.resize(2 * n);
        for (size_t i = 0; i < n; ++i) {
            const uint32_t x = rng() & 0x3FF, y = (x + (rng() % 7)) & 0x3FF; // 10-bit
            a16[2 * i] = uint8_t(x), a16[2 * i + 1] = uint8_t(x >> 8);
            b16[2 * i] = uint8_t(y), b16[2 * i + 1] = uint8_t(y >> 8);
        }
    }
};

std::string SizeName(Size s) { return std::to_string(s.w) + "x" + std::to_string(s.h); }

// A stored layout and the planar one of the same sampling and depth.
struct LayoutPair {
    const char* name;
    const char* planarName;
    SequenceLayout layout, planar;
};
const LayoutPair kLayoutPairs[] = {
    {"NV12", "420_8bit", {TYPE_YUV420, 8, PACKING_NV12}, {TYPE_YUV420, 8, PACKING_PLANAR}},
    {"YUYV", "422_8bit", {TYPE_YUV422, 8, PACKING_YUYV}, {TYPE_YUV422, 8, PACKING_PLANAR}},
    {"P010", "420_10bit", {TYPE_YUV420, 10, PACKING_P010}, {TYPE_YUV420, 10, PACKING_PLANAR}},
};

// Frames A and B of one layout, the same values in every layout of a
// sampling and depth: B has small errors in about a third of the samples.
struct LayoutFrames {
    FrameGeometry l;
    std::vector<uint8_t> a, b;
    LayoutFrames(const SequenceLayout& layout, Size s) : l(StoredFrameGeometry(layout, s.w, s.h)) {
        a.assign(l.frameBytes, 0);
        b.assign(l.frameBytes, 0);
        std::mt19937 rng(s.w * 31 + s.h);
        const uint32_t top = (1u << l.bitDepth) - 1;
        for (uint32_t i = 0; i < l.planeCount; ++i) {
            const PlaneGeometry& p = l.planes[i];
            for (size_t j = 0; j < PlaneSamples(p); ++j) {
                const uint32_t x = rng() & top, r = rng();
                const int e = r % 3 == 0 ? static_cast<int>(r >> 28) - 8 : 0;
                const uint32_t y = static_cast<uint32_t>(static_cast<int>(x) + e) & top;
                const size_t at = p.offset + j * p.step * l.sampleBytes;
                for (uint32_t k = 0; k < l.sampleBytes; ++k) {
                    a[at + k] = static_cast<uint8_t>((x << l.shift) >> (8 * k));
                    b[at + k] = static_cast<uint8_t>((y << l.shift) >> (8 * k));
                }
            }
        }
    }
};

void Register(std::map<std::string, Planes>& planes, std::map<std::string, LayoutFrames>& frames) {
    for (Size s : kSizes) {
        Planes& p = planes.emplace(SizeName(s), Planes(s)).first->second;
        const std::string size = SizeName(s);
        for (const LayoutPair& pair : kLayoutPairs) {
            for (const char* name : {pair.name, pair.planarName}) {
                frames.emplace(std::string(name) + "/" + size,
                               LayoutFrames(name == pair.name ? pair.layout : pair.planar, s));
            }
        }
        const int w = int(s.w), h = int(s.h);
        benchmark::RegisterBenchmark(("libyuv_SSE_Y/" + size).c_str(), [&p, w, h](benchmark::State& st) {
            for (auto _ : st) {
                benchmark::DoNotOptimize(libyuv::ComputeSumSquareErrorPlane(p.a.data(), w, p.b.data(), w, w, h));
            }
        })->Repetitions(kRepetitions);
        benchmark::RegisterBenchmark(("libyuv_SSE_YUV/" + size).c_str(), [&p, w, h](benchmark::State& st) {
            const FrameGeometry& l = p.layout;
            for (auto _ : st) {
                uint64_t sse = libyuv::ComputeSumSquareErrorPlane(p.a.data(), w, p.b.data(), w, w, h);
                for (int i = 1; i < 3; ++i) {
                    const PlaneGeometry& c = l.planes[i];
                    sse += libyuv::ComputeSumSquareErrorPlane(p.a.data() + c.offset, int(c.width),
                                                              p.b.data() + c.offset, int(c.width),
                                                              int(c.width), int(c.height));
                }
                benchmark::DoNotOptimize(sse);
            }
        })->Repetitions(kRepetitions);
        benchmark::RegisterBenchmark(("libyuv_I420Ssim/" + size).c_str(), [&p, w, h](benchmark::State& st) {
            const FrameGeometry& l = p.layout;
            const uint8_t *a = p.a.data(), *b = p.b.data();
            const uint32_t u = l.planes[1].offset, v = l.planes[2].offset;
            for (auto _ : st) {
                benchmark::DoNotOptimize(libyuv::I420Ssim(a, w, a + u, w / 2, a + v, w / 2, b, w, b + u,
                                                          w / 2, b + v, w / 2, w, h));
            }
        })->Repetitions(kRepetitions);
        benchmark::RegisterBenchmark(("libyuv_SSE_RGB/" + size).c_str(), [&p, w, h](benchmark::State& st) {
            for (auto _ : st) {
                benchmark::DoNotOptimize(libyuv::ComputeSumSquareErrorPlane(p.rgbA.data(), 3 * w,
                                                                            p.rgbB.data(), 3 * w, 3 * w, h));
            }
        })->Repetitions(kRepetitions);
        for (const Level& lv : kLevels) {
            if (lv.level > DetectKernelLevel()) {
                continue;
            }
            const std::string suffix = std::string("/") + lv.name + "/" + size;
            const size_t n = size_t{s.w} * s.h;
            benchmark::RegisterBenchmark(("sums8_Y" + suffix).c_str(), [&p, lv, n](benchmark::State& st) {
                SelectKernelLevel(lv.level);
                for (auto _ : st) {
                    DiffSums sums = {0, 0, 0};
                    ChosenCompareKernels().sums8(p.a.data(), p.b.data(), n, &sums);
                    benchmark::DoNotOptimize(sums);
                }
            })->Repetitions(kRepetitions);
            benchmark::RegisterBenchmark(("sums16_Y" + suffix).c_str(), [&p, lv, n](benchmark::State& st) {
                SelectKernelLevel(lv.level);
                for (auto _ : st) {
                    DiffSums sums = {0, 0, 0};
                    ChosenCompareKernels().sums16(p.a16.data(), p.b16.data(), n, &sums);
                    benchmark::DoNotOptimize(sums);
                }
            })->Repetitions(kRepetitions);
            benchmark::RegisterBenchmark(("firstDiff_equal_Y" + suffix).c_str(), [&p, lv, n](benchmark::State& st) {
                SelectKernelLevel(lv.level);
                for (auto _ : st) {
                    benchmark::DoNotOptimize(ChosenCompareKernels().firstDiff(p.a.data(), p.same.data(), n));
                }
            })->Repetitions(kRepetitions);
            benchmark::RegisterBenchmark(("difference_YUV" + suffix).c_str(), [&p, lv](benchmark::State& st) {
                SelectKernelLevel(lv.level);
                for (auto _ : st) {
                    BuildDifferenceFrame(p.layout, p.a.data(), p.b.data(), 4, p.out.data());
                    benchmark::ClobberMemory();
                }
            })->Repetitions(kRepetitions);
            benchmark::RegisterBenchmark(("CompareFrames_YUV" + suffix).c_str(), [&p, lv](benchmark::State& st) {
                SelectKernelLevel(lv.level);
                for (auto _ : st) {
                    FrameDiff diff;
                    CompareFrames(p.layout, p.a.data(), p.b.data(), &diff);
                    benchmark::DoNotOptimize(diff);
                }
            })->Repetitions(kRepetitions);
            benchmark::RegisterBenchmark(("CompareFrames_RGB" + suffix).c_str(), [&p, lv](benchmark::State& st) {
                SelectKernelLevel(lv.level);
                for (auto _ : st) {
                    FrameDiff diff;
                    CompareFrames(p.rgbLayout, p.rgbA.data(), p.rgbB.data(), &diff);
                    benchmark::DoNotOptimize(diff);
                }
            })->Repetitions(kRepetitions);
            for (const LayoutPair& pair : kLayoutPairs) {
                for (const char* name : {pair.name, pair.planarName}) {
                    const LayoutFrames& f = frames.at(std::string(name) + "/" + size);
                    benchmark::RegisterBenchmark((std::string("SsimOfFrames_") + name + suffix).c_str(),
                                                 [&f, lv](benchmark::State& st) {
                                                     SelectKernelLevel(lv.level);
                                                     for (auto _ : st) {
                                                         FrameSsim ssim;
                                                         SsimOfFrames(f.l, f.a.data(), f.b.data(), &ssim);
                                                         benchmark::DoNotOptimize(ssim);
                                                     }
                                                 })
                        ->Repetitions(kRepetitions);
                    benchmark::RegisterBenchmark((std::string("CompareFrames_") + name + suffix).c_str(),
                                                 [&f, lv](benchmark::State& st) {
                                                     SelectKernelLevel(lv.level);
                                                     for (auto _ : st) {
                                                         FrameDiff diff;
                                                         CompareFrames(f.l, f.a.data(), f.b.data(), &diff);
                                                         benchmark::DoNotOptimize(diff);
                                                     }
                                                 })
                        ->Repetitions(kRepetitions);
                }
            }
        }
    }
}

void PrintRatios(const LeastTimeReporter& c) {
    auto at = [&](const std::string& n) { return c.At(n); };
    printf("\n| size | kernel | path | time (us) | / libyuv SSE of the same planes |\n|---|---|---|---|---|\n");
    for (Size s : kSizes) {
        const std::string size = SizeName(s);
        const double y = at("libyuv_SSE_Y/" + size), yuv = at("libyuv_SSE_YUV/" + size),
                     rgb = at("libyuv_SSE_RGB/" + size);
        if (y > 0) {
            printf("| %s | libyuv SSE, Y plane | | %.1f | 1.00 |\n", size.c_str(), y / 1e3);
            printf("| %s | libyuv SSE, Y+U+V | | %.1f | 1.00 |\n", size.c_str(), yuv / 1e3);
            printf("| %s | libyuv SSE, RGB bytes | | %.1f | 1.00 |\n", size.c_str(), rgb / 1e3);
        }
        const char* kernels[] = {"sums8_Y",        "sums16_Y",          "firstDiff_equal_Y",
                                 "difference_YUV", "CompareFrames_YUV", "CompareFrames_RGB"};
        for (const char* k : kernels) {
            const double ref = strstr(k, "YUV") ? yuv : strstr(k, "RGB") ? rgb : y;
            for (const Level& lv : kLevels) {
                const double t = at(std::string(k) + "/" + lv.name + "/" + size);
                if (t > 0) {
                    printf("| %s | %s | %s | %.1f | %.2f |\n", size.c_str(), k, lv.name, t / 1e3,
                           ref > 0 ? t / ref : 0);
                }
            }
        }
    }
    printf("\n| size | layout | path | time (us) | planar layout | time (us) | / planar |\n"
           "|---|---|---|---|---|---|---|\n");
    for (Size s : kSizes) {
        const std::string size = SizeName(s);
        for (const LayoutPair& pair : kLayoutPairs) {
            for (const Level& lv : kLevels) {
                const std::string suffix = std::string("/") + lv.name + "/" + size;
                const double t = at(std::string("CompareFrames_") + pair.name + suffix);
                const double ref = at(std::string("CompareFrames_") + pair.planarName + suffix);
                if (t > 0) {
                    printf("| %s | %s | %s | %.1f | %s | %.1f | %.2f |\n", size.c_str(), pair.name, lv.name,
                           t / 1e3, pair.planarName, ref / 1e3, ref > 0 ? t / ref : 0);
                }
            }
        }
    }
}

// SSIM of a frame per layout and path beside libyuv's I420Ssim of the same
// 4:2:0 8-bit frame (its own windows, so a reference of speed only).
void PrintSsim(const LeastTimeReporter& c) {
    printf("\n| size | SSIM of a frame | path | time (us) | / libyuv I420Ssim |\n|---|---|---|---|---|\n");
    for (Size s : kSizes) {
        const std::string size = SizeName(s);
        const double ref = c.At("libyuv_I420Ssim/" + size);
        printf("| %s | libyuv I420Ssim | | %.1f | 1.00 |\n", size.c_str(), ref / 1e3);
        for (const LayoutPair& pair : kLayoutPairs) {
            for (const char* name : {pair.planarName, pair.name}) {
                for (const Level& lv : kLevels) {
                    const double t = c.At(std::string("SsimOfFrames_") + name + "/" + lv.name + "/" + size);
                    if (t > 0) {
                        printf("| %s | %s | %s | %.1f | %.2f |\n", size.c_str(), name, lv.name, t / 1e3,
                               ref > 0 ? t / ref : 0);
                    }
                }
            }
        }
    }
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Two 1920x1088 4:2:0 files of `frames` frames in the temporary folder:
// statistics of the whole comparison against reading both files alone (the
// files stay in the page cache, so this is the fastest "disk" there is).
void WholeFileStatistics(uint32_t frames) {
    const char* folder = getenv("TMPDIR");
    const std::string base = std::string(folder && *folder ? folder : "/tmp") + "/vorlex-compare-bench-";
    const std::string pathA = base + "a.yuv", pathB = base + "b.yuv";
    Planes p(Size{1920, 1088});
    FILE* fa = fopen(pathA.c_str(), "wb");
    FILE* fb = fopen(pathB.c_str(), "wb");
    bool written = fa && fb;
    for (uint32_t i = 0; written && i < frames; ++i) {
        written = fwrite(p.a.data(), 1, p.a.size(), fa) == p.a.size() &&
                  fwrite(p.b.data(), 1, p.b.size(), fb) == p.b.size();
    }
    written = (fa ? fclose(fa) == 0 : false) && written;
    written = (fb ? fclose(fb) == 0 : false) && written;
    FrameSource a = written ? OpenFileSource(pathA.c_str()) : FrameSource{};
    FrameSource b = written ? OpenFileSource(pathB.c_str()) : FrameSource{};
    if (SourceOpen(a) && SourceOpen(b)) {
        const SequenceLayout layout = {TYPE_YUV420, 8, PACKING_PLANAR};
        const SequencePair pair = {
            a, b, {layout, 1920, 1088, p.layout.frameBytes, 0}, p.layout, 0, layout, nullptr, 0};
        const double mb = 2.0 * frames * static_cast<double>(p.a.size()) / 1e6;
        for (int round = 0; round < 3; ++round) {
            // Reading alone: both files, frame by frame, as the statistics do.
            FILE* ra = fopen(pathA.c_str(), "rb");
            FILE* rb = fopen(pathB.c_str(), "rb");
            auto start = std::chrono::steady_clock::now();
            for (uint32_t i = 0; ra && rb && i < frames; ++i) {
                benchmark::DoNotOptimize(fread(p.out.data(), 1, p.out.size(), ra));
                benchmark::DoNotOptimize(fread(p.out.data(), 1, p.out.size(), rb));
            }
            const double readOnly = Seconds(start);
            if (ra) fclose(ra);
            if (rb) fclose(rb);
            CompareStatistics* s = StartStatistics(pair);
            start = std::chrono::steady_clock::now();
            while (s && StepStatistics(s) == STATS_MORE) {
            }
            const double stats = Seconds(start);
            FreeStatistics(s);
            printf("whole-file statistics, %u frames of 1920x1088 4:2:0 (%.0f MB read): reading alone "
                   "%.1f ms (%.0f MB/s), statistics %.1f ms (%.0f MB/s), ratio %.2f\n",
                   frames, mb, readOnly * 1e3, mb / readOnly, stats * 1e3, mb / stats, stats / readOnly);
        }
    }
    CloseSource(&a);
    CloseSource(&b);
    remove(pathA.c_str());
    remove(pathB.c_str());
}

} // namespace

int main(int argc, char** argv) {
    std::map<std::string, Planes> planes;
    std::map<std::string, LayoutFrames> frames;
    Register(planes, frames);
    benchmark::Initialize(&argc, argv);
    LeastTimeReporter collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    PrintRatios(collector);
    PrintSsim(collector);
    benchmark::Shutdown();
    SelectKernelLevel(DetectKernelLevel());
    WholeFileStatistics(30);
    return 0;
}
