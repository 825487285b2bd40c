// What only the window shows of zoom and the colour matrices: the zoomed
// picture read back from the screen, the window fitted to it inside the
// work area with the title's note, the readout under a zoomed mouse, and a
// matrix's colours.
#include <string>
#include <vector>

#include "display.h"
#include "gui_fixture.h"

namespace {

enum { CMD_COMPARE = 103, CMD_INSPECTOR = 306, CMD_ZOOM_HALF = 310, CMD_ZOOM_8 = 314, CMD_MATRIX = 320 };

// Bottom-up rows of w x h pixels zoomed plainly: by f (nearest neighbour),
// or halved with each pixel the rounded mean of 2 x 2 (f = 0).
std::vector<uint8_t> Zoom(const std::vector<uint8_t>& in, int w, int h, int f) {
    const int zw = f ? w * f : w / 2, zh = f ? h * f : h / 2;
    std::vector<uint8_t> out(size_t(zw) * zh * 3);
    auto at = [&](int x, int y, int c) { return in[(size_t(h - 1 - y) * w + x) * 3 + c]; };
    for (int y = 0; y < zh; ++y) {
        for (int x = 0; x < zw; ++x) {
            for (int c = 0; c < 3; ++c) {
                const int v = f ? at(x / f, y / f, c)
                                : (at(2 * x, 2 * y, c) + at(2 * x + 1, 2 * y, c) + at(2 * x, 2 * y + 1, c) +
                                   at(2 * x + 1, 2 * y + 1, c) + 2) /
                                      4;
                out[(size_t(zh - 1 - y) * zw + x) * 3 + c] = uint8_t(v);
            }
        }
    }
    return out;
}

class ZoomTest : public PlayerTest {
protected:
    std::string Title() { return WindowText(player_.window); }
};

// A 1920 x 1080 sequence is wider than the 1600 x 1200 screen; at 1/2 it is
// shown whole, each pixel the mean of four converted ones.
TEST_F(ZoomTest, HalfShowsAFrameLargerThanTheScreenWhole) {
    const int w = 1920, h = 1080;
    SetFrameSize(106, "1920", "1080");
    const std::vector<uint8_t> frames = WriteSequence("hd_1920x1080.yuv", TYPE_YUV420, w, h, 2);
    PostCommand(player_, CMD_ZOOM_HALF);
    ASSERT_TRUE(OpenThroughDialog(player_, 101, WorkPath("hd_1920x1080.yuv")));
    EXPECT_TRUE(WaitUntil([&] { return Title().find("hd_1920x1080.yuv [zoom 1/2]") != std::string::npos; }))
        << Title();
    EXPECT_TRUE(WaitUntil([&] { return MenuChecked(CMD_ZOOM_HALF); }));
    const SIZE client = ClientSize(player_.window);
    EXPECT_GE(client.cx, w / 2);
    EXPECT_GE(client.cy, h / 2);
    RECT window;
    GetWindowRect(player_.window, &window);
    EXPECT_TRUE(window.left >= 0 && window.top >= 0 && window.right <= 1600 && window.bottom <= 1200)
        << window.left << "," << window.top << " " << window.right << "," << window.bottom;
    EXPECT_TRUE(Shows(w / 2, h / 2, Zoom(ExpectedFramePixels(TYPE_YUV420, w, h, frames.data()), w, h, 0)));
}

// Zoom 8 of CIF does not fit the screen's work area: 4 does, the title says
// so, and the picture is the frame's pixels four times over. The readout
// finds the sample under the zoomed mouse.
TEST_F(ZoomTest, TooLargeAZoomComesDownToTheLargestThatFits) {
    const int w = 352, h = 288;
    SetFrameSize(103);
    const std::vector<uint8_t> frames = WriteSequence("cif.yuv", TYPE_YUV420, w, h, 2);
    OpenSequence(WorkPath("cif.yuv"));
    ExpectFitted(w, h);
    PostCommand(player_, CMD_ZOOM_8);
    EXPECT_TRUE(WaitUntil([&] {
        return Title().find(" [zoom 4: 8 does not fit the screen]") != std::string::npos;
    })) << Title();
    EXPECT_TRUE(WaitUntil([&] { return MenuChecked(CMD_ZOOM_HALF + 3); }));
    EXPECT_TRUE(Shows(4 * w, 4 * h, Zoom(ExpectedFramePixels(TYPE_YUV420, w, h, frames.data()), w, h, 4)));

    PostCommand(player_, CMD_INSPECTOR);
    PostMessageA(player_.window, WM_MOUSEMOVE, 0, MAKELPARAM(4 * 80 + 3, 4 * 2 + 1));
    HWND inspector = nullptr;
    EXPECT_TRUE(WaitUntil([&] {
        inspector = PlayerWindow(player_, "VORLEX_INSPECTOR");
        return inspector && Field(inspector, 1).find("Pixel 80, 2 of frame") != std::string::npos;
    })) << (inspector ? Field(inspector, 1) : "no Inspector");

    // Back to 1: the library's own picture, the window as before.
    PostCommand(player_, CMD_ZOOM_HALF + 1);
    ExpectFitted(w, h);
    EXPECT_TRUE(Shows(w, h, ExpectedFramePixels(TYPE_YUV420, w, h, frames.data())));
    EXPECT_EQ(Title().find("zoom"), std::string::npos) << Title();
}

// BT.709 limited range: the picture is the library's BT.709 conversion of
// the frame, and 1 brings back the library's own.
TEST_F(ZoomTest, AColourMatrixShowsItsConversion) {
    const int w = 176, h = 144;
    const std::vector<uint8_t> frames = WriteSequence("qcif.yuv", TYPE_YUV420, w, h, 2);
    OpenSequence(WorkPath("qcif.yuv"));
    PostCommand(player_, CMD_MATRIX + MATRIX_BT709_LIMITED);
    EXPECT_TRUE(WaitUntil([&] { return MenuChecked(CMD_MATRIX + MATRIX_BT709_LIMITED); }));
    std::vector<uint8_t> planes(frames.begin(), frames.begin() + w * h * 3 / 2);
    for (size_t i = size_t(w) * h; i < planes.size(); ++i) {
        planes[i] = uint8_t(planes[i] - 128);
    }
    std::vector<uint8_t> bitmap(54 + size_t(w) * h * 3);
    const int8_t* u = reinterpret_cast<const int8_t*>(&planes[size_t(w) * h]);
    ASSERT_EQ(ConvertYUV2BitmapMatrix(TYPE_YUV420, w, h, planes.data(), u, u + w * h / 4,
                                      MATRIX_BT709_LIMITED, bitmap.data()),
              1);
    EXPECT_TRUE(Shows(w, h, std::vector<uint8_t>(bitmap.begin() + 54, bitmap.end())));
    EXPECT_NE(std::vector<uint8_t>(bitmap.begin() + 54, bitmap.end()),
              ExpectedFramePixels(TYPE_YUV420, w, h, frames.data()));
    PostCommand(player_, CMD_MATRIX + MATRIX_LIBRARY);
    EXPECT_TRUE(Shows(w, h, ExpectedFramePixels(TYPE_YUV420, w, h, frames.data())));
}

} // namespace
