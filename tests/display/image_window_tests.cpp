// display.dll's deferred display path (DisplayImage, DisplayBMP,
// DisplayBMP24) with real windows on the 24-bit X screen: each call only
// invalidates, and the image it stored is drawn by the next paint, read back
// from the screen and compared byte for byte with an expectation computed
// here, or with ImageMagick's and Pillow's own decoding of the bitmap files
// they wrote (the test runs in their folder). What each call stores or
// refuses is tested in the core tests (deferred_image_test.cpp).
//
// Every test loads the library afresh (LoadLibrary and FreeLibrary; this
// program is not linked against it), so each starts with no image shown and
// all sixteen slots free.
#include <gtest/gtest.h>
#include <string.h>
#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "display.h"
#include "test_support.h"
#include "window_test_support.h"

namespace {

const COLORREF kBackground = RGB(0x20, 0x40, 0x60);

// The exports under test, from the library loaded for the current test.
struct Library {
    HMODULE dll;
    decltype(&DisplayImage) displayImage;
    decltype(&DisplayBMP) displayBmp;
    decltype(&DisplayBMP24) displayBmp24;
    decltype(&GetBitmap) getBitmap;
    decltype(&GetBitmapSize) getBitmapSize;
    decltype(&WinPaint) winPaint;
};
Library* Loaded; // what the test windows paint with

template <typename Fn>
void Find(HMODULE dll, const char* name, Fn* fn) {
    *fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
}

LRESULT CALLBACK PaintWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT && Loaded) {
        Loaded->winPaint(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class Deferred : public ::testing::Test {
protected:
    Library lib = {};

    void SetUp() override {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA c = {};
            c.lpfnWndProc = PaintWindowProc;
            c.hInstance = GetModuleHandleA(nullptr);
            c.hbrBackground = CreateSolidBrush(kBackground);
            c.lpszClassName = "VorlexImageTest";
            ASSERT_NE(RegisterClassA(&c), 0);
            registered = true;
        }
        ASSERT_EQ(GetModuleHandleA("display.dll"), nullptr) << "an earlier test kept it loaded";
        lib.dll = LoadLibraryA("display.dll");
        ASSERT_NE(lib.dll, nullptr);
        Find(lib.dll, "DisplayImage", &lib.displayImage);
        Find(lib.dll, "DisplayBMP", &lib.displayBmp);
        Find(lib.dll, "DisplayBMP24", &lib.displayBmp24);
        Find(lib.dll, "GetBitmap", &lib.getBitmap);
        Find(lib.dll, "GetBitmapSize", &lib.getBitmapSize);
        Find(lib.dll, "WinPaint", &lib.winPaint);
        ASSERT_TRUE(lib.displayImage && lib.displayBmp && lib.displayBmp24 && lib.getBitmap &&
                    lib.getBitmapSize && lib.winPaint);
        Loaded = &lib;
    }

    // Windows go before the library that paints them.
    void TearDown() override {
        for (HWND w : windows_) {
            DestroyWindow(w);
        }
        windows_.clear();
        Pump();
        Loaded = nullptr;
        if (lib.dll) {
            FreeLibrary(lib.dll);
        }
        lib = {};
    }

    // A library loaded afresh: no image shown, every slot free.
    void Reload() {
        TearDown();
        SetUp();
    }

    // A borderless window whose client area is at screen (x, y), painted and
    // with nothing left to paint.
    HWND Window(int x, int y, int width, int height) {
        HWND w = CreateWindowExA(0, "VorlexImageTest", "", WS_POPUP | WS_VISIBLE, x, y, width, height,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        EXPECT_NE(w, nullptr);
        UpdateWindow(w);
        Pump();
        windows_.push_back(w);
        return w;
    }

private:
    std::vector<HWND> windows_;
};

bool UpdatePending(HWND window) {
    RECT r;
    return GetUpdateRect(window, &r, FALSE) != 0;
}

bool WholeClientPending(HWND window) {
    RECT update, client;
    GetClientRect(window, &client);
    return GetUpdateRect(window, &update, FALSE) && EqualRect(&update, &client);
}

// Invalidates with erasing and lets the window repaint.
void Repaint(HWND window) {
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    Pump();
}

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

// Pixels given top row first, three bytes each, in the layout ReadClient
// gives (bottom row first, blue-green-red).
std::vector<uint8_t> FromTopDown(const std::vector<uint8_t>& pixels, int w, int h, bool rgb) {
    std::vector<uint8_t> out(pixels.size());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint8_t* s = &pixels[3 * (size_t(y) * w + x)];
            uint8_t* d = &out[3 * (size_t(h - 1 - y) * w + x)];
            d[0] = rgb ? s[2] : s[0];
            d[1] = s[1];
            d[2] = rgb ? s[0] : s[2];
        }
    }
    return out;
}

