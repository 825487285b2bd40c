#include <gtest/gtest.h>
#include <string.h>

#include <vector>

#include "bmp_headers.h"
#include "display.h"
#include "image_checks.h"

namespace {

std::vector<uint8_t> MmpFile(uint32_t width, uint32_t height, size_t groups) {
    std::vector<uint8_t> file(16 + 6 * groups, 0x11);
    file[12] = uint8_t(width);
    file[13] = uint8_t(width >> 8);
    file[14] = uint8_t(height);
    file[15] = uint8_t(height >> 8);
    return file;
}

const char* Check(int kind, const std::vector<uint8_t>& file) {
    return CheckWholeImageFile(kind, file.data(), uint32_t(file.size()));
}

TEST(CheckWholeImageFile, MmpNeedsEveryGroupAndSomePixels) {
    EXPECT_EQ(Check(TYPE_MMP, MmpFile(64, 48, 16 * 48)), nullptr);
    std::vector<uint8_t> cut = MmpFile(64, 48, 16 * 48);
    cut.pop_back();
    EXPECT_STREQ(Check(TYPE_MMP, cut), "MMP file too short!");
    EXPECT_STREQ(Check(TYPE_MMP, std::vector<uint8_t>(15, 0)), "MMP file too short!");
    // 65535 x 65535 would need about 6.4 GB of groups.
    EXPECT_STREQ(Check(TYPE_MMP, MmpFile(65535, 65535, 10)), "MMP file too short!");

    // Complete files: any width paints; no pixels at all is refused.
    EXPECT_EQ(Check(TYPE_MMP, MmpFile(30, 20, 8 * 20)), nullptr);
    EXPECT_STREQ(Check(TYPE_MMP, MmpFile(0, 20, 0)), "Empty MMP image!");
    EXPECT_STREQ(Check(TYPE_MMP, MmpFile(64, 0, 0)), "Empty MMP image!");
}

TEST(CheckWholeImageFile, BitmapVerdictsBecomeMessages) {
    std::vector<uint8_t> bmp(54 + 3 * 4 * 2, 0);
    WriteBmpHeaders(bmp.data(), 4, 2, 24);
    EXPECT_EQ(Check(TYPE_BMP, bmp), nullptr);
    std::vector<uint8_t> cut(bmp.begin(), bmp.end() - 1);
    EXPECT_STREQ(Check(TYPE_BMP, cut), "Bitmap file too short!");
    bmp[0] = 'X';
    EXPECT_STREQ(Check(TYPE_BMP, bmp), "Unsupported bitmap file!");

    // RLE8, 4 x 2, its stream a run of 255 pixels.
    std::vector<uint8_t> rle(1078 + 4, 0);
    WriteBmpHeaders(rle.data(), 4, 2, 8);
    rle[30] = 1;
    rle[1078] = 255;
    EXPECT_STREQ(Check(TYPE_BMP, rle), "Bitmap file damaged!");
    rle[1078] = 4;
    rle[1081] = 1; // 4 pixels, then the end of bitmap
    EXPECT_EQ(Check(TYPE_BMP, rle), nullptr);
}

} // namespace
