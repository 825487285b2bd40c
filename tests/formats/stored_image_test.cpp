#include <gtest/gtest.h>
#include <string.h>

#include <vector>

#include "bmp_headers.h"
#include "stored_image.h"

namespace {

std::vector<uint8_t> Image(uint32_t w, uint32_t h, uint32_t bits, size_t size) {
    std::vector<uint8_t> image(size, 0);
    WriteBmpHeaders(image.data(), w, h, bits);
    return image;
}

void SetField32(std::vector<uint8_t>& image, size_t offset, uint32_t value) {
    memcpy(image.data() + offset, &value, 4);
}

TEST(StoredImage, FitsExactlyWhenRowsNeedNoPadding) {
    std::vector<uint8_t> image = Image(176, 144, 24, 76086);
    EXPECT_EQ(StoredImageFits(image.data(), 76086), 1);
    EXPECT_EQ(StoredImageFits(image.data(), 76085), 0);
    std::vector<uint8_t> gray = Image(176, 144, 8, 26422);
    EXPECT_EQ(StoredImageFits(gray.data(), 26422), 1);
    EXPECT_EQ(StoredImageFits(gray.data(), 26421), 0);
}

TEST(StoredImage, PaddedRowsAreCountedAsThePlatformReadsThem) {
    // 6 x 2 at 24 bits: unpadded rows of 18 bytes make 90 bytes; the platform
    // reads rows of 20, so 94 are needed.
    std::vector<uint8_t> image = Image(6, 2, 24, 94);
    EXPECT_EQ(StoredImageFits(image.data(), 90), 0);
    EXPECT_EQ(StoredImageFits(image.data(), 94), 1);
}

TEST(StoredImage, RefusesHeadersItCannotDraw) {
    std::vector<uint8_t> good = Image(8, 2, 24, 102);
    ASSERT_EQ(StoredImageFits(good.data(), 102), 1);
    EXPECT_EQ(StoredImageFits(good.data(), 53), 0);
    EXPECT_EQ(StoredImageFits(nullptr, 102), 0);

    std::vector<uint8_t> image = good;
    image[1] = 'A'; // "BA"
    EXPECT_EQ(StoredImageFits(image.data(), 102), 0);
    image = good;
    SetField32(image, 14, 108); // biSize
    EXPECT_EQ(StoredImageFits(image.data(), 102), 0);
    image = good;
    SetField32(image, 22, uint32_t(-2)); // top-down rows
    EXPECT_EQ(StoredImageFits(image.data(), 102), 0);
    image = good;
    SetField32(image, 30, 1); // run-length compressed
    EXPECT_EQ(StoredImageFits(image.data(), 102), 0);
    image = good;
    image[28] = 0; // bit count 0
    EXPECT_EQ(StoredImageFits(image.data(), 102), 0);
}

TEST(StoredImage, OffsetsAndColourCountsCannotReachPastTheBuffer) {
    std::vector<uint8_t> image = Image(8, 2, 24, 102);
    SetField32(image, 10, 0xFFFFFFF0u); // bfOffBits near 4 GB: no 32-bit wrap
    EXPECT_EQ(StoredImageFits(image.data(), 102), 0);
    image = Image(8, 2, 8, 1078 + 16);
    ASSERT_EQ(StoredImageFits(image.data(), 1094), 1);
    SetField32(image, 46, 0x40000001u); // biClrUsed: 4 x count wraps 32 bits
    EXPECT_EQ(StoredImageFits(image.data(), 1094), 0);
    SetField32(image, 46, 300); // a table longer than the buffer
    EXPECT_EQ(StoredImageFits(image.data(), 1094), 0);
}

} // namespace
