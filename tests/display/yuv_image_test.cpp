// Building a window's image from YUV planes, at its own size and at double
// size; the double-size pixels are checked against the 9/3/3/1 rule computed
// sample by sample (test_support), then the per-pixel reference conversion.
#include <string.h>

#include <vector>

#include "bmp_headers.h"
#include "chroma_geometry.h"
#include "display.h"
#include "store_fixture.h"
#include "test_support.h"
#include "yuv_image.h"

namespace {

const uint32_t kYuvCodes[] = {TYPE_YUV444, TYPE_YUV422, TYPE_YUV411, TYPE_YUV420};

struct Planes {
    GuardedBuffer y, u, v;
    Planes(uint32_t code, uint32_t w, uint32_t h, std::mt19937& rng)
        : y(size_t(w) * h), u(ChromaPlaneBytes(code, w, h)), v(ChromaPlaneBytes(code, w, h)) {
        FillRandom(y.data(), y.size(), rng);
        FillRandom(u.data(), u.size(), rng);
        FillRandom(v.data(), v.size(), rng);
    }
};

using YuvImageTest = StoreTest;

TEST_F(YuvImageTest, DoubleSizeOfEveryCodeMatchesTheIndependentComputation) {
    std::mt19937 rng(5);
    const uint32_t sizes[][2] = {{8, 4}, {176, 144}};
    for (uint32_t code : kYuvCodes) {
        for (const auto& size : sizes) {
            const uint32_t w = size[0], h = size[1];
            Planes p(code, w, h, rng);
            const HWND window = FakeWindow(int(code));
            ImageShown = 0;
            const uint8_t* image =
                BuildDoubleSizeYuvImage(window, code, w, h, p.y.data(), p.u.signedData(), p.v.signedData());
            ASSERT_NE(image, nullptr) << code << " " << w << "x" << h;
            EXPECT_EQ(ImageShown, 1u);
            EXPECT_EQ(image, GetBitmap(window));
            EXPECT_GE(GetBitmapSize(window), 54 + 12 * w * h);
            const std::vector<uint8_t> expected =
                ReferenceDoubleSizeImage(code, w, h, p.y.data(), p.u.signedData(), p.v.signedData());
            EXPECT_TRUE(memcmp(image, expected.data(), expected.size()) == 0) << code << " " << w << "x" << h;
        }
    }
}

TEST_F(YuvImageTest, DoubleSizeRefusesWhatItCannotServe) {
    std::mt19937 rng(3);
    struct Case {
        uint32_t code, w, h;
        bool served;
    };
    const Case cases[] = {
        {TYPE_YUV444, 0, 4, false},       {TYPE_YUV444, 4, 0, false},
        {TYPE_YUV444, 1, 4, false},       {TYPE_YUV444, 4, 1, false},
        {TYPE_YUV444, 2, 2, true},        {TYPE_YUV422, 2, 4, false}, // chroma 1 wide
        {TYPE_YUV422, 4, 2, true},        {TYPE_YUV411, 4, 4, false}, // chroma 1 wide
        {TYPE_YUV411, 8, 2, true},        {TYPE_YUV420, 4, 2, false}, // chroma 1 high
        {TYPE_YUV420, 4, 4, true},        {TYPE_GRAY, 2, 2, true},    // luma only
        {TYPE_YUV420, 1920, 1088, false}, // enlarged planes would overflow the scratch planes
        {TYPE_YUV420, 1920, 1080, true},  {TYPE_GRAY, 32768, 2, false}, // doubled width beyond 16 bits
    };
    for (const Case& c : cases) {
        Planes p(c.code, c.w, c.h, rng);
        const HWND window = FakeWindow(0);
        ImageShown = 0;
        const int allocations = alloc.allocations;
        const uint8_t* image =
            BuildDoubleSizeYuvImage(window, c.code, c.w, c.h, p.y.data(), p.u.signedData(), p.v.signedData());
        EXPECT_EQ(image != nullptr, c.served) << c.code << " " << c.w << "x" << c.h;
        EXPECT_EQ(ImageShown, c.served ? 1u : 0u);
        if (!c.served) {
            EXPECT_EQ(alloc.allocations, allocations) << "nothing requested";
        } else {
            EXPECT_GE(GetBitmapSize(window), 54 + 12 * c.w * c.h);
        }
    }
}

TEST_F(YuvImageTest, DoubleSizeOfAnotherTypeLeavesTheChromaPlanesAlone) {
    std::mt19937 rng(9);
    Planes p(TYPE_YUV444, 4, 2, rng);
    memset(ScratchPlanes.cb, 0x11, 64);
    memset(ScratchPlanes.cr, 0x22, 64);
    const uint8_t* image =
        BuildDoubleSizeYuvImage(FakeWindow(1), TYPE_RGB, 4, 2, p.y.data(), p.u.signedData(), p.v.signedData());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(ScratchPlanes.cb[63], 0x11);
    EXPECT_EQ(ScratchPlanes.cr[0], 0x22);
    const std::vector<int> luma = ReferenceEnlarge(p.y.data(), 4, 2);
    EXPECT_EQ(std::vector<int>(ScratchPlanes.luma, ScratchPlanes.luma + luma.size()), luma);
    uint8_t headers[54];
    WriteBmpHeaders(headers, 8, 4, 24);
    EXPECT_TRUE(memcmp(image, headers, 54) == 0);
}

TEST_F(YuvImageTest, NormalSizeConvertsIntoTheWindowsBuffer) {
    std::mt19937 rng(4);
    const uint32_t w = 16, h = 6;
    Planes p(TYPE_YUV422, w, h, rng);
    std::vector<uint8_t> expected(54 + 3 * w * h);
    ConvertYUV2Bitmap(TYPE_YUV422, w, h, p.y.data(), p.u.signedData(), p.v.signedData(), expected.data());
    // High bits of the sizes and the type are ignored.
    const uint8_t* image = BuildYuvImage(FakeWindow(2), 0x7700 + TYPE_YUV422, 0x10000 + w, 0x30000 + h,
                                         p.y.data(), p.u.signedData(), p.v.signedData());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(GetBitmapSize(FakeWindow(2)), expected.size());
    EXPECT_TRUE(memcmp(image, expected.data(), expected.size()) == 0);
    EXPECT_EQ(ImageShown, 1u);
}

TEST_F(YuvImageTest, LengthsBeyond32BitsAreRefusedUnrequested) {
    alloc.failAbove = 1u << 20; // never really allocate gigabytes
    const uint8_t y = 0;
    const int8_t c = 0;
    // 3 x 65535 x 21845 + 54 = 4,294,836,279 still fits: requested exactly.
    EXPECT_EQ(BuildYuvImage(FakeWindow(0), TYPE_GRAY, 65535, 21845, &y, &c, &c), nullptr);
    EXPECT_EQ(alloc.largest, 4294836279u);
    // One row more would wrap around 32 bits: nothing requested.
    const int allocations = alloc.allocations;
    EXPECT_EQ(BuildYuvImage(FakeWindow(0), TYPE_GRAY, 65535, 21846, &y, &c, &c), nullptr);
    EXPECT_EQ(BuildYuvImage(FakeWindow(0), TYPE_GRAY, 65535, 65535, &y, &c, &c), nullptr);
    EXPECT_EQ(alloc.allocations, allocations);
    EXPECT_EQ(ImageShown, 0u);
}

TEST_F(YuvImageTest, NoBufferMeansNoImageAndTheFlagUnchanged) {
    for (int i = 0; i < BITMAP_SLOT_COUNT; ++i) {
        ASSERT_NE(AcquireBitmap(FakeWindow(i), 64), nullptr);
    }
    std::mt19937 rng(2);
    Planes p(TYPE_YUV420, 8, 4, rng);
    EXPECT_EQ(BuildYuvImage(FakeWindow(99), TYPE_YUV420, 8, 4, p.y.data(), p.u.signedData(), p.v.signedData()),
              nullptr);
    EXPECT_EQ(BuildDoubleSizeYuvImage(FakeWindow(99), TYPE_YUV420, 8, 4, p.y.data(), p.u.signedData(),
                                      p.v.signedData()),
              nullptr);
    EXPECT_EQ(ImageShown, 0u);
}

} // namespace
