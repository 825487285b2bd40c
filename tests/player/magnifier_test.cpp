// The magnifier's cells against a plain read of the stored frames: 8-bit
// and 10-bit planar 4:2:0, luma and chroma, edges and corners, and each view
// of a comparison; and the digits it draws them with.
#include <gtest/gtest.h>
#include <string.h>

#include <vector>

#include "magnifier.h"
#include "memory_files.h"
#include "option_rules.h"
#include "playback.h"
#include "player_state.h"

namespace {

const uint32_t kW = 24, kH = 16;

class MagnifierTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(InitPlayerState(s));
        s.files = files_.Access();
    }
    void TearDown() override { ReleasePlayerState(s); }

    // 24 x 16 4:2:0 frames of `bits`, frame 1 on screen.
    void Open(uint32_t bits, const std::vector<uint8_t>& a) {
        s.framePreset = FRAME_PRESET_CUSTOM;
        s.frameWidth = kW;
        s.frameHeight = kH;
        ASSERT_EQ(SequenceOptionOk(s, {TYPE_YUV420, bits, PACKING_PLANAR}, NumberEntry{true, 0}, "30").message,
                  nullptr);
        SequenceOptionAccepted(s);
        files_.Put("a", a);
        OpenSequence(s, "a");
        ShowSequenceFrame(s, 1, REQUEST_BY_COMMAND);
        ASSERT_EQ(s.frameShown, 1u);
    }
    // Two frames with different samples everywhere, `bits` deep.
    static std::vector<uint8_t> Frames(uint32_t bits, uint32_t seed) {
        const size_t bytes = bits > 8 ? 2 : 1, n = 2 * kW * kH * 3 / 2;
        std::vector<uint8_t> f(n * bytes);
        for (size_t i = 0; i < n; ++i) {
            const uint32_t v = static_cast<uint32_t>(i * 37 + seed) % (1u << bits);
            f[i * bytes] = static_cast<uint8_t>(v);
            if (bytes == 2) {
                f[i * bytes + 1] = static_cast<uint8_t>(v >> 8);
            }
        }
        return f;
    }
    // Sample (px, py) of plane p of frame 1, read plainly; -1 outside.
    static int32_t Plain(const std::vector<uint8_t>& f, uint32_t bits, uint32_t p, int64_t px, int64_t py) {
        const int64_t w = p ? kW / 2 : kW, h = p ? kH / 2 : kH;
        if (px < 0 || py < 0 || px >= w || py >= h) {
            return -1;
        }
        const size_t bytes = bits > 8 ? 2 : 1;
        const size_t plane = p == 0 ? 0 : p == 1 ? kW * kH : kW * kH * 5 / 4;
        const size_t at = (kW * kH * 3 / 2 + plane + size_t(py * w + px)) * bytes;
        return bytes == 2 ? f[at] | f[at + 1] << 8 : f[at];
    }
    // The cells at pixel (x, y) are the plain samples around (cx, cy) of
    // plane p, as `value` of A's and B's samples gives them.
    template <typename Value>
    void Expect(uint32_t x, uint32_t y, uint32_t p, int32_t cx, int32_t cy, Value value) {
        MagnifierCells c;
        ASSERT_TRUE(MagnifierOf(s, x, y, p, &c));
        EXPECT_EQ(c.planeName, "YUV"[p]);
        EXPECT_EQ(c.centreX, cx);
        EXPECT_EQ(c.centreY, cy);
        for (int r = 0; r < MAGNIFIER_SPAN; ++r) {
            for (int col = 0; col < MAGNIFIER_SPAN; ++col) {
                const int64_t px = cx + col - 4, py = cy + r - 4;
                const bool inside = px >= 0 && py >= 0 && px < (p ? kW / 2 : kW) && py < (p ? kH / 2 : kH);
                ASSERT_EQ(c.present[r][col], inside) << "plane " << p << " at " << px << ", " << py;
                if (inside) {
                    ASSERT_EQ(c.value[r][col], value(px, py)) << "plane " << p << " at " << px << ", " << py;
                }
            }
        }
    }

    PlayerState s{};
    MemoryFiles files_;
};