// What an 8-bit or 24-bit classic file shows, in ReadClient's layout.
std::vector<uint8_t> ClassicPixels(const std::vector<uint8_t>& file) {
    const int w = int(Le32(&file[18])), h = int(Le32(&file[22])), bits = file[28];
    const size_t rowBytes = (size_t(w) * bits + 31) / 32 * 4;
    const uint8_t* rows = &file[Le32(&file[10])];
    std::vector<uint8_t> out(3 * size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint8_t* s = bits == 24 ? &rows[y * rowBytes + 3 * x] : &file[54 + 4 * rows[y * rowBytes + x]];
            memcpy(&out[3 * (size_t(y) * w + x)], s, 3);
        }
    }
    return out;
}

// The ways an image goes in, each with what the test hands it.
enum Way { BY_BMP, BY_IMAGE_BMP, BY_GRAY, BY_MMP, BY_RGB, BY_BGR, BY_BMP24 };

int32_t ShowBy(const Library& l, Way way, HWND window, int w, int h, const uint8_t* data) {
    switch (way) {
    case BY_BMP: return l.displayBmp(window, data);
    case BY_IMAGE_BMP: return l.displayImage(window, TYPE_BMP, 0, 0, data);
    case BY_GRAY: return l.displayImage(window, TYPE_GRAY, w, h, data);
    case BY_MMP: return l.displayImage(window, TYPE_MMP, 0, 0, data);
    case BY_RGB: return l.displayImage(window, TYPE_RGB, w, h, data);
    case BY_BGR: return l.displayImage(window, TYPE_BGR, w, h, data);
    case BY_BMP24: return l.displayBmp24(window, w, h, data);
    }
    return 0;
}

// A gray plane (top row first) as ReadClient shows it.
std::vector<uint8_t> GrayPicture(const std::vector<uint8_t>& plane, int w, int h) {
    std::vector<uint8_t> out(3 * plane.size());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            memset(&out[3 * (size_t(h - 1 - y) * w + x)], plane[size_t(y) * w + x], 3);
        }
    }
    return out;
}

// Each way in, as the first image of a freshly loaded library: the call only
// invalidates; the paint that follows draws the image, which also shows the
// call set ImageShown (nothing is drawn while it is 0).
TEST_F(Deferred, EachWayInIsDrawnByTheNextPaint) {
    std::mt19937 rng(1);
    struct Case {
        const char* name;
        Way way;
        int w, h;
        std::vector<uint8_t> data, picture;
    };
    std::vector<Case> cases;
    std::vector<uint8_t> file = ClassicBmp(13, 7, 24, 0, rng);
    cases.push_back({"DisplayBMP, 24 bits", BY_BMP, 13, 7, file, ClassicPixels(file)});
    file = ClassicBmp(11, 5, 8, 0, rng);
    cases.push_back({"TYPE_BMP, 8 bits", BY_IMAGE_BMP, 11, 5, file, ClassicPixels(file)});
    // 13 pixels of 1 byte: rows padded from 13 to 16 bytes.
    std::vector<uint8_t> plane(13 * 7);
    FillRandom(plane.data(), plane.size(), rng);
    cases.push_back({"TYPE_GRAY", BY_GRAY, 13, 7, plane, GrayPicture(plane, 13, 7)});
    std::vector<uint8_t> picture;
    file = RandomMmpFile(16, 8, rng, &picture);
    cases.push_back({"TYPE_MMP", BY_MMP, 16, 8, file, picture});
    std::vector<uint8_t> pixels(3 * 13 * 7);
    FillRandom(pixels.data(), pixels.size(), rng);
    cases.push_back({"TYPE_RGB", BY_RGB, 13, 7, pixels, FromTopDown(pixels, 13, 7, true)});
    cases.push_back({"TYPE_BGR", BY_BGR, 13, 7, pixels, FromTopDown(pixels, 13, 7, false)});
    // 7 pixels of 3 bytes: rows padded from 21 to 24 bytes.
    std::vector<uint8_t> rows(24 * 5), bmp24(3 * 7 * 5);
    FillRandom(rows.data(), rows.size(), rng);
    for (int y = 0; y < 5; ++y) {
        memcpy(&bmp24[21 * y], &rows[24 * y], 21);
    }
    cases.push_back({"DisplayBMP24", BY_BMP24, 7, 5, rows, bmp24});

    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        if (i > 0) {
            ASSERT_NO_FATAL_FAILURE(Reload());
        }
        HWND window = Window(40 * int(i), 0, c.w, c.h);
        const std::vector<uint8_t> blank = Solid(c.w, c.h, kBackground);
        ASSERT_EQ(ReadClient(window, c.w, c.h), blank);
        GuardedCopy data(c.data);
        const int32_t result = ShowBy(lib, c.way, window, c.w, c.h, data.get());
        EXPECT_NE(result, 0);
        EXPECT_TRUE(c.way != BY_BMP24 || result == 1);
        EXPECT_TRUE(WholeClientPending(window));
        EXPECT_EQ(ReadClient(window, c.w, c.h), blank) << "not drawn before the paint";
        EXPECT_TRUE(ShowsWithin(window, c.w, c.h, c.picture));
        EXPECT_FALSE(UpdatePending(window));
    }
}

