// The exact comparison: every kernel path against a plain reference on
// random and edge runs, the plane geometry of each sequence type and layout,
// the metrics of whole frames, PSNR, the difference picture and its keys.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <random>
#include <string>
#include <vector>

#include "compare_kernels.h"
#include "display.h"
#include "frame_compare.h"
#include "frame_plan.h"
#include "processor.h"
#include "sequence_layout.h"
#include "test_support.h"

namespace {

// Runs `body` once for each kernel level this processor has.
template <typename Body>
void ForEachLevel(Body body) {
    const int saved = SelectedKernelLevel();
    for (int level : {KERNELS_SCALAR, KERNELS_SSE2, KERNELS_AVX2}) {
        if (SelectKernelLevel(level)) {
            SCOPED_TRACE("level " + std::to_string(level));
            body();
        }
    }
    SelectKernelLevel(saved);
}

uint32_t Sample(const uint8_t* p, uint32_t sampleBytes) { return sampleBytes == 2 ? p[0] | p[1] << 8 : p[0]; }

// The plane's samples addressed one by one from its geometry.
PlaneDiff ReferencePlane(const FrameGeometry& l, uint32_t i, const uint8_t* a, const uint8_t* b) {
    const PlaneGeometry& p = l.planes[i];
    PlaneDiff d = {};
    d.samples = uint64_t{p.width} * p.height;
    for (uint32_t y = 0; y < p.height; ++y) {
        for (uint32_t x = 0; x < p.width; ++x) {
            const size_t at = p.offset + (size_t{y} * p.width + x) * p.step * l.sampleBytes;
            const int64_t va = Sample(a + at, l.sampleBytes) >> l.shift,
                          vb = Sample(b + at, l.sampleBytes) >> l.shift;
            const uint64_t diff = static_cast<uint64_t>(va > vb ? va - vb : vb - va);
            d.sse += diff * diff;
            if (diff != 0 && !d.hasFirst) {
                d.hasFirst = true;
                d.firstX = x, d.firstY = y, d.firstA = uint32_t(va), d.firstB = uint32_t(vb);
            }
            d.differing += diff != 0;
            d.maxDiff = diff > d.maxDiff ? uint32_t(diff) : d.maxDiff;
        }
    }
    return d;
}

void ExpectFrameMatchesReference(const FrameGeometry& l, const uint8_t* a, const uint8_t* b) {
    FrameDiff diff;
    CompareFrames(l, a, b, &diff);
    ASSERT_EQ(diff.planeCount, l.planeCount);
    for (uint32_t i = 0; i < l.planeCount; ++i) {
        SCOPED_TRACE(std::string("plane ") + l.planes[i].name);
        const PlaneDiff r = ReferencePlane(l, i, a, b);
        const PlaneDiff& d = diff.planes[i];
        EXPECT_EQ(d.sse, r.sse);
        EXPECT_EQ(d.differing, r.differing);
        EXPECT_EQ(d.samples, r.samples);
        EXPECT_EQ(d.maxDiff, r.maxDiff);
        ASSERT_EQ(d.hasFirst, r.hasFirst);
        if (r.hasFirst) {
            EXPECT_EQ(std::vector<uint32_t>({d.firstX, d.firstY, d.firstA, d.firstB}),
                      std::vector<uint32_t>({r.firstX, r.firstY, r.firstA, r.firstB}));
        }
    }
    EXPECT_EQ(FramesDiffer(l, a, b) != 0, AnyDifference(diff));
}

TEST(CompareKernels, EveryPathEqualsThePlainSumsOnRandomAndEdgeRuns) {
    std::mt19937 rng(7);
    // Sizes around the 16- and 32-byte blocks, past a chunk of 4096 blocks,
    // and a run whose squares overflow 32-bit lanes that are never widened.
    const size_t sizes[] = {0, 1, 7, 15, 16, 17, 31, 32, 33, 63, 65, 1000, 131073, 1100001};
    for (uint32_t sb : {1u, 2u}) {
        for (size_t n : sizes) {
            for (int pattern = 0; pattern < 4; ++pattern) {
                // Random, one end against the other, equal, and sparse differences.
                std::vector<uint8_t> a(n * sb + 1), b(n * sb + 1);
                FillRandom(a.data(), a.size(), rng);
                b = a;
                if (pattern == 0) {
                    FillRandom(b.data(), b.size(), rng);
                } else if (pattern == 1) {
                    memset(a.data(), 0, a.size());
                    memset(b.data(), 0xFF, b.size());
                } else if (pattern == 3) {
                    for (size_t i = 0; i < n * sb; i += 97) {
                        b[i] ^= 0x5A;
                    }
                }
                a.pop_back(), b.pop_back();
                GuardedCopy ga(a), gb(b);
                DiffSums want = {0, 0, 0};
                ScalarCompareKernels.firstDiff(a.data(), b.data(), 0); // nothing read
                const FrameGeometry l = FrameGeometryOf(TYPE_GRAY, uint32_t(n), 1, sb, 16);
                const PlaneDiff r = ReferencePlane(l, 0, a.data(), b.data());
                want.sse = r.sse, want.differing = r.differing, want.maxDiff = r.maxDiff;
                // The same bytes as n / 3 interleaved pixels, channel by channel.
                const FrameGeometry rgb = FrameGeometryOf(TYPE_RGB, uint32_t(n / 3), 1, 1, 8);
                DiffSums wantRgb[3];
                for (uint32_t c = 0; c < 3; ++c) {
                    const PlaneDiff rc = ReferencePlane(rgb, c, a.data() + n % 3, b.data() + n % 3);
                    wantRgb[c] = DiffSums{rc.sse, rc.differing, rc.maxDiff};
                }
                // And as n / 4 groups of four 8-bit channels, or n / 2 pairs of
                // words of 10 bits shifted up by 6.
                const uint32_t channels = sb == 1 ? 4 : 2, units = uint32_t(n / channels);
                const size_t unitsAt = n % channels * sb; // the runs end at the guard
                DiffSums wantUnits[4];
                for (uint32_t c = 0; c < channels; ++c) {
                    FrameGeometry g = FrameGeometryOf(TYPE_GRAY, units, 1, sb, 16);
                    g.shift = sb == 2 ? 6 : 0;
                    g.planes[0].offset = c * sb, g.planes[0].step = channels;
                    const PlaneDiff rc = ReferencePlane(g, 0, a.data() + unitsAt, b.data() + unitsAt);
                    wantUnits[c] = DiffSums{rc.sse, rc.differing, rc.maxDiff};
                }
                size_t firstByte = 0;
                while (firstByte < a.size() && a[firstByte] == b[firstByte]) {
                    ++firstByte;
                }
                ForEachLevel([&] {
                    SCOPED_TRACE("bytes " + std::to_string(sb) + ", n " + std::to_string(n) + ", pattern " +
                                 std::to_string(pattern));
                    const CompareKernels& k = ChosenCompareKernels();
                    DiffSums got = {5, 7, 0}; // sums are added to what is there
                    (sb == 1 ? k.sums8 : k.sums16)(ga.get(), gb.get(), n, &got);
                    EXPECT_EQ(got.sse, want.sse + 5);
                    EXPECT_EQ(got.differing, want.differing + 7);
                    EXPECT_EQ(got.maxDiff, want.maxDiff);
                    EXPECT_EQ(k.firstDiff(ga.get(), gb.get(), n * sb), firstByte);
                    if (sb == 1) {
                        DiffSums rgbGot[3] = {{1, 2, 0}, {0, 0, 0}, {0, 0, 0}};
                        // Against the end of the guard: the last n % 3 bytes are left out.
                        k.sums8x3(ga.get() + n % 3, gb.get() + n % 3, n / 3, rgbGot);
                        for (int c = 0; c < 3; ++c) {
                            EXPECT_EQ(rgbGot[c].sse, wantRgb[c].sse + (c == 0)) << "channel " << c;
                            EXPECT_EQ(rgbGot[c].differing, wantRgb[c].differing + 2 * (c == 0))
                                << "channel " << c;
                            EXPECT_EQ(rgbGot[c].maxDiff, wantRgb[c].maxDiff) << "channel " << c;
                        }
                    }
                    DiffSums unitsGot[4] = {{3, 4, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
                    if (sb == 1) {
                        k.sums8x4(ga.get() + unitsAt, gb.get() + unitsAt, units, unitsGot);
                    } else {
                        k.sums16x2(ga.get() + unitsAt, gb.get() + unitsAt, units, 6, unitsGot);
                    }
                    for (uint32_t c = 0; c < channels; ++c) {
                        EXPECT_EQ(unitsGot[c].sse, wantUnits[c].sse + 3 * (c == 0)) << "channel " << c;
                        EXPECT_EQ(unitsGot[c].differing, wantUnits[c].differing + 4 * (c == 0))
                            << "channel " << c;
                        EXPECT_EQ(unitsGot[c].maxDiff, wantUnits[c].maxDiff) << "channel " << c;
                    }
                });
            }
        }
    }
}

TEST(CompareKernels, FirstDiffFindsEachSinglePositionAndTheDifferencePictureEveryByte) {
    std::mt19937 rng(11);
    for (size_t n : {1, 15, 16, 33, 64, 95}) {
        std::vector<uint8_t> a(n), b(n);
        FillRandom(a.data(), n, rng);
        FillRandom(b.data(), n, rng);
        GuardedCopy ga(a), gb(b);
        ForEachLevel([&] {
            const CompareKernels& k = ChosenCompareKernels();
            for (size_t at = 0; at < n; ++at) {
                std::vector<uint8_t> c = a;
                c[at] ^= 1;
                GuardedCopy gc(c);
                ASSERT_EQ(k.firstDiff(ga.get(), gc.get(), n), at) << "n " << n;
            }
            for (uint32_t shift : {0u, 2u, 4u}) {
                GuardedBuffer out(n);
                memset(out.data(), 0xA5, n);
                k.difference8(ga.get(), gb.get(), n, shift, out.data());
                std::vector<uint8_t> inPlace = a; // out may be a
                k.difference8(inPlace.data(), gb.get(), n, shift, inPlace.data());
                for (size_t i = 0; i < n; ++i) {
                    const int v = 128 + (a[i] - b[i]) * (1 << shift);
                    const int want = v < 0 ? 0 : v > 255 ? 255 : v;
                    ASSERT_EQ(out.data()[i], want) << "n " << n << " shift " << shift << " at " << i;
                    ASSERT_EQ(inPlace[i], want);
                }
            }
        });
    }
}

// The difference picture of 16-bit samples: the bytes of a and b as words,
// with differences of every size (up to 65535) against the clamp.
TEST(CompareKernels, DifferencePictureOfWordsOnEveryPath) {
    std::mt19937 rng(12);
    for (size_t n : {1, 15, 16, 17, 31, 32, 33, 64, 95}) {
        std::vector<uint8_t> a(2 * n), b(2 * n);
        FillRandom(a.data(), a.size(), rng);
        b = a;
        for (size_t i = 0; i < n; ++i) {
            const int kind = static_cast<int>(rng() % 4); // equal, small, large, any difference
            const uint32_t x = a[2 * i] | a[2 * i + 1] << 8, r = rng();
            const uint32_t y = kind == 0 ? x : kind == 1 ? x + r % 600 - 300 : kind == 2 ? x ^ 0x8000 : r;
            b[2 * i] = static_cast<uint8_t>(y), b[2 * i + 1] = static_cast<uint8_t>(y >> 8);
        }
        GuardedCopy ga(a), gb(b);
        ForEachLevel([&] {
            for (uint32_t shift : {0u, 2u, 4u}) {
                GuardedBuffer out(n);
                ChosenCompareKernels().difference16(ga.get(), gb.get(), n, shift, out.data());
                for (size_t i = 0; i < n; ++i) {
                    const int d = (a[2 * i] | a[2 * i + 1] << 8) - (b[2 * i] | b[2 * i + 1] << 8);
                    const int v = 128 + d * (1 << shift);
                    ASSERT_EQ(out.data()[i], v < 0     ? 0
                                             : v > 255 ? 255
                                                       : v)
                        << "n " << n << " shift " << shift << " at " << i;
                }
            }
        });
    }
}

TEST(FrameGeometry, PlanesOfEveryTypeWhereTheFramePlanPutsThem) {
    struct {
        uint32_t type, w, h, sampleBytes;
        uint32_t planes, frameBytes;
        PlaneGeometry p[3];
    } cases[] = {
        {TYPE_GRAY, 8, 4, 1, 1, 32, {{0, 8, 4, 1, 'Y'}}},
        {TYPE_YUV444, 8, 4, 1, 3, 96, {{0, 8, 4, 1, 'Y'}, {32, 8, 4, 1, 'U'}, {64, 8, 4, 1, 'V'}}},
        {TYPE_YUV422, 8, 4, 1, 3, 64, {{0, 8, 4, 1, 'Y'}, {32, 4, 4, 1, 'U'}, {48, 4, 4, 1, 'V'}}},
        {TYPE_YUV411, 8, 4, 1, 3, 48, {{0, 8, 4, 1, 'Y'}, {32, 2, 4, 1, 'U'}, {40, 2, 4, 1, 'V'}}},
        {TYPE_YUV420, 8, 4, 1, 3, 48, {{0, 8, 4, 1, 'Y'}, {32, 4, 2, 1, 'U'}, {40, 4, 2, 1, 'V'}}},
        // Odd height: the plan keeps w x h / 4 chroma bytes, the plane compares w/2 x h/2.
        {TYPE_YUV420, 8, 5, 1, 3, 60, {{0, 8, 5, 1, 'Y'}, {40, 4, 2, 1, 'U'}, {50, 4, 2, 1, 'V'}}},
        {TYPE_YUV420, 7, 5, 1, 3, 52, {{0, 7, 5, 1, 'Y'}, {35, 3, 2, 1, 'U'}, {43, 3, 2, 1, 'V'}}},
        {TYPE_RGB, 8, 4, 1, 3, 96, {{0, 8, 4, 3, 'R'}, {1, 8, 4, 3, 'G'}, {2, 8, 4, 3, 'B'}}},
        {TYPE_BGR, 8, 4, 1, 3, 96, {{2, 8, 4, 3, 'R'}, {1, 8, 4, 3, 'G'}, {0, 8, 4, 3, 'B'}}},
        {TYPE_YUV420, 8, 4, 2, 3, 96, {{0, 8, 4, 1, 'Y'}, {64, 4, 2, 1, 'U'}, {80, 4, 2, 1, 'V'}}},
        {TYPE_BGR, 8, 4, 2, 3, 192, {{4, 8, 4, 3, 'R'}, {2, 8, 4, 3, 'G'}, {0, 8, 4, 3, 'B'}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type) + " " + std::to_string(c.w) + "x" + std::to_string(c.h));
        const FrameGeometry l = FrameGeometryOf(c.type, c.w, c.h, c.sampleBytes, 10);
        ASSERT_EQ(l.planeCount, c.planes);
        EXPECT_EQ(l.frameBytes, c.frameBytes);
        EXPECT_EQ(l.bitDepth, c.sampleBytes == 1 ? 8u : 10u);
        for (uint32_t i = 0; i < c.planes; ++i) {
            const PlaneGeometry& p = l.planes[i];
            EXPECT_EQ(std::vector<uint32_t>({p.offset, p.width, p.height, p.step, uint32_t(p.name)}),
                      std::vector<uint32_t>({c.p[i].offset, c.p[i].width, c.p[i].height, c.p[i].step,
                                             uint32_t(c.p[i].name)}));
        }
    }
}

// Where each extended layout's samples are, stated by hand for a 12 x 6
// frame and checked against frames packed here from the layouts' textbook
// form, independently of the layout table. A sample at (x, y) of a plane is
// at start + y * pitch + x * step bytes.
struct WantedPlane {
    char name;
    uint32_t start, step, pitch, width, height;
};
struct WantedPlanes {
    const char* label; // the layout's name in the list
    WantedPlane planes[3];
};
const uint32_t kGeoW = 12, kGeoH = 6;
const WantedPlanes kWantedPlanes[EXTENDED_LAYOUT_COUNT] = {
    {"4:2:0 10-bit", {{'Y', 0, 2, 24, 12, 6}, {'U', 144, 2, 12, 6, 3}, {'V', 180, 2, 12, 6, 3}}},
    {"4:2:0 12-bit", {{'Y', 0, 2, 24, 12, 6}, {'U', 144, 2, 12, 6, 3}, {'V', 180, 2, 12, 6, 3}}},
    {"4:2:0 16-bit", {{'Y', 0, 2, 24, 12, 6}, {'U', 144, 2, 12, 6, 3}, {'V', 180, 2, 12, 6, 3}}},
    {"4:2:2 10-bit", {{'Y', 0, 2, 24, 12, 6}, {'U', 144, 2, 12, 6, 6}, {'V', 216, 2, 12, 6, 6}}},
    {"4:2:2 12-bit", {{'Y', 0, 2, 24, 12, 6}, {'U', 144, 2, 12, 6, 6}, {'V', 216, 2, 12, 6, 6}}},
    {"4:2:2 16-bit", {{'Y', 0, 2, 24, 12, 6}, {'U', 144, 2, 12, 6, 6}, {'V', 216, 2, 12, 6, 6}}},
    {"4:4:4 10-bit", {{'Y', 0, 2, 24, 12, 6}, {'U', 144, 2, 24, 12, 6}, {'V', 288, 2, 24, 12, 6}}},
    {"4:4:4 12-bit", {{'Y', 0, 2, 24, 12, 6}, {'U', 144, 2, 24, 12, 6}, {'V', 288, 2, 24, 12, 6}}},
    {"4:4:4 16-bit", {{'Y', 0, 2, 24, 12, 6}, {'U', 144, 2, 24, 12, 6}, {'V', 288, 2, 24, 12, 6}}},
    {"Gray 10-bit", {{'Y', 0, 2, 24, 12, 6}}},
    {"Gray 12-bit", {{'Y', 0, 2, 24, 12, 6}}},
    {"Gray 16-bit", {{'Y', 0, 2, 24, 12, 6}}},
    {"NV12", {{'Y', 0, 1, 12, 12, 6}, {'U', 72, 2, 12, 6, 3}, {'V', 73, 2, 12, 6, 3}}},
    {"NV21", {{'Y', 0, 1, 12, 12, 6}, {'U', 73, 2, 12, 6, 3}, {'V', 72, 2, 12, 6, 3}}},
    {"P010", {{'Y', 0, 2, 24, 12, 6}, {'U', 144, 4, 24, 6, 3}, {'V', 146, 4, 24, 6, 3}}},
    {"YUYV", {{'Y', 0, 2, 24, 12, 6}, {'U', 1, 4, 24, 6, 6}, {'V', 3, 4, 24, 6, 6}}},
    {"UYVY", {{'Y', 1, 2, 24, 12, 6}, {'U', 0, 4, 24, 6, 6}, {'V', 2, 4, 24, 6, 6}}},
};

// A distinct value for each sample of each plane, within `bits`.
uint32_t GeoValue(int plane, uint32_t x, uint32_t y, uint32_t bits) {
    return (((plane + 1) * 97u + y * 13u + x) * 2654435761u >> 7) & ((1u << bits) - 1);
}

// The frame as the layout's definition stores it: planar planes one after
// the other, NV12/NV21/P010 luma then interleaved chroma rows, YUYV/UYVY
// groups of Y0 U Y1 V or U Y0 V Y1 per row.
std::vector<uint8_t> PackByDefinition(const char* label, uint32_t w, uint32_t h) {
    std::vector<uint8_t> out;
    auto put = [&](uint32_t v, bool word) {
        out.push_back(static_cast<uint8_t>(v));
        if (word) {
            out.push_back(static_cast<uint8_t>(v >> 8));
        }
    };
    const std::string name = label;
    if (name == "YUYV" || name == "UYVY") {
        for (uint32_t y = 0; y < h; ++y) {
            for (uint32_t x = 0; x < w; x += 2) {
                const uint32_t y0 = GeoValue(0, x, y, 8), y1 = GeoValue(0, x + 1, y, 8);
                const uint32_t u = GeoValue(1, x / 2, y, 8), v = GeoValue(2, x / 2, y, 8);
                const uint32_t g[4] = {y0, u, y1, v}, s[4] = {u, y0, v, y1};
                for (uint32_t k = 0; k < 4; ++k) {
                    put(name == "YUYV" ? g[k] : s[k], false);
                }
            }
        }
        return out;
    }
    if (name == "NV12" || name == "NV21" || name == "P010") {
        const bool words = name == "P010";
        const uint32_t bits = words ? 10 : 8, up = words ? 6 : 0;
        for (uint32_t y = 0; y < h; ++y) {
            for (uint32_t x = 0; x < w; ++x) {
                put(GeoValue(0, x, y, bits) << up, words);
            }
        }
        for (uint32_t y = 0; y < h / 2; ++y) {
            for (uint32_t x = 0; x < w / 2; ++x) {
                const uint32_t u = GeoValue(1, x, y, bits) << up, v = GeoValue(2, x, y, bits) << up;
                put(name == "NV21" ? v : u, words);
                put(name == "NV21" ? u : v, words);
            }
        }
        return out;
    }
    const uint32_t bits = static_cast<uint32_t>(atoi(name.substr(name.find(' ') + 1).c_str()));
    const bool gray = name[0] == 'G';
    const uint32_t cw = name.compare(0, 5, "4:4:4") == 0 ? w : w / 2;
    const uint32_t ch = name.compare(0, 5, "4:2:0") == 0 ? h / 2 : h;
    for (int plane = 0; plane < (gray ? 1 : 3); ++plane) {
        for (uint32_t y = 0; y < (plane ? ch : h); ++y) {
            for (uint32_t x = 0; x < (plane ? cw : w); ++x) {
                put(GeoValue(plane, x, y, bits), true);
            }
        }
    }
    return out;
}

TEST(FrameGeometry, EveryExtendedLayoutFindsEachSampleWhereItsDefinitionPutsIt) {
    for (int i = 0; i < EXTENDED_LAYOUT_COUNT; ++i) {
        const WantedPlanes& g = kWantedPlanes[i];
        SCOPED_TRACE(g.label);
        ASSERT_EQ(strncmp(ExtendedLayoutLabels[i], g.label, strlen(g.label)), 0) << ExtendedLayoutLabels[i];
        const FrameGeometry l = StoredFrameGeometry(ExtendedLayouts[i], kGeoW, kGeoH);
        const std::vector<uint8_t> frame = PackByDefinition(g.label, kGeoW, kGeoH);
        ASSERT_EQ(l.frameBytes, frame.size());
        const uint32_t planes = g.label[0] == 'G' ? 1 : 3;
        ASSERT_EQ(l.planeCount, planes);
        for (uint32_t p = 0; p < planes; ++p) {
            const WantedPlane& want = g.planes[p];
            const PlaneGeometry& got = l.planes[p];
            EXPECT_EQ(got.name, want.name);
            EXPECT_EQ(got.offset, want.start) << want.name;
            EXPECT_EQ(got.step * l.sampleBytes, want.step) << want.name;
            EXPECT_EQ(got.width * got.step * l.sampleBytes, want.pitch) << want.name;
            EXPECT_EQ(got.width, want.width) << want.name;
            EXPECT_EQ(got.height, want.height) << want.name;
            // The table against the packer: every sample where it says.
            const uint32_t bits = l.bitDepth;
            for (uint32_t y = 0; y < want.height; ++y) {
                for (uint32_t x = 0; x < want.width; ++x) {
                    const uint32_t at = want.start + y * want.pitch + x * want.step;
                    uint32_t v = frame[at];
                    if (l.sampleBytes == 2) {
                        v |= uint32_t{frame[at + 1]} << 8;
                    }
                    ASSERT_EQ(v >> l.shift, GeoValue(static_cast<int>(p), x, y, bits))
                        << want.name << x << "," << y;
                }
            }
            // A change to the last sample of this plane is found there.
            std::vector<uint8_t> b = frame;
            b[want.start + (want.height - 1) * want.pitch + (want.width - 1) * want.step] ^= 0x01 << l.shift % 8;
            FrameDiff diff;
            CompareFrames(l, frame.data(), b.data(), &diff);
            for (uint32_t q = 0; q < planes; ++q) {
                EXPECT_EQ(diff.planes[q].hasFirst, q == p) << want.name << " changed, " << l.planes[q].name;
            }
            EXPECT_TRUE(diff.planes[p].firstX == want.width - 1 && diff.planes[p].firstY == want.height - 1);
        }
    }
}

TEST(CompareFrames, MetricsOfEveryTypeMatchThePlainReference) {
    std::mt19937 rng(3);
    const uint32_t types[] = {TYPE_GRAY,   TYPE_YUV444, TYPE_YUV422, TYPE_YUV411,
                              TYPE_YUV420, TYPE_RGB,    TYPE_BGR};
    const uint32_t sizes[][2] = {{176, 144}, {8, 5}, {7, 3}, {1, 1}};
    for (uint32_t sb : {1u, 2u}) {
        for (uint32_t type : types) {
            for (const auto& s : sizes) {
                const FrameGeometry l = FrameGeometryOf(type, s[0], s[1], sb, 12);
                std::vector<uint8_t> a(l.frameBytes);
                FillRandom(a.data(), a.size(), rng);
                // Identical; every sample different; one sample different at
                // each plane's last sample; random.
                std::vector<std::vector<uint8_t>> bs(4, a);
                for (auto& v : bs[1]) {
                    v = static_cast<uint8_t>(v + 1);
                }
                for (uint32_t i = 0; i < l.planeCount; ++i) {
                    const PlaneGeometry& p = l.planes[i];
                    if (p.width * p.height == 0) {
                        continue; // the colour planes of a 1 x 1 frame
                    }
                    const size_t last = p.offset + (size_t{p.width} * p.height - 1) * p.step * sb;
                    bs[2][last + sb - 1] ^= 0x80; // the top byte of a word
                }
                FillRandom(bs[3].data(), a.size(), rng);
                ForEachLevel([&] {
                    for (size_t k = 0; k < bs.size(); ++k) {
                        SCOPED_TRACE("type " + std::to_string(type) + " " + std::to_string(s[0]) + "x" +
                                     std::to_string(s[1]) + " bytes " + std::to_string(sb) + " case " +
                                     std::to_string(k));
                        GuardedCopy ga(a), gb(bs[k]);
                        ExpectFrameMatchesReference(l, ga.get(), gb.get());
                    }
                });
            }
        }
    }
}

// Sets the value of sample i of plane p, keeping the bits below the shift.
void PutValue(const FrameGeometry& l, const PlaneGeometry& p, size_t i, uint32_t v, uint8_t* frame) {
    uint8_t* at = frame + p.offset + i * p.step * l.sampleBytes;
    const uint32_t w = v << l.shift | (Sample(at, l.sampleBytes) & ((1u << l.shift) - 1));
    at[0] = static_cast<uint8_t>(w);
    if (l.sampleBytes == 2) {
        at[1] = static_cast<uint8_t>(w >> 8);
    }
}

uint32_t ValueAtSample(const FrameGeometry& l, const PlaneGeometry& p, size_t i, const uint8_t* frame) {
    return Sample(frame + p.offset + i * p.step * l.sampleBytes, l.sampleBytes) >> l.shift;
}

// The difference picture sample by sample, over `out` as it was.
std::vector<uint8_t> ReferenceDifference(const FrameGeometry& l, const FramePlan& shown, const uint8_t* a,
                                         const uint8_t* b, uint32_t gain, std::vector<uint8_t> out) {
    const uint32_t offsets[3] = {0, shown.uOffset, shown.vOffset};
    for (uint32_t i = 0; i < l.planeCount; ++i) {
        const PlaneGeometry& p = l.planes[i];
        for (size_t j = 0; j < PlaneSamples(p); ++j) {
            const size_t at = p.offset + j * p.step * l.sampleBytes;
            const int64_t x = Sample(a + at, l.sampleBytes) >> l.shift,
                          y = Sample(b + at, l.sampleBytes) >> l.shift;
            const int64_t v = 128 + int64_t{gain} * (x - y);
            out[offsets[i] + j] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
        }
    }
    return out;
}

// Every extended layout on every level against the sample-by-sample
// reference: metrics, FramesDiffer and the difference picture, at sizes of
// several strips, odd sizes (packed 4:2:2 with groups past its chroma, an
// odd last luma sample) and single pixels; the frames are guarded, so no
// byte past a frame is read.
TEST(CompareFrames, EveryExtendedLayoutMatchesThePlainReference) {
    std::mt19937 rng(5);
    const uint32_t sizes[][2] = {{200, 90}, {7, 5}, {5, 3}, {33, 2}, {2, 1}, {1, 1}};
    for (const SequenceLayout& layout : ExtendedLayouts) {
        for (const auto& s : sizes) {
            const FrameGeometry l = StoredFrameGeometry(layout, s[0], s[1]);
            const uint32_t top = (1u << l.bitDepth) - 1;
            std::vector<uint8_t> a(l.frameBytes);
            FillRandom(a.data(), a.size(), rng);
            // Pairs A, B: identical; only the bits below a shift differ (equal
            // values); the first luma sample and the last of the colour
            // planes; the range's ends; a third of the samples a little;
            // random; the last luma sample alone; it and the first of the
            // colour planes.
            std::vector<std::vector<uint8_t>> as(8, a), bs(8, a);
            for (size_t i = 0; i < a.size(); i += l.sampleBytes) {
                bs[1][i] = static_cast<uint8_t>(a[i] ^ (rng() & ((1u << l.shift) - 1)));
            }
            for (uint32_t i = 0; i < l.planeCount; ++i) {
                const PlaneGeometry& p = l.planes[i];
                for (size_t j = 0; j < PlaneSamples(p); ++j) {
                    const uint32_t ends = rng() & 3; // A, B: 0, 1; top, top; 0, top or top - 1; top, 0
                    PutValue(l, p, j, ends & 1 ? top : 0, as[3].data());
                    const uint32_t other = ends == 0   ? 1
                                           : ends == 1 ? top
                                           : ends == 2 ? top - (rng() & 1)
                                                       : 0;
                    PutValue(l, p, j, other, bs[3].data());
                    if (rng() % 3 == 0) {
                        PutValue(l, p, j, (ValueAtSample(l, p, j, a.data()) + rng() % 17 - 8) & top,
                                 bs[4].data());
                    }
                }
                if (PlaneSamples(p) != 0) {
                    const size_t last = PlaneSamples(p) - 1;
                    const uint32_t first = (ValueAtSample(l, p, 0, a.data()) + 1) & top;
                    const uint32_t end = ValueAtSample(l, p, last, a.data()) ^ top;
                    if (i == 0) {
                        PutValue(l, p, 0, first, bs[2].data());
                        PutValue(l, p, last, end, bs[6].data());
                        PutValue(l, p, last, end, bs[7].data());
                    } else {
                        PutValue(l, p, last, end, bs[2].data());
                        PutValue(l, p, 0, first, bs[7].data());
                    }
                }
            }
            FillRandom(bs[5].data(), bs[5].size(), rng);
            const FramePlan shown = ComputeFramePlan(s[0], s[1], layout.type);
            ForEachLevel([&] {
                for (size_t k = 0; k < bs.size(); ++k) {
                    SCOPED_TRACE(::testing::Message() << "layout " << ExtendedLayoutIndex(layout) << " "
                                                      << s[0] << "x" << s[1] << " case " << k);
                    GuardedCopy ga(as[k]), gb(bs[k]);
                    ExpectFrameMatchesReference(l, ga.get(), gb.get());
                    if (k < 2) {
                        EXPECT_EQ(FramesDiffer(l, ga.get(), gb.get()), 0);
                    }
                    for (uint32_t gain : {1u, 16u}) {
                        GuardedBuffer out(shown.frameBytes);
                        memset(out.data(), 0xA5, out.size());
                        const std::vector<uint8_t> was(out.data(), out.data() + out.size());
                        BuildStoredDifference(l, shown, ga.get(), gb.get(), gain, out.data());
                        ASSERT_EQ(std::vector<uint8_t>(out.data(), out.data() + out.size()),
                                  ReferenceDifference(l, shown, as[k].data(), bs[k].data(), gain, was))
                            << "gain " << gain;
                    }
                }
            });
        }
    }
}

TEST(Psnr, FromTheExactSumsWithThePeakOfTheBitDepth) {
    struct {
        uint64_t sse, samples;
        uint32_t bits;
        const char* text;
    } cases[] = {
        {0, 100, 8, "identical"},
        {5, 0, 8, "identical"}, // no samples: nothing differs, no division
        {1, 1, 8, "48.13"},     // 10 log10(255^2)
        {65025, 8, 8, "9.03"},  // 10 log10(8)
        {65025, 1, 8, "0.00"},  // every sample at the largest difference
        {1, 4, 10, "66.22"},    // peak 1023
        {uint64_t{65535} * 65535 * 2088960, 2088960, 16, "0.00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PsnrText(c.sse, c.samples, PeakOf(c.bits)), c.text) << c.sse << " " << c.samples;
    }
    double db = -1;
    EXPECT_EQ(PsnrOf(0, 10, 255, &db), PSNR_IDENTICAL);
    EXPECT_EQ(db, -1);
    EXPECT_EQ(PeakOf(8), 255u);
    EXPECT_EQ(PeakOf(16), 65535u);
}

TEST(DifferenceView, SampleRuleKeysAndGains) {
    struct {
        uint8_t a, b;
        uint32_t gain;
        uint8_t shown;
    } samples[] = {
        {0, 0, 16, 128},    {255, 255, 1, 128},  {130, 128, 1, 130},  {128, 130, 1, 126},
        {130, 128, 4, 136}, {130, 128, 16, 160}, {200, 100, 1, 228},  {200, 100, 4, 255},
        {0, 255, 1, 0},     {255, 0, 1, 255},    {100, 101, 16, 112}, {100, 108, 16, 0},
    };
    // A gray frame of the samples one after the other, and a 4:2:0 frame
    // whose chroma follows the same rule.
    for (uint32_t type : {TYPE_GRAY, TYPE_YUV420}) {
        const FrameGeometry l = FrameGeometryOf(type, 4, 2, 1, 8);
        for (const auto& s : samples) {
            std::vector<uint8_t> a(l.frameBytes, s.a), b(l.frameBytes, s.b), out(l.frameBytes, 7);
            ASSERT_TRUE(BuildDifferenceFrame(l, a.data(), b.data(), s.gain, out.data()));
            EXPECT_EQ(out, std::vector<uint8_t>(l.frameBytes, s.shown))
                << int(s.a) << " " << int(s.b) << " k " << s.gain;
        }
    }
    std::vector<uint8_t> frame(64);
    EXPECT_FALSE(BuildDifferenceFrame(FrameGeometryOf(TYPE_GRAY, 4, 2, 1, 8), frame.data(), frame.data(), 2,
                                      frame.data()));
    EXPECT_FALSE(BuildDifferenceFrame(FrameGeometryOf(TYPE_GRAY, 4, 2, 2, 10), frame.data(), frame.data(), 1,
                                      frame.data()));

    EXPECT_EQ(std::vector<int>({ViewAfterTab(VIEW_A), ViewAfterTab(VIEW_B), ViewAfterTab(VIEW_DIFFERENCE)}),
              std::vector<int>({VIEW_B, VIEW_A, VIEW_A}));
    EXPECT_EQ(std::vector<int>({ViewAfterDifferenceKey(VIEW_A), ViewAfterDifferenceKey(VIEW_B),
                                ViewAfterDifferenceKey(VIEW_DIFFERENCE)}),
              std::vector<int>({VIEW_DIFFERENCE, VIEW_DIFFERENCE, VIEW_A}));
    EXPECT_EQ(std::vector<uint32_t>({RaiseGain(1), RaiseGain(4), RaiseGain(16), LowerGain(16), LowerGain(4),
                                     LowerGain(1)}),
              std::vector<uint32_t>({4, 16, 16, 4, 1, 1}));
}

} // namespace
