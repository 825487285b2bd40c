#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "bmp_headers.h"

namespace {

struct HeaderCase {
    uint32_t width, height, bits;
    uint32_t size, offBits;
    int32_t storedWidth, storedHeight;
    uint16_t storedBits;
};

class BmpHeaders : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(BmpHeaders, FieldsFollowTheSizeRule) {
    const HeaderCase& c = GetParam();
    BmpFileHeader fh;
    BmpInfoHeader ih;
    memset(&fh, 0xCC, sizeof fh);
    memset(&ih, 0xCC, sizeof ih);
    BuildBmpHeaders(&fh, &ih, c.width, c.height, c.bits);

    EXPECT_EQ(fh.bfType, 0x4D42);
    EXPECT_EQ(uint32_t{fh.bfSize}, c.size); // copies: the packed fields are unaligned
    EXPECT_EQ(fh.bfReserved1, 0);
    EXPECT_EQ(fh.bfReserved2, 0);
    EXPECT_EQ(uint32_t{fh.bfOffBits}, c.offBits);
    EXPECT_EQ(ih.biSize, 40u);
    EXPECT_EQ(ih.biWidth, c.storedWidth);
    EXPECT_EQ(ih.biHeight, c.storedHeight);
    EXPECT_EQ(ih.biPlanes, 1);
    EXPECT_EQ(ih.biBitCount, c.storedBits);
    EXPECT_EQ(ih.biCompression, 0u);
    EXPECT_EQ(ih.biSizeImage, 0u);
    EXPECT_EQ(ih.biXPelsPerMeter, 2835);
    EXPECT_EQ(ih.biYPelsPerMeter, 2835);
    EXPECT_EQ(ih.biClrUsed, 0u);
    EXPECT_EQ(ih.biClrImportant, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, BmpHeaders,
    ::testing::Values(HeaderCase{176, 144, 24, 76086, 54, 176, 144, 24},
                      HeaderCase{176, 144, 8, 26422, 1078, 176, 144, 8},
                      HeaderCase{352, 288, 24, 304182, 54, 352, 288, 24},
                      HeaderCase{0, 144, 24, 54, 54, 0, 144, 24}, HeaderCase{176, 0, 8, 1078, 1078, 176, 0, 8},
                      // 15 bits truncate to one byte.
                      HeaderCase{5, 3, 1, 63, 62, 5, 3, 1}, HeaderCase{5, 3, 4, 125, 118, 5, 3, 4},
                      // Only the low 16 bits of a size and 8 bits of the bit count count.
                      HeaderCase{65536 + 176, 144, 24 + 256, 76086, 54, 176, 144, 24},
                      HeaderCase{176, 0x7FFF0000u + 144, 24, 76086, 54, 176, 144, 24}),
    [](const ::testing::TestParamInfo<HeaderCase>& p) {
        return std::to_string(p.index) + "_" + std::to_string(p.param.width) + "x" +
               std::to_string(p.param.height) + "x" + std::to_string(p.param.bits);
    });

TEST(BmpHeaderBytes, AreThePackedLittleEndianLayout) {
    uint8_t image[64];
    memset(image, 0xEE, sizeof image);
    WriteBmpHeaders(image, 6, 2, 24);
    // clang-format off
    const uint8_t expected[54] = {
        'B', 'M', 90, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,           // file header
        40, 0, 0, 0, 6, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0,         // size, width, height, planes, bits
        0, 0, 0, 0, 0, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, // compression, image size, 2835 x 2
        0, 0, 0, 0, 0, 0, 0, 0};
    // clang-format on
    EXPECT_EQ(memcmp(image, expected, 54), 0);
    // Nothing past the headers is touched.
    for (size_t i = 54; i < sizeof image; ++i) {
        EXPECT_EQ(image[i], 0xEE) << i;
    }
}

} // namespace
