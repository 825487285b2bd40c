// ConvertYUV2Bitmap per path and per code at the usual frame sizes, beside
// memcpy of the same output bytes (the bandwidth limit) and libyuv's
// I420ToRGB24 with bottom-up output, on the same random frames. After the
// run a table gives every time as a ratio to both references, and a second
// one each code's fastest path. Last, ConvertYUV2BitmapMatrix with each
// colour matrix beside ConvertYUV2Bitmap on the same 1920x1080 4:2:0 frame,
// per path, with the ratio that must stay within 1.2 on the path the library
// picks.
#include <benchmark/benchmark.h>
#include <libyuv.h>
#include <stdio.h>
#include <string.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "conversion_tables.h"
#include "display.h"
#include "image_sizes.h"
#include "kernel_choice.h"
#include "least_time.h"

namespace {

struct Size {
    uint32_t w, h;
};

const Size kSizes[] = {{176, 144}, {352, 288}, {1408, 1152}, {1920, 1088}};
const uint32_t kCodes[] = {TYPE_YUV444, TYPE_YUV422, TYPE_YUV411, TYPE_YUV420};

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

// Planes large enough for every code (4:4:4 chroma) and an output image.
struct Frame {
    std::vector<uint8_t> y, u, v, out;
    explicit Frame(Size s)
        : y(size_t{s.w} * s.h), u(y.size()), v(y.size()), out(static_cast<size_t>(Rgb24ImageBytes(s.w, s.h))) {
        std::mt19937 rng(s.w * 7919u + s.h);
        for (auto* plane : {&y, &u, &v}) {
            for (auto& b : *plane) {
                b = static_cast<uint8_t>(rng() >> 24);
            }
        }
    }
};

// Each benchmark runs this many times; the table takes the least CPU time.
const int kRepetitions = 3;

std::string SizeName(Size s) { return std::to_string(s.w) + "x" + std::to_string(s.h); }

void Register(std::map<std::string, Frame>& frames) {
    for (Size s : kSizes) {
        Frame& f = frames.emplace(SizeName(s), Frame(s)).first->second;
        const std::string size = SizeName(s);
        benchmark::RegisterBenchmark(("memcpy/" + size).c_str(), [&f](benchmark::State& st) {
            std::vector<uint8_t> src(f.out.size(), 1);
            for (auto _ : st) {
                memcpy(f.out.data(), src.data(), src.size());
                benchmark::ClobberMemory();
            }
        })->Repetitions(kRepetitions);
        benchmark::RegisterBenchmark(("libyuv_I420ToRGB24/" + size).c_str(), [&f, s](benchmark::State& st) {
            const int w = static_cast<int>(s.w), h = static_cast<int>(s.h);
            for (auto _ : st) {
                // Negative height: bottom-up rows, as a BMP stores them.
                libyuv::I420ToRGB24(f.y.data(), w, f.u.data(), w / 2, f.v.data(), w / 2,
                                    f.out.data() + BMP_HEADERS_SIZE, 3 * w, w, -h);
                benchmark::ClobberMemory();
            }
        })->Repetitions(kRepetitions);
        for (uint32_t code : kCodes) {
            for (const Path& path : kPaths) {
                if (path.level > DetectVectorLevel()) {
                    continue;
                }
                const std::string name =
                    "ConvertYUV2Bitmap/" + std::to_string(code) + "/" + path.name + "/" + size;
                benchmark::RegisterBenchmark(name.c_str(), [&f, s, code, path](benchmark::State& st) {
                    MmxAvailable = path.mmx;
                    VectorLevel = path.level;
                    for (auto _ : st) {
                        ConvertYUV2Bitmap(code, s.w, s.h, f.y.data(),
                                          reinterpret_cast<const int8_t*>(f.u.data()),
                                          reinterpret_cast<const int8_t*>(f.v.data()), f.out.data());
                        benchmark::ClobberMemory();
                    }
                })->Repetitions(kRepetitions);
            }
        }
    }
}

// The colour matrices' frame: 1920x1080, code 103.
const Size kMatrixSize = {1920, 1080};
const uint32_t kMatrixCount = 7; // MATRIX_LIBRARY to MATRIX_BT2020_FULL
const double kMatrixGoal = 1.2;

std::string MatrixName(uint32_t matrix, const Path& path) {
    return "ConvertYUV2BitmapMatrix/" + std::to_string(matrix) + "/" + path.name + "/" + SizeName(kMatrixSize);
}
std::string LibraryName(const Path& path) {
    return "ConvertYUV2Bitmap/103/" + std::string(path.name) + "/" + SizeName(kMatrixSize);
}

void RegisterMatrices(Frame& f) {
    const Size s = kMatrixSize;
    for (const Path& path : kPaths) {
        if (path.level > DetectVectorLevel()) {
            continue;
        }
        benchmark::RegisterBenchmark(LibraryName(path).c_str(), [&f, s, path](benchmark::State& st) {
            MmxAvailable = path.mmx;
            VectorLevel = path.level;
            for (auto _ : st) {
                ConvertYUV2Bitmap(TYPE_YUV420, s.w, s.h, f.y.data(), reinterpret_cast<const int8_t*>(f.u.data()),
                                  reinterpret_cast<const int8_t*>(f.v.data()), f.out.data());
                benchmark::ClobberMemory();
            }
        })->Repetitions(kRepetitions);
        for (uint32_t matrix = 0; matrix < kMatrixCount; ++matrix) {
            benchmark::RegisterBenchmark(MatrixName(matrix, path).c_str(), [&f, s, path,
                                                                            matrix](benchmark::State& st) {
                MmxAvailable = path.mmx;
                VectorLevel = path.level;
                for (auto _ : st) {
                    ConvertYUV2BitmapMatrix(TYPE_YUV420, s.w, s.h, f.y.data(),
                                            reinterpret_cast<const int8_t*>(f.u.data()),
                                            reinterpret_cast<const int8_t*>(f.v.data()), matrix, f.out.data());
                    benchmark::ClobberMemory();
                }
            })->Repetitions(kRepetitions);
        }
    }
}

// Each matrix's time over ConvertYUV2Bitmap's on the same path; returns
// whether every ratio met the goal on the path the library picks on this
// processor (the others are shown for comparison).
bool PrintMatrixRatios(const LeastTimeReporter& c) {
    const uint32_t level = DetectVectorLevel();
    const Path& picked = level == VECTOR_NONE ? kPaths[DetectMmx()] : kPaths[1 + level];
    bool met = true;
    printf("\n| matrix | path | time (us) | ConvertYUV2Bitmap (us) | ratio |\n|---|---|---|---|---|\n");
    for (const Path& path : kPaths) {
        const double library = c.At(LibraryName(path));
        for (uint32_t matrix = 0; matrix < kMatrixCount && library > 0; ++matrix) {
            const double t = c.At(MatrixName(matrix, path));
            const double ratio = t / library;
            if (&path == &picked) {
                met = met && ratio <= kMatrixGoal;
            }
            printf("| %u | %s | %.1f | %.1f | %.2f%s |\n", matrix, path.name, t / 1e3, library / 1e3, ratio,
                   ratio <= kMatrixGoal ? "" : " (over the 1.2 goal)");
        }
    }
    printf("%s path: %s\n", picked.name,
           met ? "every matrix within 1.2x of ConvertYUV2Bitmap."
               : "some matrix over 1.2x of ConvertYUV2Bitmap.");
    return met;
}

void PrintRatios(const LeastTimeReporter& c) {
    auto at = [&](const std::string& n) { return c.At(n); };
    printf("\n| size | code | path | time (us) | / memcpy | / libyuv I420ToRGB24 |\n");
    printf("|---|---|---|---|---|---|\n");
    for (Size s : kSizes) {
        const std::string size = SizeName(s);
        const double copy = at("memcpy/" + size), yuv = at("libyuv_I420ToRGB24/" + size);
        printf("| %s | memcpy | | %.1f | 1.00 | %.2f |\n", size.c_str(), copy / 1e3, yuv > 0 ? copy / yuv : 0);
        printf("| %s | libyuv | | %.1f | %.2f | 1.00 |\n", size.c_str(), yuv / 1e3, copy > 0 ? yuv / copy : 0);
        for (uint32_t code : kCodes) {
            for (const Path& path : kPaths) {
                const double t = at("ConvertYUV2Bitmap/" + std::to_string(code) + "/" + path.name + "/" + size);
                if (t > 0) {
                    printf("| %s | %u | %s | %.1f | %.2f | %.2f |\n", size.c_str(), code, path.name, t / 1e3,
                           copy > 0 ? t / copy : 0, yuv > 0 ? t / yuv : 0);
                }
            }
        }
    }
    // Every code's fastest path at each size.
    printf("\n| size | code | best path | time (us) | / memcpy | / libyuv I420ToRGB24 |\n");
    printf("|---|---|---|---|---|---|\n");
    for (Size s : kSizes) {
        const std::string size = SizeName(s);
        const double copy = at("memcpy/" + size), yuv = at("libyuv_I420ToRGB24/" + size);
        for (uint32_t code : kCodes) {
            const char* best = nullptr;
            double bestTime = 0;
            for (const Path& path : kPaths) {
                const double t = at("ConvertYUV2Bitmap/" + std::to_string(code) + "/" + path.name + "/" + size);
                if (t > 0 && (!best || t < bestTime)) {
                    best = path.name;
                    bestTime = t;
                }
            }
            if (best) {
                printf("| %s | %u | %s | %.1f | %.2f | %.2f |\n", size.c_str(), code, best, bestTime / 1e3,
                       copy > 0 ? bestTime / copy : 0, yuv > 0 ? bestTime / yuv : 0);
            }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    BuildConversionTables();
    std::map<std::string, Frame> frames;
    Register(frames);
    Frame& matrixFrame = frames.emplace("matrices", Frame(kMatrixSize)).first->second;
    RegisterMatrices(matrixFrame);
    benchmark::Initialize(&argc, argv);
    LeastTimeReporter collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    PrintRatios(collector);
    const bool met = PrintMatrixRatios(collector);
    benchmark::Shutdown();
    return met ? 0 : 1;
}
