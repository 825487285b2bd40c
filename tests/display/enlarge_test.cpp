#include <gtest/gtest.h>
#include <string.h>

#include <random>
#include <vector>

#include "conversion_paths.h"
#include "enlarge.h"
#include "test_support.h"

namespace {

std::vector<int> LumaOf(const std::vector<uint8_t>& source, int w, int h) {
    std::vector<uint8_t> target(size_t(4) * w * h);
    EnlargeLuma(w, h, source.data(), target.data());
    return std::vector<int>(target.begin(), target.end());
}

std::vector<int> ChromaOf(const std::vector<int8_t>& source, int w, int h) {
    std::vector<int8_t> target(size_t(4) * w * h);
    EnlargeChroma(w, h, source.data(), target.data());
    return std::vector<int>(target.begin(), target.end());
}

TEST(Enlarge, WorkedExamples) {
    EXPECT_EQ(LumaOf({100, 200, 50, 0}, 2, 2),
              (std::vector<int>{56, 93, 131, 112, 65, 103, 134, 112, 46, 59, 53, 37, 28, 28, 9, 0}));
    // Negative sums truncate toward zero: -771 / 16 gives -48, not -49.
    EXPECT_EQ(ChromaOf({-128, 127, -128, 127}, 2, 2),
              (std::vector<int>{-72, -48, 47, 71, -96, -64, 63, 95, -96, -64, 63, 95, -72, -48, 47, 71}));
}

TEST(Enlarge, AllMinusOneChromaFadesToZeroAtTheRing) {
    const int w = 5, h = 3;
    const std::vector<int> t = ChromaOf(std::vector<int8_t>(w * h, -1), w, h);
    for (int y = 0; y < 2 * h; ++y) {
        for (int x = 0; x < 2 * w; ++x) {
            const bool ring = x == 0 || y == 0 || x == 2 * w - 1 || y == 2 * h - 1;
            // -9/16 and -12/16 truncate to 0; inside, -16/16 is -1.
            EXPECT_EQ(t[y * 2 * w + x], ring ? 0 : -1) << x << "," << y;
        }
    }
}

// The scalar rows and the vector rows (with the scalar row finishing each),
// for shapes from one sample to several vector blocks.
using EnlargePaths = EveryPath;
INSTANTIATE_TEST_SUITE_P(Path, EnlargePaths, ::testing::Values(PATH_SCALAR, PATH_SSE2),
                         [](const ::testing::TestParamInfo<ConversionPath>& p) {
                             return std::string(PathName(p.param));
                         });

TEST_P(EnlargePaths, MatchesTheRuleForEveryShapeAndExtremes) {
    PathSelection selection(GetParam());
    std::mt19937 rng(11);
    const int shapes[][2] = {{1, 1}, {1, 5},  {6, 1},  {2, 2},   {3, 7},
                             {9, 3}, {16, 9}, {17, 2}, {45, 36}, {100, 3}};
    for (const auto& shape : shapes) {
        const int w = shape[0], h = shape[1];
        const size_t n = size_t(w) * h;
        GuardedBuffer source(n), target(4 * n);
        for (int pass = 0; pass < 4; ++pass) {
            // Random samples, then all at each end of either range.
            static const uint8_t fills[] = {0, 0xFF, 0x80, 0x7F};
            if (pass == 0) {
                FillRandom(source.data(), n, rng);
            } else {
                memset(source.data(), fills[pass], n);
            }
            memset(target.data(), 0xA5, 4 * n);
            EnlargeLuma(w, h, source.data(), target.data());
            EXPECT_EQ(std::vector<int>(target.data(), target.data() + 4 * n), ReferenceEnlarge(source.data(), w, h))
                << w << "x" << h << " luma pass " << pass;
            memset(target.data(), 0xA5, 4 * n);
            EnlargeChroma(w, h, source.signedData(), target.signedData());
            EXPECT_EQ(std::vector<int>(target.signedData(), target.signedData() + 4 * n),
                      ReferenceEnlarge(source.signedData(), w, h))
                << w << "x" << h << " chroma pass " << pass;
        }
    }
}

} // namespace
