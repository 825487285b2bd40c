// The dialogs' entry rules, without a window: which message each entry gets,
// in which order the checks come, and where the limits lie.
#include <gtest/gtest.h>

#include "display.h"
#include "option_rules.h"
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

TEST(OpenDialogFailure, ACancelIsSilentAndEveryFailureIsNamed) {
    EXPECT_EQ(OpenDialogFailure(0), nullptr);
    EXPECT_STREQ(OpenDialogFailure(0x3003), "File name too long!");
    EXPECT_STREQ(OpenDialogFailure(0xFFFF), "Open dialog failure!"); // the dialog could not start
}

} // namespace
