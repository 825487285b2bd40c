// Zoom: zoomed pixels against a plain nearest neighbour and 2 x 2 mean of the
// converted picture, the work-area rule on a small screen with its title
// note, the mouse mapped through the zoom, and zoom 1 left as it was.
#include <gtest/gtest.h>
#include <string.h>

#include <vector>

#include "bmp_headers.h"
#include "display.h"
#include "memory_files.h"
#include "option_rules.h"
#include "playback.h"
#include "player_state.h"
#include "zoom.h"

namespace {

// A w x h picture of 24-bit pixels, bottom-up, rows 3w apart, every byte
// different from its neighbours. Zoomed, it has 32-bit pixels.
std::vector<uint8_t> Picture(uint32_t w, uint32_t h) {
    std::vector<uint8_t> p(size_t{3} * w * h);
    for (size_t i = 0; i < p.size(); ++i) {
        p[i] = static_cast<uint8_t>(i * 97 + i / 7);
    }
    return p;
}

// Channel c of picture pixel (x, y), y counted from the top.
uint8_t At(const std::vector<uint8_t>& p, uint32_t w, uint32_t h, uint32_t x, uint32_t y, int c) {
    return p[(size_t{h - 1 - y} * w + x) * 3 + c];
}

TEST(ZoomPicture, NearestNeighbourAndHalfMeanOfThePicture) {
    struct Size {
        uint32_t w, h;
    };
    for (const Size size : {Size{8, 4}, Size{5, 3}, Size{7, 6}}) {
        const std::vector<uint8_t> in = Picture(size.w, size.h);
        for (uint32_t zoom = ZOOM_HALF; zoom < ZOOM_COUNT; ++zoom) {
            const uint32_t zw = ZoomedLength(size.w, zoom), zh = ZoomedLength(size.h, zoom);
            const size_t stride = ZoomedRowBytes(zw);
            ASSERT_EQ(stride, size_t{4} * zw);
            std::vector<uint8_t> out(stride * zh, 0xEE);
            ZoomPicture(in.data(), size.w, size.h, size_t{3} * size.w, zoom, out.data());
            for (uint32_t y = 0; y < zh; ++y) {
                const uint8_t* row = &out[(zh - 1 - y) * stride];
                for (uint32_t x = 0; x < zw; ++x) {
                    for (int c = 0; c < 4; ++c) {
                        int want = 0; // the fourth byte stays zero
                        if (c < 3 && zoom == ZOOM_HALF) {
                            want = (At(in, size.w, size.h, 2 * x, 2 * y, c) +
                                    At(in, size.w, size.h, 2 * x + 1, 2 * y, c) +
                                    At(in, size.w, size.h, 2 * x, 2 * y + 1, c) +
                                    At(in, size.w, size.h, 2 * x + 1, 2 * y + 1, c) + 2) /
                                   4;
                        } else if (c < 3) {
                            const uint32_t f = 1u << (zoom - ZOOM_1);
                            want = At(in, size.w, size.h, x / f, y / f, c);
                        }
                        ASSERT_EQ(row[4 * x + c], want) << size.w << "x" << size.h << " zoom "
                                                        << ZoomName(zoom) << " at " << x << ", " << y;
                    }
                }
            }
        }
    }
}

TEST(ZoomPicture, WorkAreaRule) {
    // 352 x 288 in 800 x 600: 2 fits, 4 does not; 8 comes down to 2.
    EXPECT_EQ(FittingZoom(ZOOM_8, 352, 288, 800, 600), uint32_t{ZOOM_2});
    EXPECT_EQ(FittingZoom(ZOOM_2, 352, 288, 704, 576), uint32_t{ZOOM_2}); // exactly the work area
    EXPECT_EQ(FittingZoom(ZOOM_2, 352, 288, 703, 576), uint32_t{ZOOM_1});
    EXPECT_EQ(FittingZoom(ZOOM_2, 352, 288, 704, 575), uint32_t{ZOOM_1});
    // 1 and 1/2 are never changed, even when 1 does not fit.
    EXPECT_EQ(FittingZoom(ZOOM_1, 1920, 1080, 1914, 1020), uint32_t{ZOOM_1});
    EXPECT_EQ(FittingZoom(ZOOM_HALF, 1920, 1080, 100, 100), uint32_t{ZOOM_HALF});
    EXPECT_EQ(FittingZoom(ZOOM_8, 1920, 1088, 0, 0), uint32_t{ZOOM_8}); // unknown work area
}

class ZoomPlayback : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(InitPlayerState(s));
        s.files = files_.Access();
        // A small screen: 1024 x 768 less the window's frame, caption and menu.
        s.workWidth = 1018;
        s.workHeight = 724;
        s.framePreset = 2; // CIF
        ApplyFramePreset(s);
        std::vector<uint8_t> frames(352 * 288 * 3 / 2 * 2);
        for (size_t i = 0; i < frames.size(); ++i) {
            frames[i] = static_cast<uint8_t>(i * 13 + i / 352);
        }
        files_.Put("cif.yuv", frames);
    }
    void TearDown() override { ReleasePlayerState(s); }

    PlayerState s{};
    MemoryFiles files_;
};

