#include <gtest/gtest.h>
#include <string.h>

#include <random>
#include <vector>

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
              (std::vector<int>{-72, -48, 47, 71, -96, -64, 63, 95, -96, -64, 63, 95, -72, -48, 47,
                                71}));
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

TEST(Enlarge, MatchesTheRuleForEveryShapeAndExtremes) {
    std::mt19937 rng(11);
    const int shapes[][2] = {{1, 1}, {1, 5}, {6, 1}, {2, 2}, {3, 7}, {16, 9}, {45, 36}};
    for (const auto& shape : shapes) {
        const int w = shape[0], h = shape[1];
        const size_t n = size_t(w) * h;
        GuardedBuffer source(n), target(4 * n);
        for (int pass = 0; pass < 3; ++pass) {
            // Random samples, then all at each end of the range.
            if (pass == 0) {
                FillRandom(source.data(), n, rng);
            } else {
                memset(source.data(), pass == 1 ? 0xFF : 0x80, n);
            }
            EnlargeLuma(w, h, source.data(), target.data());
            EXPECT_EQ(std::vector<int>(target.data(), target.data() + 4 * n),
                      ReferenceEnlarge(source.data(), w, h))
                << w << "x" << h << " luma pass " << pass;
            EnlargeChroma(w, h, source.signedData(), target.signedData());
            EXPECT_EQ(std::vector<int>(target.signedData(), target.signedData() + 4 * n),
                      ReferenceEnlarge(source.signedData(), w, h))
                << w << "x" << h << " chroma pass " << pass;
        }
    }
}

} // namespace