TEST_F(MagnifierTest, LumaAndChromaAroundTheSampleUnderTheMouseInsideThePlanes) {
    for (uint32_t bits : {8u, 10u}) {
        SCOPED_TRACE(bits);
        const std::vector<uint8_t> a = Frames(bits, 5);
        Open(bits, a);
        for (uint32_t p = 0; p < 3; ++p) {
            auto plain = [&](int64_t px, int64_t py) { return Plain(a, bits, p, px, py); };
            const int32_t d = p ? 2 : 1, w = kW, h = kH; // d: the chroma sample of a pixel
            Expect(10, 7, p, 10 / d, 7 / d, plain);
            Expect(0, 0, p, 0, 0, plain);                               // top-left corner
            Expect(kW - 1, kH - 1, p, (w - 1) / d, (h - 1) / d, plain); // bottom-right
            Expect(kW - 3, 1, p, (w - 3) / d, 1 / d, plain);            // near the right edge
        }
        MagnifierCells c;
        EXPECT_FALSE(MagnifierOf(s, kW, 0, 0, &c)) << "outside the frame";
        EXPECT_FALSE(MagnifierOf(s, 0, 0, 3, &c)) << "no fourth plane";
    }
}

TEST_F(MagnifierTest, AComparisonShowsTheViewsSamplesAndADifferenceOfFullDepth) {
    const std::vector<uint8_t> a = Frames(10, 5), b = Frames(10, 300);
    files_.Put("b", b);
    Open(10, a);
    CompareWithSequence(s, "b");
    ASSERT_TRUE(ComparisonActive(s));
    for (uint32_t p : {0u, 2u}) {
        Expect(9, 5, p, p ? 4 : 9, p ? 2 : 5, [&](int64_t x, int64_t y) { return Plain(a, 10, p, x, y); });
        PressCompareKey(s, KEY_FLIP_VIEW);
        Expect(9, 5, p, p ? 4 : 9, p ? 2 : 5, [&](int64_t x, int64_t y) { return Plain(b, 10, p, x, y); });
        PressCompareKey(s, KEY_DIFFERENCE_VIEW);
        Expect(9, 5, p, p ? 4 : 9, p ? 2 : 5,
               [&](int64_t x, int64_t y) { return Plain(a, 10, p, x, y) - Plain(b, 10, p, x, y); });
        PressCompareKey(s, KEY_DIFFERENCE_VIEW); // back to A
    }
}

TEST(MagnifierPicture, DigitsToldApartUpTo65535AndBlocksOutsideThePlaneBlank) {
    std::vector<std::vector<uint8_t>> inks;
    for (int32_t v : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, -1, 1023, 65535, 65536, -65535}) {
        uint8_t ink[MAGNIFIER_BLOCK][MAGNIFIER_BLOCK];
        MagnifierBlockInk(v, ink);
        std::vector<uint8_t> flat(&ink[0][0], &ink[0][0] + sizeof ink);
        for (const auto& other : inks) {
            EXPECT_NE(flat, other) << v << " looks like a value before it";
        }
        inks.push_back(flat);
    }
    MagnifierCells cells;
    memset(&cells, 0, sizeof cells);
    cells.present[4][4] = true;
    cells.value[4][4] = 8;
    std::vector<uint32_t> picture(MAGNIFIER_SIDE * MAGNIFIER_SIDE);
    MagnifierPicture(cells, picture.data());
    const int step = MAGNIFIER_BLOCK + 1;
    EXPECT_EQ(picture[(4 * step + 1) * MAGNIFIER_SIDE + 4 * step + 1], uint32_t{MAGNIFIER_PAPER});
    EXPECT_EQ(picture[(4 * step + 8) * MAGNIFIER_SIDE + 4 * step + 8], uint32_t{MAGNIFIER_INK}) << "8's middle";
    EXPECT_EQ(picture[(0 * step + 8) * MAGNIFIER_SIDE + 8 * step + 8], uint32_t{MAGNIFIER_ABSENT});
}

} // namespace