// With sixteen windows holding images the store is full: every way in
// returns 0 for a seventeenth and leaves it untouched; the sixteen go on.
TEST_F(Deferred, ASeventeenthWindowGetsNothing) {
    const uint8_t rows[4][12] = {{0x10, 0x20, 0x30}, {0x40}, {0x50}, {0x60}};
    std::vector<HWND> held;
    for (int i = 0; i < 16; ++i) {
        held.push_back(Window(10 * i, 100, 4, 1));
        EXPECT_EQ(lib.displayBmp24(held.back(), 4, 1, rows[0]), 1) << i;
    }
    HWND extra = Window(200, 100, 4, 1);
    std::vector<uint8_t> gray(16), mmp(16 + 6);
    mmp[12] = 4;
    mmp[14] = 1;
    std::mt19937 rng(4);
    const std::vector<uint8_t> bmp = ClassicBmp(4, 1, 24, 0, rng);
    EXPECT_EQ(lib.displayBmp24(extra, 4, 1, rows[1]), 0);
    EXPECT_EQ(lib.displayBmp(extra, bmp.data()), 0);
    EXPECT_EQ(lib.displayImage(extra, TYPE_BMP, 0, 0, bmp.data()), 0);
    EXPECT_EQ(lib.displayImage(extra, TYPE_MMP, 0, 0, mmp.data()), 0);
    for (uint32_t type : {TYPE_GRAY, TYPE_RGB, TYPE_BGR}) {
        EXPECT_EQ(lib.displayImage(extra, type, 4, 1, gray.data()), 0) << type;
    }
    EXPECT_FALSE(UpdatePending(extra));
    EXPECT_EQ(lib.getBitmap(extra), nullptr);
    Repaint(extra);
    EXPECT_TRUE(ShowsWithin(extra, 4, 1, Solid(4, 1, kBackground)));
    for (HWND w : held) {
        EXPECT_EQ(lib.displayBmp24(w, 4, 1, rows[2]), 1);
    }
    EXPECT_TRUE(ShowsWithin(held[15], 4, 1, std::vector<uint8_t>(rows[2], rows[2] + 12)));
}

// The tools' files: ImageMagick's default (a 124-byte header) and 108-byte
// ones, Pillow's, top-down rows, bit fields, gaps before the rows, run-length
// coded rows (RLE8 and RLE4) and 12-byte core headers. Each is shown with
// DisplayBMP and with DisplayImage and must look exactly as the tool that
// wrote it decodes it.
TEST_F(Deferred, ToolWrittenFilesShowAsTheToolDecodesThem) {
    const std::vector<ToolFile> files = ToolFileManifest();
    ASSERT_FALSE(files.empty()) << "manifest.txt not found: the test runs in the folder of the files";
    HWND byBmp = Window(0, 0, 64, 48), byImage = Window(100, 0, 64, 48);
    int shown = 0;
    for (const ToolFile& t : files) {
        if (t.kind != "show") {
            continue;
        }
        SCOPED_TRACE(t.name + " " + t.label);
        const std::vector<uint8_t> file = ReadWholeFile(t.name), rgb = ReadWholeFile(t.decoding);
        ASSERT_FALSE(file.empty());
        ASSERT_EQ(rgb.size(), 3 * size_t(t.w) * t.h);
        const std::vector<uint8_t> picture = FromTopDown(rgb, t.w, t.h, true);
        GuardedCopy data(file);
        EXPECT_NE(lib.displayBmp(byBmp, data.get()), 0);
        EXPECT_TRUE(ShowsWithin(byBmp, t.w, t.h, picture)) << "DisplayBMP";
        EXPECT_NE(lib.displayImage(byImage, TYPE_BMP, 0, 0, data.get()), 0);
        EXPECT_TRUE(ShowsWithin(byImage, t.w, t.h, picture)) << "DisplayImage";
        ++shown;
    }
    EXPECT_GE(shown, 20) << "the manifest lists too few files";
}

} // namespace
