// The extended sequence layouts: the 8-bit value each stored sample shows as,
// every packing unpacked into the planar frame it was packed from (packed
// here from the formats' definitions, the other way round), and frames of
// such layouts read, counted and saved as they are stored.
#include <gtest/gtest.h>

#include <string.h>

#include <cmath>
#include <random>
#include <vector>

#include "display.h"
#include "frame_plan.h"
#include "processor.h"
#include "sequence_layout.h"
#include "test_support.h"
#include "unpack_kernels.h"

namespace {

TEST(ShownSample, RoundsHalfUpAndClampsWhatIsOutOfRange) {
    const struct {
        uint32_t bits, v;
        uint8_t shown;
    } cases[] = {
        {8, 0, 0},
        {8, 255, 255},
        {8, 300, 255},
        {10, 0, 0},
        {10, 1, 0},
        {10, 2, 1},
        {10, 512, 128},
        {10, 1021, 255},
        {10, 1022, 255},
        {10, 1023, 255},
        {10, 1024, 255},
        {10, 65535, 255}, // above 2^10 - 1
        {12, 7, 0},
        {12, 8, 1},
        {12, 2048, 128},
        {12, 4095, 255},
        {16, 127, 0},
        {16, 128, 1},
        {16, 32768, 128},
        {16, 65407, 255},
        {16, 65535, 255},
        // the depths only Y4M files bring
        {9, 1, 1},
        {9, 508, 254},
        {9, 509, 255},
        {9, 511, 255},
        {11, 3, 0},
        {11, 4, 1},
        {11, 1024, 128},
        {13, 15, 0},
        {13, 16, 1},
        {14, 31, 0},
        {14, 32, 1},
        {15, 63, 0},
        {15, 64, 1},
        {15, 32767, 255},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ShownSample(c.v, c.bits), c.shown) << c.v << " of " << c.bits << " bits";
    }
}

