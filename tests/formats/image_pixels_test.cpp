// One pixel of a stored image read as red, green and blue, against the
// decoding ImageMagick and Pillow gave of the bitmap files they wrote (the
// test runs in their folder), and at the edges of an image.
#include <gtest/gtest.h>

#include <vector>

#include "bmp_file.h"
#include "bmp_headers.h"
#include "image_pixels.h"
#include "test_support.h"

namespace {

TEST(StoredImagePixel, EveryPixelOfTheToolsFilesAsTheToolsDecodeThem) {
    int compared = 0;
    for (const ToolFile& t : ToolFileManifest()) {
        if (t.kind != "show") {
            continue;
        }
        SCOPED_TRACE(t.name + " " + t.label);
        const std::vector<uint8_t> file = ReadWholeFile(t.name), rgb = ReadWholeFile(t.decoding);
        BmpFileLayout layout;
        ASSERT_EQ(AnalyseBmpFile(file.data(), file.size(), &layout), int{BMP_SHOWABLE});
        GuardedBuffer image(layout.storedLength);
        StoreBmpImage(file.data(), &layout, image.data());
        ASSERT_EQ(rgb.size(), size_t{3} * t.w * t.h);
        size_t differ = 0;
        for (int y = 0; y < t.h; ++y) {
            for (int x = 0; x < t.w; ++x) {
                uint8_t p[3];
                ASSERT_TRUE(StoredImagePixel(image.data(), uint32_t(image.size()), x, y, p));
                const uint8_t* want = &rgb[3 * (size_t(y) * t.w + x)];
                differ += p[0] != want[0] || p[1] != want[1] || p[2] != want[2];
            }
        }
        EXPECT_EQ(differ, 0u);
        ++compared;
    }
    EXPECT_GE(compared, 20) << "manifest.txt not found: the test runs in the folder of the files";
}

TEST(StoredImagePixel, OutsideTheImageOrItsBufferNothingIsRead) {
    GuardedBuffer image(54 + 3 * 4 * 2);
    WriteBmpHeaders(image.data(), 4, 2, 24);
    for (size_t i = 54; i < image.size(); ++i) {
        image.data()[i] = uint8_t(i);
    }
    uint8_t p[3];
    ASSERT_TRUE(StoredImagePixel(image.data(), uint32_t(image.size()), 3, 0, p)); // top row: stored last
    EXPECT_EQ(p[2], uint8_t(54 + 12 + 9));
    EXPECT_FALSE(StoredImagePixel(image.data(), uint32_t(image.size()), 4, 0, p));
    EXPECT_FALSE(StoredImagePixel(image.data(), uint32_t(image.size()), 0, 2, p));
    EXPECT_FALSE(StoredImagePixel(image.data(), uint32_t(image.size()) - 1, 0, 0, p));
    EXPECT_FALSE(StoredImagePixel(nullptr, 0, 0, 0, p));
}

} // namespace
