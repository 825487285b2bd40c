// The dialogs' entry rules, without a window: which message each entry gets,
// in which order the checks come, where the limits lie, and what each OK
// writes before it stops at a refused entry.
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "display.h"
#include "option_rules.h"
#include "player_state.h"
#include "resource.h"

namespace {

TEST(SizeEntry, EachRuleAtItsLimitAndInItsOrder) {
    for (const SizeMessages* m : {&FrameSizeMessages, &ImageSizeMessages}) {
        struct {
            bool haveWidth;
            uint32_t width;
            bool haveHeight;
            uint32_t height;
            const char* message;
        } cases[] = {
            {true, 1920, true, 1088, nullptr},
            {true, 4, true, 1, nullptr},
            {false, 0, true, 144, m->missing},
            {true, 1921, false, 0, m->missing}, // an empty field comes first
            {true, 1921, true, 1088, m->tooLarge},
            {true, 1920, true, 1089, m->tooLarge},
            {true, 0, true, 2000, m->tooLarge}, // too large before zero
            {true, 0, true, 144, m->zero},
            {true, 176, true, 0, m->zero},
            {true, 0, true, 0, m->zero},
            {true, 174, true, 144, m->notGroups},
            {true, 1918, true, 1088, m->notGroups},
        };
        for (const auto& c : cases) {
            EXPECT_EQ(CheckSizeEntry(c.haveWidth, c.width, c.haveHeight, c.height, *m), c.message)
                << c.width << " x " << c.height << ", " << m->missing;
        }
    }
    EXPECT_STREQ(FrameSizeMessages.notGroups, "Frame width must be a multiple of 4!");
    EXPECT_STREQ(ImageSizeMessages.zero, "Image size must not be zero!");
}

// Which rates are usable is tested with the frame rate; here, only which
// message each kind of entry gets.
TEST(FrameRateEntry, EmptyThenUnusable) {
    EXPECT_STREQ(CheckFrameRateEntry(""), "Input sequence frame rate!");
    EXPECT_STREQ(CheckFrameRateEntry(nullptr), "Input sequence frame rate!");
    EXPECT_STREQ(CheckFrameRateEntry("0"), "Invalid sequence frame rate!");
    EXPECT_EQ(CheckFrameRateEntry("30.0"), nullptr);
}

TEST(TypeRadios, GrayFirstThenTheCodesInOrder) {
    EXPECT_EQ(TypeForRadio(IDC_TYPE_GRAY), uint32_t{TYPE_GRAY});
    EXPECT_EQ(TypeForRadio(IDC_TYPE_YUV420), uint32_t{TYPE_YUV420});
    EXPECT_EQ(TypeForRadio(IDC_TYPE_BGR), uint32_t{TYPE_BGR});
    for (int radio = IDC_TYPE_GRAY; radio <= IDC_TYPE_BGR; ++radio) {
        EXPECT_EQ(RadioForType(TypeForRadio(radio)), radio);
    }
}

const NumberEntry kEmpty = {false, 0};
NumberEntry Number(uint32_t value) { return NumberEntry{true, value}; }

class DialogOkTest : public ::testing::Test {
protected:
    PlayerState s{};
    void SetUp() override { ASSERT_TRUE(InitPlayerState(s)); }
    void TearDown() override { ReleasePlayerState(s); }
};

void ExpectVerdict(const DialogVerdict& v, const char* message, int field) {
    if (!message) {
        EXPECT_EQ(v.message, nullptr) << v.message;
        return;
    }
    EXPECT_STREQ(v.message, message);
    EXPECT_EQ(v.field, field) << message;
}

TEST_F(DialogOkTest, FrameOptionsStoresThePresetFirst) {
    struct {
        uint32_t preset;
        NumberEntry width, height;
        const char* message;
        int field;
        uint32_t w, h; // the stored size afterwards
    } cases[] = {
        {1, kEmpty, kEmpty, nullptr, 0, 176, 144}, // a preset ignores the fields
        {5, Number(352), Number(288), nullptr, 0, 352, 288},
        {5, kEmpty, kEmpty, "Input frame size!", IDC_CUSTOM_WIDTH, 176, 144},
        {5, Number(2000), kEmpty, "Input frame size!", IDC_CUSTOM_HEIGHT, 176, 144},
        {5, Number(1921), Number(1088), "Frame size too large!", IDC_CUSTOM_HEIGHT, 176, 144},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(InitPlayerState(s));
        ExpectVerdict(FrameOptionsOk(s, c.preset, c.width, c.height), c.message, c.field);
        EXPECT_EQ(s.framePreset, c.preset) << "stored even when refused";
        EXPECT_EQ(s.frameWidth, c.w);
        EXPECT_EQ(s.frameHeight, c.h);
    }
}

TEST_F(DialogOkTest, ImageOptionStoresTypeThenSizeThenHeader) {
    struct {
        NumberEntry width, height, header;
        const char* message;
        int field;
        uint32_t w, h, headerAfter;
    } cases[] = {
        {Number(176), Number(144), Number(0), nullptr, 0, 176, 144, 0},
        {kEmpty, Number(144), Number(0), "Input image size!", IDC_IMAGE_WIDTH, 512, 512, 64},
        {Number(176), Number(1089), Number(0), "Image size too large!", IDC_IMAGE_HEIGHT, 512, 512, 64},
        // The size is stored before the header is refused.
        {Number(176), Number(144), kEmpty, "Input image header size!", IDC_IMAGE_HEADER, 176, 144, 64},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(InitPlayerState(s));
        ExpectVerdict(ImageOptionOk(s, TYPE_YUV422, c.width, c.height, c.header), c.message, c.field);
        EXPECT_EQ(s.imageType, uint32_t{TYPE_YUV422});
        EXPECT_EQ(s.imageWidth, c.w);
        EXPECT_EQ(s.imageHeight, c.h);
        EXPECT_EQ(s.imageHeader, c.headerAfter);
        EXPECT_EQ(s.imagePlan.frameBytes, 512u * 512) << "the plan waits for the command";
    }
}

TEST_F(DialogOkTest, SequenceOptionStoresTypeThenHeaderThenRate) {
    struct {
        NumberEntry header;
        const char* rate;
        const char* message;
        int field;
        uint32_t headerAfter;
        const char* rateAfter;
    } cases[] = {
        {Number(100), "12.5", nullptr, 0, 100, "12.5"},
        {kEmpty, "12.5", "Input sequence header size!", IDC_SEQUENCE_HEADER, 0, "30.0"},
        {Number(100), "", "Input sequence frame rate!", IDC_FRAME_RATE, 100, "30.0"},
        {Number(100), "abc", "Invalid sequence frame rate!", IDC_FRAME_RATE, 100, "30.0"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(InitPlayerState(s));
        ExpectVerdict(SequenceOptionOk(s, SequenceLayout{TYPE_GRAY, 12, PACKING_PLANAR}, c.header, c.rate),
                      c.message, c.field);
        EXPECT_EQ(s.sequenceType, uint32_t{TYPE_GRAY});
        EXPECT_EQ(s.sequenceBits, 12u);
        EXPECT_EQ(s.sequenceHeader, c.headerAfter);
        EXPECT_STREQ(s.frameRateText, c.rateAfter);
        EXPECT_EQ(s.sequencePlan.frameBytes, 176u * 144 * 3 / 2) << "the plan waits for the command";
    }
}

TEST_F(DialogOkTest, FrameNumberAndFileName) {
    s.currentFrame = 7;
    ExpectVerdict(FrameNumberOk(s, kEmpty), "Input frame number!", IDC_FRAME_NUMBER);
    EXPECT_EQ(s.currentFrame, 7u);
    ExpectVerdict(FrameNumberOk(s, Number(3)), nullptr, 0);
    EXPECT_EQ(s.currentFrame, 3u);

    ExpectVerdict(SaveFrameOk(s, kEmpty, "a.raw"), "Input frame number!", IDC_FRAME_NUMBER);
    EXPECT_STREQ(s.saveFileName, "");
    // The number is stored before the empty name is refused.
    ExpectVerdict(SaveFrameOk(s, Number(5), ""), "Input file name!", IDC_SAVE_FILE_NAME);
    EXPECT_EQ(s.currentFrame, 5u);
    ExpectVerdict(SaveFrameOk(s, Number(6), "C:\\frames\\six.raw"), nullptr, 0);
    EXPECT_STREQ(s.saveFileName, "C:\\frames\\six.raw");
    // At most the field's 1023 characters are kept.
    const std::string longName(2000, 'n');
    ExpectVerdict(SaveFrameOk(s, Number(6), longName.c_str()), nullptr, 0);
    EXPECT_EQ(strlen(s.saveFileName), size_t{SAVE_FILE_NAME_MAX});
}

TEST(OpenDialogFailure, ACancelIsSilentAndEveryFailureIsNamed) {
    EXPECT_EQ(OpenDialogFailure(0), nullptr);
    EXPECT_STREQ(OpenDialogFailure(0x3003), "File name too long!");
    EXPECT_STREQ(OpenDialogFailure(0xFFFF), "Open dialog failure!"); // the dialog could not start
}

} // namespace