TEST_F(ZoomPlayback, SmallScreenTakesTheLargestZoomThatFitsAndTheTitleSaysSo) {
    WindowActions a = OpenSequence(s, "cif.yuv");
    EXPECT_EQ(a.fitWidth, 352u); // zoom 1, as always at start
    EXPECT_STREQ(s.title, "Vorlex - cif.yuv");

    a = ChooseZoom(s, ZOOM_4);
    EXPECT_TRUE(a.fitWindow);
    EXPECT_EQ(a.fitWidth, 704u); // 1408 x 1152 does not fit
    EXPECT_EQ(a.fitHeight, 576u);
    EXPECT_EQ(s.zoomShown, uint32_t{ZOOM_2});
    EXPECT_TRUE(a.setTitle);
    EXPECT_STREQ(s.title, "Vorlex - cif.yuv [zoom 2: 4 does not fit the screen]");
    EXPECT_TRUE(a.requestFrame);
    EXPECT_EQ(MenuFor(s).zoomChecked, uint32_t{ZOOM_2});

    // Ctrl+- from what is shown, Ctrl++ back up to what fits.
    a = StepZoom(s, -1);
    EXPECT_EQ(s.zoomShown, uint32_t{ZOOM_1});
    EXPECT_STREQ(s.title, "Vorlex - cif.yuv");
    a = StepZoom(s, -1);
    EXPECT_EQ(a.fitWidth, 176u);
    EXPECT_STREQ(s.title, "Vorlex - cif.yuv [zoom 1/2]");
    StepZoom(s, -1);
    EXPECT_EQ(s.zoomShown, uint32_t{ZOOM_HALF});

    // A new sequence keeps the chosen zoom and notes it after its path.
    ChooseZoom(s, ZOOM_2);
    a = OpenSequence(s, "cif.yuv");
    EXPECT_EQ(a.fitWidth, 704u);
    EXPECT_STREQ(s.title, "Vorlex - cif.yuv [zoom 2]");
}

TEST_F(ZoomPlayback, ZoomedFrameIsTheConvertedFrameZoomedAndTheMouseMapsThroughIt) {
    OpenSequence(s, "cif.yuv");
    WindowActions a = ShowSequenceFrame(s, 1, REQUEST_BY_COMMAND);
    // Zoom 1 with the library's conversion: the library's own call, as before.
    ASSERT_EQ(a.display.call, DISPLAY_YUV_IMAGE);
    std::vector<uint8_t> converted(BMP_HEADERS_SIZE + 352 * 288 * 3);
    ConvertYUV2Bitmap(a.display.type, 352, 288, a.display.data, a.display.u, a.display.v, converted.data());

    ChooseZoom(s, ZOOM_2);
    a = ShowSequenceFrame(s, 1, REQUEST_BY_COMMAND);
    ASSERT_EQ(a.display.call, DISPLAY_PICTURE);
    ASSERT_EQ(a.display.width, 704u);
    ASSERT_EQ(a.display.height, 576u);
    for (uint32_t r = 0; r < 576; r += 7) {
        for (uint32_t x = 0; x < 704; x += 3) {
            ASSERT_EQ(memcmp(a.display.data + (size_t{r} * 704 + x) * 4,
                             &converted[BMP_HEADERS_SIZE + (size_t{r / 2} * 352 + x / 2) * 3], 3),
                      0)
                << x << ", " << r;
        }
    }
    PointerMoved(s, true, 161, 3);
    EXPECT_EQ(s.inspector.x, 80u);
    EXPECT_EQ(s.inspector.y, 1u);

    ChooseZoom(s, ZOOM_HALF);
    PointerMoved(s, true, 40, 3);
    EXPECT_EQ(s.inspector.x, 80u);
    EXPECT_EQ(s.inspector.y, 6u);

    ChooseZoom(s, ZOOM_1);
    a = ShowSequenceFrame(s, 1, REQUEST_BY_COMMAND);
    EXPECT_EQ(a.display.call, DISPLAY_YUV_IMAGE);
    PointerMoved(s, true, 161, 3);
    EXPECT_EQ(s.inspector.x, 161u);
}

// A raw YUV image in a standard's matrix is the library's to keep (the
// readout reads its colours there); an image is never zoomed.
TEST_F(ZoomPlayback, ARawImageInAMatrixIsTheLibrarysImage) {
    s.imageType = TYPE_YUV420;
    s.imageWidth = 8;
    s.imageHeight = 4;
    s.imageHeader = 0;
    ImageOptionAccepted(s);
    std::vector<uint8_t> image(48);
    for (size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<uint8_t>(200 - 9 * i);
    }
    files_.Put("image.raw", image);
    ChooseZoom(s, ZOOM_2);
    ChooseColourMatrix(s, MATRIX_BT2020_FULL);
    WindowActions a = OpenImage(s, "image.raw");
    EXPECT_EQ(a.fitWidth, 8u);
    a = ShowOpenedImage(s, a.requestImage);
    ASSERT_EQ(a.display.call, DISPLAY_BMP24);
    ASSERT_EQ(a.display.width, 8u);
    for (size_t i = 32; i < image.size(); ++i) {
        image[i] ^= 0x80;
    }
    const int8_t* chroma = reinterpret_cast<const int8_t*>(image.data());
    std::vector<uint8_t> expected(BMP_HEADERS_SIZE + 8 * 4 * 3);
    ConvertYUV2BitmapMatrix(TYPE_YUV420, 8, 4, image.data(), chroma + 32, chroma + 40, MATRIX_BT2020_FULL,
                            expected.data());
    EXPECT_EQ(std::vector<uint8_t>(a.display.data, a.display.data + 8 * 4 * 3),
              std::vector<uint8_t>(expected.begin() + BMP_HEADERS_SIZE, expected.end()));
}

} // namespace
