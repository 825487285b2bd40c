// SSIM: every kernel path against the scalar block sums and window values on
// random and edge rows, whole frames against the values ffmpeg's ssim filter printed for the
// same frames, packed layouts against their planar form, and the text.
#include <gtest/gtest.h>
#include <locale.h>
#include <string.h>

#include <random>
#include <string>
#include <vector>

#include "display.h"
#include "frame_compare.h"
#include "processor.h"
#include "sequence_layout.h"
#include "ssim.h"
#include "ssim_kernels.h"
#include "test_support.h"

namespace {

// `items` items at the very end of a guarded buffer: reading past them faults.
template <typename T>
struct GuardedItems {
    GuardedBuffer buffer;
    explicit GuardedItems(const std::vector<T>& items) : buffer(items.size() * sizeof(T)) {
        if (!items.empty()) {
            memcpy(buffer.data(), items.data(), buffer.size());
        }
    }
    T* get() { return reinterpret_cast<T*>(buffer.data()); }
};

TEST(SsimKernels, EveryPathGivesTheScalarResultsOnRandomAndEdgeRows) {
    std::mt19937 rng(3);
    // Rows around the 4- and 8-block steps of 8-bit samples, the 2- and
    // 4-block steps of words and the 2- and 4-window steps; rows of samples
    // lie further apart than a block row. The windows lie between the row's
    // block sums and those of B against A. c1 and c2 of 8 and 16 bits.
    for (uint32_t sb : {1u, 2u}) {
        const int64_t c1 = sb == 1 ? 416 : 27486952, c2 = sb == 1 ? 235963 : 15585101693;
        for (size_t blocks : {0, 1, 2, 3, 4, 5, 7, 8, 9, 12, 17, 33}) {
            for (int pattern = 0; pattern < 3; ++pattern) { // random, both at the top, A top and B zero
                const size_t rowBytes = 4 * blocks * sb, stride = rowBytes + 3 * sb;
                std::vector<uint8_t> a(3 * stride + rowBytes), b(a.size());
                FillRandom(a.data(), a.size(), rng);
                FillRandom(b.data(), b.size(), rng);
                if (pattern > 0) {
                    memset(a.data(), 0xFF, a.size());
                    memset(b.data(), pattern == 1 ? 0xFF : 0, b.size());
                }
                GuardedCopy ga(a), gb(b); // the last row ends at the guard
                const SsimKernels& scalar = ScalarSsimKernels;
                std::vector<BlockSums> want(blocks), swapped(blocks);
                (sb == 1 ? scalar.blockSums8 : scalar.blockSums16)(ga.get(), gb.get(), stride, blocks,
                                                                   want.data());
                (sb == 1 ? scalar.blockSums8 : scalar.blockSums16)(gb.get(), ga.get(), stride, blocks,
                                                                   swapped.data());
                if (pattern == 1 && blocks > 0) { // 32 squares of the top value: past 32 bits for words
                    EXPECT_EQ(want[0].ss, sb == 1 ? 32u * 255 * 255 : 32ull * 65535 * 65535);
                }
                const size_t windows = blocks > 0 ? blocks - 1 : 0;
                GuardedItems<BlockSums> top(want), bottom(swapped);
                std::vector<float> values(windows);
                scalar.windows(top.get(), bottom.get(), windows, c1, c2, values.data());
                for (int level : {KERNELS_SSE2, KERNELS_AVX2}) {
                    if (level > DetectKernelLevel()) {
                        continue;
                    }
                    SelectKernelLevel(level);
                    SCOPED_TRACE("level " + std::to_string(level) + ", bytes " + std::to_string(sb) +
                                 ", blocks " + std::to_string(blocks) + ", pattern " + std::to_string(pattern));
                    GuardedBuffer out(blocks * sizeof(BlockSums)), got(windows * sizeof(float));
                    const SsimKernels& k = ChosenSsimKernels();
                    (sb == 1 ? k.blockSums8 : k.blockSums16)(ga.get(), gb.get(), stride, blocks,
                                                             reinterpret_cast<BlockSums*>(out.data()));
                    EXPECT_TRUE(blocks == 0 || memcmp(out.data(), want.data(), out.size()) == 0);
                    float* gotValues = reinterpret_cast<float*>(got.data());
                    k.windows(top.get(), bottom.get(), windows, c1, c2, gotValues);
                    EXPECT_EQ(std::vector<float>(gotValues, gotValues + windows), values);
                }
                SelectKernelLevel(DetectKernelLevel());
            }
        }
    }
}

// A frame pair in which every plane has texture and B differs from A by a
// few steps of 8 bits in most samples: SSIM near 1, where its dB shows the
// sixth decimal of single-precision rounding. HIGH puts the values just
// under the top of the depth; FLAT has A 0 and B 1 throughout, where c1
// alone sets the SSIM.
enum PairKind { TEXTURE, HIGH, FLAT };
void FramePair(const FrameGeometry& l, PairKind kind, std::vector<uint8_t>* a, std::vector<uint8_t>* b) {
    std::mt19937 rng(5);
    const uint32_t peak = PeakOf(l.bitDepth);
    a->assign(l.frameBytes, 0);
    b->assign(l.frameBytes, 0);
    for (uint32_t i = 0; i < l.planeCount; ++i) {
        const PlaneGeometry& p = l.planes[i];
        for (size_t j = 0; j < PlaneSamples(p); ++j) {
            const uint32_t texture = (j % p.width * 37 + j / p.width * 11 + rng() % 64) * (peak / 255);
            const uint32_t x = kind == FLAT ? 0 : kind == HIGH ? peak - texture % 2048 : texture % (peak + 1);
            const int64_t e =
                kind == FLAT ? 1 : int64_t{x} + (static_cast<int64_t>(rng() % 5) - 2) * (peak / 255);
            const uint32_t y = static_cast<uint32_t>(e < 0 ? 0 : e > peak ? peak : e);
            for (uint32_t k = 0; k < l.sampleBytes; ++k) {
                (*a)[p.offset + j * l.sampleBytes + k] = static_cast<uint8_t>(x >> (8 * k));
                (*b)[p.offset + j * l.sampleBytes + k] = static_cast<uint8_t>(y >> (8 * k));
            }
        }
    }
}

// The lines of ffmpeg's stats file for these frames, written as raw files
// (ffmpeg -f rawvideo ... -lavfi "[0:v][1:v]ssim=stats_file=..."). The
// 32-bit build's x87 arithmetic must give them too.
TEST(Ssim, FramesGiveTheValuesFfmpegPrints) {
    struct {
        SequenceLayout layout;
        uint32_t w, h;
        PairKind kind;
        const char* ffmpeg;
    } cases[] = {
        // The same SSIM to six decimals, but a row summed in double or in
        // single precision ends in another dB.
        {{TYPE_YUV420, 8, PACKING_PLANAR}, 66, 38, TEXTURE, "Y:0.999814 U:0.999818 V:0.999830 All:0.999817 (37.382875)"},
        {{TYPE_YUV420, 10, PACKING_PLANAR}, 66, 38, TEXTURE, "Y:0.999814 U:0.999818 V:0.999830 All:0.999817 (37.377136)"},
        {{TYPE_GRAY, 16, PACKING_PLANAR}, 35, 27, HIGH, "Y:0.972625 All:0.972625 (15.626471)"},
        // c1 = round(0.01^2 1023^2 64) = 6698, not 6697.9776 nor 6697.
        {{TYPE_GRAY, 10, PACKING_PLANAR}, 16, 16, FLAT, "Y:0.620530 All:0.620530 (4.208224)"},
    };
    for (const auto& c : cases) {
        const FrameGeometry l = StoredFrameGeometry(c.layout, c.w, c.h);
        std::vector<uint8_t> a, b;
        FramePair(l, c.kind, &a, &b);
        for (int level = KERNELS_SCALAR; level <= DetectKernelLevel(); ++level) {
            SelectKernelLevel(level);
            FrameSsim ssim;
            ASSERT_EQ(SsimOfFrames(l, a.data(), b.data(), &ssim), SSIM_VALUE);
            EXPECT_EQ(FrameSsimText(l, ssim), c.ffmpeg) << c.layout.bits << "-bit, level " << level;
        }
        SelectKernelLevel(DetectKernelLevel());
    }
}

// Each packed layout read sample by sample gives what its planes give
// stored planar, on the kernels.
TEST(Ssim, PackedLayoutsGiveTheValuesOfTheirPlanes) {
    const uint32_t w = 42, h = 20;
    for (int i = 0; i < EXTENDED_LAYOUT_COUNT + 2; ++i) {
        const bool rgb = i >= EXTENDED_LAYOUT_COUNT;
        const SequenceLayout layout =
            rgb ? SequenceLayout{i == EXTENDED_LAYOUT_COUNT ? TYPE_RGB : TYPE_BGR, 8, PACKING_PLANAR}
                : ExtendedLayouts[i];
        const FrameGeometry packed = StoredFrameGeometry(layout, w, h);
        const FrameGeometry planar = StoredFrameGeometry(
            SequenceLayout{rgb ? uint32_t{TYPE_YUV444} : layout.type, layout.bits, PACKING_PLANAR}, w, h);
        std::vector<uint8_t> a, b, pa(planar.frameBytes), pb(planar.frameBytes);
        std::mt19937 rng(9);
        a.resize(packed.frameBytes), b.resize(packed.frameBytes);
        FillRandom(a.data(), a.size(), rng);
        FillRandom(b.data(), b.size(), rng);
        for (size_t k = 0; k < a.size(); k += 3) {
            b[k] = a[k]; // every third byte equal
        }
        for (uint32_t p = 0; p < packed.planeCount; ++p) {
            const PlaneGeometry &from = packed.planes[p], &to = planar.planes[p];
            for (size_t j = 0; j < PlaneSamples(from); ++j) {
                const size_t at = from.offset + j * from.step * packed.sampleBytes;
                const uint32_t x = ValueAt(packed, a.data() + at), y = ValueAt(packed, b.data() + at);
                for (uint32_t k = 0; k < planar.sampleBytes; ++k) {
                    pa[to.offset + j * planar.sampleBytes + k] = static_cast<uint8_t>(x >> (8 * k));
                    pb[to.offset + j * planar.sampleBytes + k] = static_cast<uint8_t>(y >> (8 * k));
                }
            }
        }
        FrameSsim got, want;
        ASSERT_EQ(SsimOfFrames(packed, a.data(), b.data(), &got), SSIM_VALUE);
        ASSERT_EQ(SsimOfFrames(planar, pa.data(), pb.data(), &want), SSIM_VALUE);
        const char* name = rgb ? "RGB or BGR" : ExtendedLayoutLabels[i];
        EXPECT_EQ(std::vector<double>(got.planes, got.planes + 3), std::vector<double>(want.planes, want.planes + 3))
            << name;
        EXPECT_EQ(got.all, want.all) << name;
    }
}

TEST(Ssim, PlanesWithoutAWindowAndTheText) {
    std::vector<uint8_t> frame(16 * 16 * 3 / 2, 0x40);
    FrameSsim ssim;
    // 4:2:0 chroma of 7 x 8 has no 8 x 8 window; of 8 x 8, one.
    EXPECT_EQ(SsimOfFrames(FrameGeometryOf(TYPE_YUV420, 14, 16, 1, 8), frame.data(), frame.data(), &ssim),
              SSIM_NO_WINDOW);
    ASSERT_EQ(SsimOfFrames(FrameGeometryOf(TYPE_YUV420, 16, 16, 1, 8), frame.data(), frame.data(), &ssim),
              SSIM_VALUE);
    EXPECT_EQ(FrameSsimText(FrameGeometryOf(TYPE_YUV420, 16, 16, 1, 8), ssim),
              "Y:1.000000 U:1.000000 V:1.000000 All:1.000000 (inf)");
    const std::string saved = setlocale(LC_NUMERIC, nullptr);
    for (const char* locale : {"C", "de_DE.UTF-8"}) {
        if (setlocale(LC_NUMERIC, locale)) {
            EXPECT_EQ(SsimText(0.5), "0.500000 (3.010300)") << locale;
            EXPECT_EQ(SsimText(0.9999999999), "1.000000 (inf)") << locale;
        }
    }
    setlocale(LC_NUMERIC, saved.c_str());
}

} // namespace
