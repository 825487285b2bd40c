#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "player_state.h"

namespace {

class PlayerStateTest : public ::testing::Test {
protected:
    PlayerState s{};
    void SetUp() override { ASSERT_TRUE(InitPlayerState(s)); }
    void TearDown() override { ReleasePlayerState(s); }
};

void ExpectPlan(const FramePlan& p, uint32_t frame, uint32_t chroma, uint32_t u, uint32_t v) {
    EXPECT_EQ(p.frameBytes, frame);
    EXPECT_EQ(p.chromaBytes, chroma);
    EXPECT_EQ(p.uOffset, u);
    EXPECT_EQ(p.vOffset, v);
}

TEST_F(PlayerStateTest, StartsFromTheDefaults) {
    EXPECT_EQ(s.framePreset, 1u);
    EXPECT_EQ(s.frameWidth, 176u);
    EXPECT_EQ(s.frameHeight, 144u);
    EXPECT_EQ(s.sequenceType, uint32_t{TYPE_YUV420});
    EXPECT_EQ(s.sequenceHeader, 0u);
    EXPECT_STREQ(s.frameRateText, "30.0");
    EXPECT_EQ(s.frameRate, 30.0);
    EXPECT_EQ(s.timerPeriod, 33u);
    ExpectPlan(s.sequencePlan, 38016, 6336, 25344, 31680);

    EXPECT_EQ(s.imageWidth, 512u);
    EXPECT_EQ(s.imageHeight, 512u);
    EXPECT_EQ(s.imageType, uint32_t{TYPE_GRAY});
    EXPECT_EQ(s.imageHeader, 64u);
    ExpectPlan(s.imagePlan, 262144, 0, 262144, 524288);

    EXPECT_EQ(s.currentFrame, 0u);
    EXPECT_FALSE(s.playing);
    EXPECT_FALSE(s.lumaOnly);
    EXPECT_FALSE(s.sequenceOpened);
    EXPECT_FALSE(s.imageOpened);
    EXPECT_FALSE(SourceOpen(s.openFile));
    EXPECT_STREQ(s.saveFileName, "");

    ASSERT_NE(s.frameBuffer, nullptr);
    ASSERT_NE(s.neutralU, nullptr);
    ASSERT_NE(s.neutralV, nullptr);
    // Writing the whole frame buffer is what ASan checks the size with.
    memset(s.frameBuffer, 0xA5, FRAME_BUFFER_SIZE);
    const std::vector<uint8_t> zeros(NEUTRAL_PLANE_SIZE, 0);
    EXPECT_EQ(memcmp(s.neutralU, zeros.data(), NEUTRAL_PLANE_SIZE), 0);
    EXPECT_EQ(memcmp(s.neutralV, zeros.data(), NEUTRAL_PLANE_SIZE), 0);
}

TEST_F(PlayerStateTest, InitResetsEverySetting) {
    s.frameWidth = 1;
    s.playing = true;
    s.sequencePlan = FramePlan{1, 2, 3, 4};
    strcpy(s.saveFileName, "x.bmp");
    ASSERT_TRUE(InitPlayerState(s));
    EXPECT_EQ(s.frameWidth, 176u);
    EXPECT_FALSE(s.playing);
    ExpectPlan(s.sequencePlan, 38016, 6336, 25344, 31680);
    EXPECT_STREQ(s.saveFileName, "");
}

TEST(FramePlans, EveryTypeAtQcif) {
    ExpectPlan(ComputeFramePlan(176, 144, TYPE_GRAY), 25344, 0, 25344, 50688);
    ExpectPlan(ComputeFramePlan(176, 144, TYPE_YUV444), 76032, 25344, 25344, 50688);
    ExpectPlan(ComputeFramePlan(176, 144, TYPE_YUV422), 50688, 12672, 25344, 38016);
    ExpectPlan(ComputeFramePlan(176, 144, TYPE_YUV411), 38016, 6336, 25344, 31680);
    ExpectPlan(ComputeFramePlan(176, 144, TYPE_YUV420), 38016, 6336, 25344, 31680);
    ExpectPlan(ComputeFramePlan(176, 144, TYPE_RGB), 76032, 0, 25344, 50688);
    ExpectPlan(ComputeFramePlan(176, 144, TYPE_BGR), 76032, 0, 25344, 50688);
}

TEST(FramePlans, LargestFramesFitTheBuffer) {
    EXPECT_EQ(FRAME_BUFFER_SIZE, 6266880);
    EXPECT_EQ(NEUTRAL_PLANE_SIZE, 2088960);
    for (uint32_t type : {TYPE_YUV444, TYPE_RGB, TYPE_BGR}) {
        const FramePlan p = ComputeFramePlan(MAX_FRAME_WIDTH, MAX_FRAME_HEIGHT, type);
        EXPECT_EQ(p.frameBytes, uint32_t{FRAME_BUFFER_SIZE}) << type;
        EXPECT_TRUE(FramePlanFitsBuffer(p)) << type;
    }
    EXPECT_EQ(ComputeFramePlan(1408, 1152, TYPE_YUV444).frameBytes, 4866048u);
}

TEST(FramePlans, OddSizesTruncateAndUnknownTypesAreGray) {
    // p = 25: 3p/2 = 37, p/4 = 6, p/2 = 12.
    ExpectPlan(ComputeFramePlan(5, 5, TYPE_YUV420), 37, 6, 25, 31);
    ExpectPlan(ComputeFramePlan(5, 5, TYPE_YUV411), 37, 6, 25, 31);
    ExpectPlan(ComputeFramePlan(5, 5, TYPE_YUV422), 50, 12, 25, 37);
    ExpectPlan(ComputeFramePlan(0, 144, TYPE_YUV444), 0, 0, 0, 0);
    ExpectPlan(ComputeFramePlan(176, 144, 0), 25344, 0, 25344, 50688);
    ExpectPlan(ComputeFramePlan(176, 144, TYPE_BMP), 25344, 0, 25344, 50688);
}

TEST(FramePlans, HugeSizesSaturateInsteadOfWrapping) {
    // 65536 x 65536 is 2^32 pixels, which 32-bit arithmetic would wrap to an
    // empty frame; every field that passes 32 bits stays at the largest value.
    const FramePlan p = ComputeFramePlan(65536, 65536, TYPE_YUV420);
    EXPECT_EQ(p.frameBytes, 0xFFFFFFFFu);
    EXPECT_EQ(p.chromaBytes, 0x40000000u);
    EXPECT_EQ(p.uOffset, 0xFFFFFFFFu);
    EXPECT_FALSE(FramePlanFitsBuffer(p));
    const FramePlan q = ComputeFramePlan(0xFFFFFFFFu, 0xFFFFFFFFu, TYPE_YUV444);
    ExpectPlan(q, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu);
    // Just past the buffer by one row.
    EXPECT_FALSE(FramePlanFitsBuffer(ComputeFramePlan(MAX_FRAME_WIDTH, MAX_FRAME_HEIGHT + 1, TYPE_RGB)));
}

TEST_F(PlayerStateTest, PresetsSetTheSizeAndThePlan) {
    s.sequenceType = TYPE_YUV422;
    const uint32_t sizes[5][2] = {{128, 96}, {176, 144}, {352, 288}, {704, 576}, {1408, 1152}};
    for (uint32_t preset = 0; preset < 5; ++preset) {
        s.framePreset = preset;
        ApplyFramePreset(s);
        EXPECT_EQ(s.frameWidth, sizes[preset][0]);
        EXPECT_EQ(s.frameHeight, sizes[preset][1]);
        const uint32_t p = sizes[preset][0] * sizes[preset][1];
        ExpectPlan(s.sequencePlan, 2 * p, p / 2, p, p + p / 2);
    }
    const char* labels[FRAME_PRESET_COUNT] = {"SQCIF", "QCIF", "CIF", "4CIF", "16CIF", "Custom"};
    for (int i = 0; i < FRAME_PRESET_COUNT; ++i) {
        EXPECT_STREQ(FramePresets[i].label, labels[i]);
    }
}

TEST_F(PlayerStateTest, CustomPresetKeepsTheStoredSize) {
    s.framePreset = FRAME_PRESET_CUSTOM;
    s.frameWidth = 1920;
    s.frameHeight = 1088;
    s.sequenceType = TYPE_GRAY;
    ApplyFramePreset(s);
    EXPECT_EQ(s.frameWidth, 1920u);
    EXPECT_EQ(s.frameHeight, 1088u);
    ExpectPlan(s.sequencePlan, 2088960, 0, 2088960, 4177920);
    // A preset number out of range is no table index: it acts as custom.
    s.framePreset = 77;
    ApplyFramePreset(s);
    EXPECT_EQ(s.frameWidth, 1920u);
}

TEST_F(PlayerStateTest, ChromaBecomesSignedInPlace) {
    const FramePlan plan = ComputeFramePlan(8, 2, TYPE_YUV420); // Y 16, U 4, V 4
    const uint8_t stored[4] = {0, 127, 128, 255};
    memcpy(s.frameBuffer + plan.uOffset, stored, 4);
    memcpy(s.frameBuffer + plan.vOffset, stored, 4);
    ASSERT_TRUE(MakeChromaSigned(s, plan));
    const int8_t expected[4] = {-128, -1, 0, 127};
    EXPECT_EQ(memcmp(s.frameBuffer + plan.uOffset, expected, 4), 0);
    EXPECT_EQ(memcmp(s.frameBuffer + plan.vOffset, expected, 4), 0);

    // Lengths that are not a multiple of the word size, all 256 values, and
    // the bytes around the planes left alone.
    for (uint32_t chroma : {1u, 3u, 5u, 7u, 256u, 259u}) {
        const FramePlan p{10 + 2 * chroma, chroma, 10, 10 + chroma};
        for (uint32_t i = 0; i < p.frameBytes + 8; ++i) {
            s.frameBuffer[i] = static_cast<uint8_t>(i * 37 + 5);
        }
        ASSERT_TRUE(MakeChromaSigned(s, p));
        for (uint32_t i = 0; i < p.frameBytes + 8; ++i) {
            const int original = static_cast<uint8_t>(i * 37 + 5);
            const bool colour = i >= p.uOffset && i < p.frameBytes;
            const int want = colour ? original - 128 : original;
            const int got = colour ? static_cast<int8_t>(s.frameBuffer[i]) : s.frameBuffer[i];
            ASSERT_EQ(got, want) << "chroma " << chroma << " byte " << i;
        }
    }
}

TEST_F(PlayerStateTest, ChromaOfTheLargestFramesAndOfPlansOutsideTheBuffer) {
    // The whole 4:4:4 frame of 1920 x 1088: both planes end at the buffer's end.
    const FramePlan full = ComputeFramePlan(MAX_FRAME_WIDTH, MAX_FRAME_HEIGHT, TYPE_YUV444);
    memset(s.frameBuffer, 0x80, FRAME_BUFFER_SIZE);
    ASSERT_TRUE(MakeChromaSigned(s, full));
    EXPECT_EQ(s.frameBuffer[full.uOffset - 1], 0x80);
    EXPECT_EQ(s.frameBuffer[full.uOffset], 0);
    EXPECT_EQ(s.frameBuffer[FRAME_BUFFER_SIZE - 1], 0);

    // Plans that would reach past the buffer change nothing.
    memset(s.frameBuffer, 0x80, FRAME_BUFFER_SIZE);
    const FramePlan outside[] = {
        ComputeFramePlan(MAX_FRAME_WIDTH, MAX_FRAME_HEIGHT + 1, TYPE_YUV444),
        FramePlan{16, 8, FRAME_BUFFER_SIZE - 4, 0},
        FramePlan{16, 8, 0, 0xFFFFFFFCu},
    };
    for (const FramePlan& p : outside) {
        EXPECT_FALSE(MakeChromaSigned(s, p));
    }
    EXPECT_EQ(s.frameBuffer[0], 0x80);
    EXPECT_EQ(s.frameBuffer[FRAME_BUFFER_SIZE - 1], 0x80);
}

// An allocator that fails from the n-th call on.
int allocationsLeft;
void* FailingAllocator(size_t size) {
    if (allocationsLeft-- <= 0) {
        return nullptr;
    }
    return malloc(size);
}

TEST(PlayerStateInit, FailsWithNoBufferHeldWhenAnyBufferIsMissing) {
    PlayerState s{};
    void* (*const saved)(size_t) = PlayerBufferAllocator;
    PlayerBufferAllocator = FailingAllocator;
    for (int succeed = 0; succeed < 3; ++succeed) {
        allocationsLeft = succeed;
        EXPECT_FALSE(InitPlayerState(s)) << succeed;
        // What was obtained is released (the leak checker of the sanitizer
        // tree sees the rest).
        EXPECT_EQ(s.frameBuffer, nullptr);
        EXPECT_EQ(s.neutralU, nullptr);
        EXPECT_EQ(s.neutralV, nullptr);
        EXPECT_FALSE(MakeChromaSigned(s, s.sequencePlan));
        ReleasePlayerState(s);
    }
    allocationsLeft = 3;
    EXPECT_TRUE(InitPlayerState(s));
    PlayerBufferAllocator = saved;
    ReleasePlayerState(s);
    ReleasePlayerState(s);
}

} // namespace
