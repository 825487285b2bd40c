// The bitmap "Save frame as bitmap..." writes: its length, and a picture of
// the frame's own colours for every sequence type, whatever the view.
#include <gtest/gtest.h>
#include <string.h>

#include <random>
#include <vector>

#include "bmp_headers.h"
#include "conversion_tables.h"
#include "display.h"
#include "frame_bitmap.h"
#include "player_state.h"
#include "test_support.h"

namespace {

class FrameBitmapTest : public ::testing::Test {
protected:
    PlayerState s{};
    void SetUp() override {
        BuildConversionTables();
        ASSERT_TRUE(InitPlayerState(s));
    }
    void TearDown() override { ReleasePlayerState(s); }
};

TEST_F(FrameBitmapTest, QcifLengths) {
    EXPECT_EQ(FrameBitmapBytes(s), 76086u); // the default 4:2:0 QCIF
    s.sequenceType = TYPE_GRAY;
    EXPECT_EQ(FrameBitmapBytes(s), 26422u);
}

// Written into a buffer of exactly FrameBitmapBytes(s): gray as the library's
// gray converter writes it; RGB and BGR reordered and YUV with the stored
// chroma made signed, as computed here. The Y-only view is on.
TEST_F(FrameBitmapTest, EveryTypeGivesTheFramesOwnColours) {
    std::mt19937 rng(6);
    const uint32_t w = 8, h = 4;
    for (uint32_t type : {TYPE_GRAY, TYPE_YUV444, TYPE_YUV422, TYPE_YUV411, TYPE_YUV420, TYPE_RGB, TYPE_BGR}) {
        SCOPED_TRACE(type);
        s.frameWidth = w;
        s.frameHeight = h;
        s.sequenceType = type;
        s.sequencePlan = ComputeFramePlan(w, h, type);
        s.lumaOnly = true;
        const uint32_t frameBytes = s.sequencePlan.frameBytes;
        FillRandom(s.frameBuffer, frameBytes, rng);
        const std::vector<uint8_t> frame(s.frameBuffer, s.frameBuffer + frameBytes);

        GuardedBuffer image(FrameBitmapBytes(s));
        BuildFrameBitmap(s, image.data());

        std::vector<uint8_t> expected(image.size());
        WriteBmpHeaders(expected.data(), w, h, 24);
        if (type == TYPE_GRAY) {
            ConvertRaw2Bitmap(w, h, frame.data(), expected.data());
        } else if (type == TYPE_RGB || type == TYPE_BGR) {
            for (uint32_t i = 0; i < w * h; ++i) {
                const uint8_t* in = &frame[3 * i];
                uint8_t* out = &expected[54 + 3 * ((h - 1 - i / w) * w + i % w)];
                out[0] = type == TYPE_RGB ? in[2] : in[0];
                out[1] = in[1];
                out[2] = type == TYPE_RGB ? in[0] : in[2];
            }
        } else {
            std::vector<int8_t> chroma(frameBytes - w * h);
            for (size_t i = 0; i < chroma.size(); ++i) {
                chroma[i] = static_cast<int8_t>(frame[w * h + i] ^ 0x80);
            }
            ReferencePixelRows(type, w, h, frame.data(), chroma.data(),
                               chroma.data() + s.sequencePlan.chromaBytes, &expected[54]);
        }
        EXPECT_EQ(std::vector<uint8_t>(image.data(), image.data() + image.size()), expected);
    }
}

// With a colour matrix chosen, a saved frame holds that matrix's colours,
// as the window shows them.
TEST_F(FrameBitmapTest, ASavedFrameHoldsTheChosenMatrixsColours) {
    std::mt19937 rng(7);
    FillRandom(s.frameBuffer, s.sequencePlan.frameBytes, rng);
    const std::vector<uint8_t> frame(s.frameBuffer, s.frameBuffer + s.sequencePlan.frameBytes);
    s.colourMatrix = MATRIX_BT709_LIMITED;
    GuardedBuffer image(FrameBitmapBytes(s));
    BuildFrameBitmap(s, image.data());

    std::vector<uint8_t> planes = frame;
    SignChroma(planes.data(), s.sequencePlan);
    const int8_t* chroma = reinterpret_cast<const int8_t*>(planes.data());
    std::vector<uint8_t> expected(image.size()), library(image.size());
    ConvertYUV2BitmapMatrix(TYPE_YUV420, 176, 144, planes.data(), chroma + s.sequencePlan.uOffset,
                            chroma + s.sequencePlan.vOffset, MATRIX_BT709_LIMITED, expected.data());
    ConvertYUV2Bitmap(TYPE_YUV420, 176, 144, planes.data(), chroma + s.sequencePlan.uOffset,
                      chroma + s.sequencePlan.vOffset, library.data());
    EXPECT_EQ(std::vector<uint8_t>(image.data(), image.data() + image.size()), expected);
    EXPECT_NE(expected, library);
}

} // namespace