void PutWord(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

// Packs an 8-bit planar frame of the layout's sampling into the layout;
// deep samples are the 8-bit value shifted up, which shows as that value.
std::vector<uint8_t> Pack(const SequenceLayout& l, uint32_t w, uint32_t h, const std::vector<uint8_t>& planar) {
    const FramePlan plan = ComputeFramePlan(w, h, l.type);
    const uint8_t* y = planar.data();
    const uint8_t* u = y + plan.uOffset;
    const uint8_t* v = y + plan.vOffset;
    std::vector<uint8_t> out;
    switch (l.packing) {
    case PACKING_NV12:
    case PACKING_NV21:
    case PACKING_P010:
        for (uint32_t i = 0; i < w * h; ++i) {
            l.packing == PACKING_P010 ? PutWord(out, uint32_t{y[i]} << 8) : out.push_back(y[i]);
        }
        for (uint32_t i = 0; i < plan.chromaBytes; ++i) {
            const uint8_t first = l.packing == PACKING_NV21 ? v[i] : u[i];
            const uint8_t second = l.packing == PACKING_NV21 ? u[i] : v[i];
            if (l.packing == PACKING_P010) {
                PutWord(out, uint32_t{first} << 8);
                PutWord(out, uint32_t{second} << 8);
            } else {
                out.push_back(first);
                out.push_back(second);
            }
        }
        break;
    case PACKING_YUYV:
    case PACKING_UYVY:
        for (uint32_t i = 0; i < w * h / 2; ++i) {
            const uint8_t group[4] = {y[2 * i], u[i], y[2 * i + 1], v[i]};
            const uint8_t swapped[4] = {u[i], y[2 * i], v[i], y[2 * i + 1]};
            const uint8_t* g = l.packing == PACKING_YUYV ? group : swapped;
            out.insert(out.end(), g, g + 4);
        }
        break;
    default:
        for (uint8_t s : planar) {
            PutWord(out, uint32_t{s} << (l.bits - 8));
        }
    }
    return out;
}

TEST(UnpackFrame, EveryLayoutGivesBackThePlanarFrameItWasPackedFrom) {
    std::mt19937 rng(20);
    const uint32_t w = 12, h = 6;
    for (const SequenceLayout& l : ExtendedLayouts) {
        SCOPED_TRACE(::testing::Message() << l.type << " " << l.bits << " bits, packing " << l.packing);
        ASSERT_TRUE(IsExtendedLayout(l));
        const FramePlan plan = ComputeFramePlan(w, h, l.type);
        std::vector<uint8_t> planar(plan.frameBytes);
        FillRandom(planar.data(), planar.size(), rng);
        const std::vector<uint8_t> stored = Pack(l, w, h, planar);
        ASSERT_EQ(stored.size(), LayoutFrameBytes(l, w, h));
        GuardedCopy in(stored);
        GuardedBuffer out(plan.frameBytes);
        UnpackFrame(l, w, h, in.get(), out.data());
        EXPECT_EQ(std::vector<uint8_t>(out.data(), out.data() + out.size()), planar);
    }
    for (uint32_t type : {TYPE_GRAY, TYPE_YUV420, TYPE_RGB}) {
        EXPECT_FALSE(IsExtendedLayout(SequenceLayout{type, 8, PACKING_PLANAR}));
    }
}

// Random stored bytes (samples above the range among them), unpacked on every
// kernel level this processor runs: each gives the scalar path's bytes, and
// deep planar samples show as ShownSample says.
TEST(UnpackFrame, EveryKernelLevelGivesTheScalarBytes) {
    std::mt19937 rng(21);
    const uint32_t w = 72, h = 6; // rows of 72: whole vector blocks and a rest
    for (const SequenceLayout& l : ExtendedLayouts) {
        SCOPED_TRACE(::testing::Message() << l.type << " " << l.bits << " bits, packing " << l.packing);
        std::vector<uint8_t> stored(LayoutFrameBytes(l, w, h));
        FillRandom(stored.data(), stored.size(), rng);
        GuardedCopy in(stored);
        const size_t shownBytes = ComputeFramePlan(w, h, l.type).frameBytes;
        ASSERT_TRUE(SelectKernelLevel(KERNELS_SCALAR));
        GuardedBuffer scalar(shownBytes);
        UnpackFrame(l, w, h, in.get(), scalar.data());
        if (l.packing == PACKING_PLANAR) {
            for (size_t i = 0; i < shownBytes; ++i) {
                ASSERT_EQ(scalar.data()[i], ShownSample(stored[2 * i] | stored[2 * i + 1] << 8, l.bits)) << i;
            }
        }
        for (int level = KERNELS_SSE2; level <= DetectKernelLevel(); ++level) {
            ASSERT_TRUE(SelectKernelLevel(level));
            GuardedBuffer out(shownBytes);
            UnpackFrame(l, w, h, in.get(), out.data());
            EXPECT_EQ(memcmp(out.data(), scalar.data(), shownBytes), 0) << "level " << level;
        }
    }
    SelectKernelLevel(DetectKernelLevel());
}

// The word kernels of the comparison on every level: each word's value,
// w >> shift, in its place, for runs around the vector blocks; every byte
// read or written lies inside the run (the buffers fault past their ends).
TEST(UnpackKernels, WordsAndWordPairsShiftedOnEveryLevel) {
    std::mt19937 rng(22);
    for (size_t n : {1, 7, 8, 15, 16, 17, 31, 32, 33, 64, 65, 100}) {
        std::vector<uint8_t> words(4 * n);
        FillRandom(words.data(), words.size(), rng);
        words[0] = 0xFF, words[1] = 0xFF; // the top word, which a signed step would lose
        GuardedCopy in(words);
        for (uint32_t shift : {0u, 6u, 15u}) {
            for (int level = KERNELS_SCALAR; level <= DetectKernelLevel(); ++level) {
                SCOPED_TRACE(::testing::Message() << "n " << n << " shift " << shift << " level " << level);
                ASSERT_TRUE(SelectKernelLevel(level));
                const UnpackKernels& k = ChosenUnpackKernels();
                GuardedBuffer all(4 * n), first(2 * n), second(2 * n);
                k.shiftWords(in.get(), 2 * n, shift, all.data());
                k.splitWordPairs(in.get(), n, shift, first.data(), second.data());
                for (size_t i = 0; i < 2 * n; ++i) {
                    const uint32_t want = (words[2 * i] | words[2 * i + 1] << 8) >> shift;
                    const uint8_t* half = (i % 2 ? second : first).data() + i / 2 * 2;
                    ASSERT_EQ(all.data()[2 * i] | all.data()[2 * i + 1] << 8, want) << i;
                    ASSERT_EQ(half[0] | half[1] << 8, want) << i;
                }
            }
        }
    }
    SelectKernelLevel(DetectKernelLevel());
}

// Planar frames of every depth from 9 to 16 bits (the extended layouts list
// 10, 12 and 16; Y4M files bring the others): two bytes a sample, and each
// word shown as its value divided by 2^(bits - 8), rounded half up and
// clamped, on every kernel level.
TEST(UnpackFrame, EveryDepthFromNineToSixteenBits) {
    std::mt19937 rng(22);
    const uint32_t w = 72, h = 2;
    for (uint32_t bits = 9; bits <= 16; ++bits) {
        for (uint32_t type : {TYPE_GRAY, TYPE_YUV420, TYPE_YUV422, TYPE_YUV444}) {
            SCOPED_TRACE(::testing::Message() << type << " " << bits << " bits");
            const SequenceLayout l = {type, bits, PACKING_PLANAR};
            const size_t shownBytes = ComputeFramePlan(w, h, type).frameBytes;
            ASSERT_EQ(SampleBytes(l), 2u);
            ASSERT_EQ(LayoutFrameBytes(l, w, h), 2 * shownBytes);
            std::vector<uint8_t> stored(2 * shownBytes);
            FillRandom(stored.data(), stored.size(), rng);
            for (size_t i = 0; i < shownBytes; i += 2) { // every other sample in range
                stored[2 * i + 1] &= static_cast<uint8_t>((1u << (bits - 8)) - 1);
            }
            GuardedCopy in(stored);
            for (int level = KERNELS_SCALAR; level <= DetectKernelLevel(); ++level) {
                ASSERT_TRUE(SelectKernelLevel(level));
                GuardedBuffer out(shownBytes);
                UnpackFrame(l, w, h, in.get(), out.data());
                for (size_t i = 0; i < shownBytes; ++i) {
                    const double v = stored[2 * i] | stored[2 * i + 1] << 8;
                    const double rounded = std::floor(v / (1u << (bits - 8)) + 0.5);
                    ASSERT_EQ(out.data()[i], rounded > 255 ? 255 : rounded)
                        << "level " << level << ", sample " << i;
                }
            }
        }
    }
    SelectKernelLevel(DetectKernelLevel());
}

} // namespace
