// display.dll's deferred display path (DisplayImage, DisplayBMP,
// DisplayBMP24) with real windows on the 24-bit X screen: the image each call
// stores is drawn by the window's next paint, read back from the screen and
// compared byte for byte with an expectation computed here, or with
// ImageMagick's and Pillow's own decoding of the bitmap files they wrote
// (make_bmp_files.py; the test runs in the folder that holds them).
//
// Every test loads the library afresh (LoadLibrary and FreeLibrary; this
// program is not linked against it), so each starts with no image shown and
// all sixteen slots free.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "bmp_headers.h"
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

template <typename Fn> void Find(HMODULE dll, const char* name, Fn* fn) {
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
        HWND w = CreateWindowExA(0, "VorlexImageTest", "", WS_POPUP | WS_VISIBLE, x, y, width,
                                 height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        EXPECT_NE(w, nullptr);
        UpdateWindow(w);
        Pump();
        windows_.push_back(w);
        return w;
    }

    std::vector<uint8_t> Stored(HWND window) {
        const uint8_t* p = lib.getBitmap(window);
        return p ? std::vector<uint8_t>(p, p + lib.getBitmapSize(window)) : std::vector<uint8_t>();
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
void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = uint8_t(v >> 8 * i);
    }
}

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

// A classic bitmap file: 40-byte header, `clrUsed` colours (0: the full
// table up to 8 bits), random colours and rows.
std::vector<uint8_t> ClassicBmp(int w, int h, int bits, uint32_t clrUsed, std::mt19937& rng) {
    const uint32_t entries = clrUsed ? clrUsed : bits <= 8 ? 1u << bits : 0;
    const size_t rowBytes = (size_t(w) * bits + 31) / 32 * 4;
    std::vector<uint8_t> file(54 + 4 * entries + rowBytes * h);
    FillRandom(file.data(), file.size(), rng);
    WriteBmpHeaders(file.data(), w, h, bits);
    PutLe32(&file[2], uint32_t(file.size()));
    PutLe32(&file[10], 54 + 4 * entries);
    PutLe32(&file[46], clrUsed);
    PutLe32(&file[50], 0);
    if (bits == 8) {
        for (size_t i = 54 + 4 * entries; i < file.size(); ++i) {
            file[i] %= entries; // indices inside the table
        }
    }
    return file;
}

// What an 8-bit or 24-bit classic file shows, in ReadClient's layout.
std::vector<uint8_t> ClassicPixels(const std::vector<uint8_t>& file) {
    const int w = int(Le32(&file[18])), h = int(Le32(&file[22])), bits = file[28];
    const size_t rowBytes = (size_t(w) * bits + 31) / 32 * 4;
    const uint8_t* rows = &file[Le32(&file[10])];
    std::vector<uint8_t> out(3 * size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint8_t* s = bits == 24 ? &rows[y * rowBytes + 3 * x]
                                          : &file[54 + 4 * rows[y * rowBytes + x]];
            memcpy(&out[3 * (size_t(y) * w + x)], s, 3);
        }
    }
    return out;
}

// One MMP group from its four luma samples and its chroma, bit by bit.
void PackMmpGroup(const uint8_t y[4], int8_t u8, int8_t v8, uint8_t* g) {
    const unsigned u = uint8_t(u8), v = uint8_t(v8);
    g[0] = uint8_t((y[0] & 0x0F) << 4 | (u >> 4 & 3) << 2 | (v >> 4 & 3));
    g[1] = uint8_t((u >> 6 & 3) << 6 | (v >> 6 & 3) << 4 | y[0] >> 4);
    g[2] = uint8_t((u >> 2 & 3) << 6 | (v >> 2 & 3) << 4 | y[2] >> 4);
    g[3] = y[1];
    g[4] = y[3];
    g[5] = uint8_t((y[2] & 0x0F) << 4 | (u & 3) << 2 | (v & 3));
}

// A w x h MMP file (w a multiple of 4) of random samples, and the picture the
// reference conversion gives for it, in ReadClient's layout.
std::vector<uint8_t> MmpFile(int w, int h, std::mt19937& rng, std::vector<uint8_t>* picture) {
    std::vector<uint8_t> file(16 + 6 * size_t(w / 4) * h);
    FillRandom(file.data(), 12, rng);
    file[12] = uint8_t(w);
    file[13] = uint8_t(w >> 8);
    file[14] = uint8_t(h);
    file[15] = uint8_t(h >> 8);
    picture->assign(3 * size_t(w) * h, 0);
    uint8_t* group = &file[16];
    for (int r = 0; r < h; ++r) {
        for (int x = 0; x < w; x += 4, group += 6) {
            uint8_t y[4], c[2];
            FillRandom(y, 4, rng);
            FillRandom(c, 2, rng);
            PackMmpGroup(y, int8_t(c[0]), int8_t(c[1]), group);
            for (int i = 0; i < 4; ++i) {
                const Bgr p = ReferencePixel(y[i], int8_t(c[0]), int8_t(c[1]));
                uint8_t* d = &(*picture)[3 * (size_t(h - 1 - r) * w + x + i)];
                d[0] = p.b;
                d[1] = p.g;
                d[2] = p.r;
            }
        }
    }
    return file;
}

// `data` at the very end of a guarded buffer: reading past it faults.
struct Guarded {
    GuardedBuffer buffer;
    explicit Guarded(const std::vector<uint8_t>& data) : buffer(data.size()) {
        memcpy(buffer.data(), data.data(), data.size());
    }
    const uint8_t* get() { return buffer.data(); }
};

TEST(MmpGroup, PacksTheWorkedGroup) {
    const uint8_t y[4] = {0x41, 0x78, 0x6B, 0x9A};
    uint8_t g[6];
    PackMmpGroup(y, 7, -28, g);
    const uint8_t expected[6] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
    EXPECT_EQ(memcmp(g, expected, 6), 0);
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
    std::vector<uint8_t> plane(16 * 8);
    FillRandom(plane.data(), plane.size(), rng);
    cases.push_back({"TYPE_GRAY", BY_GRAY, 16, 8, plane, GrayPicture(plane, 16, 8)});
    std::vector<uint8_t> picture;
    file = MmpFile(16, 8, rng, &picture);
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
        Guarded data(c.data);
        const int32_t result = ShowBy(lib, c.way, window, c.w, c.h, data.get());
        EXPECT_NE(result, 0);
        EXPECT_TRUE(c.way != BY_BMP24 || result == 1);
        EXPECT_TRUE(WholeClientPending(window));
        EXPECT_EQ(ReadClient(window, c.w, c.h), blank) << "not drawn before the paint";
        EXPECT_TRUE(ShowsWithin(window, c.w, c.h, c.picture));
        EXPECT_FALSE(UpdatePending(window));
    }
}

// Every request is the exact length of the image written: a window's first
// buffer, and every buffer that has to grow, has exactly the requested size,
// so requests in rising order on one window each show in GetBitmapSize.
TEST_F(Deferred, RequestsExactlyWhatTheImageNeeds) {
    std::mt19937 rng(2);
    HWND a = Window(0, 0, 40, 4), b = Window(50, 0, 40, 4);

    // DisplayBMP24 3 x 2: headers plus two rows of 9 bytes padded to 12.
    std::vector<uint8_t> rows(24);
    FillRandom(rows.data(), rows.size(), rng);
    Guarded pixels(rows);
    EXPECT_EQ(lib.displayBmp24(a, 3, 2, pixels.get()), 1);
    EXPECT_EQ(lib.getBitmapSize(a), 78u);
    std::vector<uint8_t> expected(78);
    WriteBmpHeaders(expected.data(), 3, 2, 24);
    memcpy(&expected[54], rows.data(), rows.size());
    EXPECT_EQ(Stored(a), expected);

    // DisplayBMP copies the headers, the table and the rows: the file's bytes
    // up to there (each file ends right there, in a guarded buffer).
    struct Copy {
        HWND window;
        int w, h, bits;
        uint32_t clrUsed, length;
    } copies[] = {
        {b, 40, 2, 1, 0, 62 + 2 * 8},      // 1-bit 40 x 2
        {a, 5, 3, 24, 0, 54 + 3 * 16},     // 24-bit 5 x 3
        {a, 4, 2, 8, 12, 54 + 48 + 2 * 4}, // 8-bit with 12 colours
        {a, 3, 2, 8, 0, 54 + 1024 + 2 * 4} // 8-bit 3 x 2
    };
    for (const Copy& c : copies) {
        const std::vector<uint8_t> file = ClassicBmp(c.w, c.h, c.bits, c.clrUsed, rng);
        ASSERT_EQ(file.size(), c.length);
        Guarded data(file);
        EXPECT_NE(lib.displayBmp(c.window, data.get()), 0) << c.length;
        EXPECT_EQ(lib.getBitmapSize(c.window), c.length);
        EXPECT_EQ(Stored(c.window), file) << c.length;
        if (c.length == 102) {
            // The MMP case fits between: 8 x 2 needs 54 + 48 + 4 = 106.
            std::vector<uint8_t> unused;
            const std::vector<uint8_t> mmp = MmpFile(8, 2, rng, &unused);
            Guarded mmpData(mmp);
            EXPECT_NE(lib.displayImage(a, TYPE_MMP, 0, 0, mmpData.get()), 0);
            EXPECT_EQ(lib.getBitmapSize(a), 106u);
        }
    }

    // The 4 x 2 gray plane: 1078 + 8 bytes, and 4 more requested.
    const std::vector<uint8_t> plane = {0x00, 0x40, 0x80, 0xFF, 0x10, 0x20, 0x30, 0x40};
    Guarded gray(plane);
    EXPECT_NE(lib.displayImage(a, TYPE_GRAY, 4, 2, gray.get()), 0);
    EXPECT_EQ(lib.getBitmapSize(a), 1090u);
    const std::vector<uint8_t> image = Stored(a);
    ASSERT_EQ(image.size(), 1090u);
    const uint8_t bottomUp[8] = {0x10, 0x20, 0x30, 0x40, 0x00, 0x40, 0x80, 0xFF};
    EXPECT_EQ(memcmp(&image[1078], bottomUp, 8), 0);

    // RGB and BGR: padded 24-bit rows, exactly.
    HWND c = Window(100, 0, 8, 4), d = Window(150, 0, 8, 4);
    std::vector<uint8_t> rgb(3 * 5 * 3);
    FillRandom(rgb.data(), rgb.size(), rng);
    Guarded rgbData(rgb);
    EXPECT_NE(lib.displayImage(c, TYPE_RGB, 5, 3, rgbData.get()), 0);
    EXPECT_EQ(lib.getBitmapSize(c), 54u + 3 * 16);
    EXPECT_NE(lib.displayImage(d, TYPE_BGR, 6, 1, rgbData.get()), 0);
    EXPECT_EQ(lib.getBitmapSize(d), 54u + 20);
}

// Calls that show nothing leave the stored image, the window and the screen
// as they were; the type's bits above the low 8 are ignored.
TEST_F(Deferred, CallsThatShowNothingChangeNothing) {
    std::mt19937 rng(3);
    const int w = 13, h = 7;
    HWND window = Window(0, 0, w, h);
    std::vector<uint8_t> pixels(3 * w * h);
    FillRandom(pixels.data(), pixels.size(), rng);
    ASSERT_NE(lib.displayImage(window, TYPE_RGB, w, h, pixels.data()), 0);
    const std::vector<uint8_t> picture = FromTopDown(pixels, w, h, true);
    ASSERT_TRUE(ShowsWithin(window, w, h, picture));
    const std::vector<uint8_t> before = Stored(window);

    std::vector<uint8_t> notBitmap = ClassicBmp(w, h, 24, 0, rng);
    notBitmap[1] = 'A'; // "BA"
    HWND fresh = Window(50, 0, w, h);
    const uint32_t types[] = {0,   TYPE_YUV444, TYPE_YUV422, TYPE_YUV411, TYPE_YUV420,
                              4,   99,          106,         255,         0x100 | TYPE_YUV411};
    for (HWND target : {window, fresh}) {
        for (uint32_t type : types) {
            EXPECT_EQ(lib.displayImage(target, type, w, h, pixels.data()), 0) << type;
        }
        EXPECT_EQ(lib.displayImage(target, TYPE_BMP, 0, 0, notBitmap.data()), 0);
        EXPECT_EQ(lib.displayBmp(target, notBitmap.data()), 0);
        EXPECT_FALSE(UpdatePending(target));
    }
    EXPECT_EQ(Stored(window), before);
    EXPECT_EQ(lib.getBitmap(fresh), nullptr) << "no slot was taken";
    EXPECT_EQ(lib.getBitmapSize(fresh), 0u);
    Repaint(window);
    EXPECT_TRUE(ShowsWithin(window, w, h, picture));

    // Only the low 8 bits of the type count.
    std::vector<uint8_t> plane(12 * 2);
    FillRandom(plane.data(), plane.size(), rng);
    EXPECT_NE(lib.displayImage(window, 0x4500 | TYPE_GRAY, 12, 2, plane.data()), 0);
    EXPECT_TRUE(ShowsWithin(window, 12, 2, GrayPicture(plane, 12, 2)));
}

// Sizes whose images cannot be described (over 65535) or whose length does
// not fit 32 bits: refused before anything is read past the headers.
TEST_F(Deferred, ImpossibleSizesAreRefused) {
    HWND window = Window(0, 0, 8, 8);
    std::vector<uint8_t> header(54);
    WriteBmpHeaders(header.data(), 1, 1, 24);
    PutLe32(&header[18], 0x7FFFFFFF);
    PutLe32(&header[22], 0x7FFFFFFF);
    Guarded huge(header);
    EXPECT_EQ(lib.displayBmp(window, huge.get()), 0);
    EXPECT_EQ(lib.displayImage(window, TYPE_BMP, 0, 0, huge.get()), 0);
    const uint8_t pixel[4] = {1, 2, 3, 4};
    EXPECT_EQ(lib.displayBmp24(window, 65536, 1, pixel), 0);
    EXPECT_EQ(lib.displayBmp24(window, 1, 65536, pixel), 0);
    for (uint32_t type : {TYPE_GRAY, TYPE_RGB, TYPE_BGR}) {
        EXPECT_EQ(lib.displayImage(window, type, 65536, 1, pixel), 0) << type;
        EXPECT_EQ(lib.displayImage(window, type, 1, 65536, pixel), 0) << type;
    }
    EXPECT_EQ(lib.getBitmap(window), nullptr);
    EXPECT_FALSE(UpdatePending(window));
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

// Pure red, green and blue, given as RGB (type 104) and as BGR (type 105).
TEST_F(Deferred, RgbAndBgrPrimariesShowInTheirColours) {
    const int w = 13, h = 7;
    const COLORREF primaries[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
    for (uint32_t type : {TYPE_RGB, TYPE_BGR}) {
        HWND window = Window(type == TYPE_RGB ? 0 : 50, 0, w, h);
        for (COLORREF colour : primaries) {
            std::vector<uint8_t> data(3 * w * h);
            for (size_t i = 0; i < data.size(); i += 3) {
                data[i] = type == TYPE_RGB ? GetRValue(colour) : GetBValue(colour);
                data[i + 1] = GetGValue(colour);
                data[i + 2] = type == TYPE_RGB ? GetBValue(colour) : GetRValue(colour);
            }
            EXPECT_NE(lib.displayImage(window, type, w, h, data.data()), 0);
            EXPECT_TRUE(ShowsWithin(window, w, h, Solid(w, h, colour)))
                << type << " " << std::hex << colour;
        }
    }
}

// The worked 4 x 1 MMP file on the screen.
TEST_F(Deferred, WorkedMmpFileShowsItsPixels) {
    uint8_t file[22] = {0};
    file[12] = 4;
    file[14] = 1;
    const uint8_t group[6] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
    memcpy(file + 16, group, 6);
    HWND window = Window(0, 0, 4, 1);
    EXPECT_NE(lib.displayImage(window, TYPE_MMP, 0, 0, file), 0);
    const std::vector<uint8_t> pixels = {0x57, 0x5C, 0x24, 0x97, 0x9C, 0x64,
                                         0x88, 0x8D, 0x55, 0xBF, 0xC4, 0x8C};
    EXPECT_TRUE(ShowsWithin(window, 4, 1, pixels));
}

// Gray and MMP images whose rows are not a multiple of 4 bytes long are
// stored with padded rows, and so drawn right at every height.
TEST_F(Deferred, GrayAndMmpImagesOfAnyWidthShowRight) {
    std::mt19937 rng(5);
    HWND gray = Window(0, 0, 16, 8), mmp = Window(50, 0, 16, 8);
    for (int w = 1; w <= 8; ++w) {
        for (int h : {1, 2, 3, 7}) {
            SCOPED_TRACE(testing::Message() << w << " x " << h);
            std::vector<uint8_t> plane(size_t(w) * h);
            FillRandom(plane.data(), plane.size(), rng);
            Guarded planeData(plane);
            EXPECT_NE(lib.displayImage(gray, TYPE_GRAY, w, h, planeData.get()), 0);
            EXPECT_TRUE(ShowsWithin(gray, w, h, GrayPicture(plane, w, h)));

            // The reference picture of a file four pixels wider, cut to w.
            const int wide = (w + 3) / 4 * 4;
            std::vector<uint8_t> picture, cut;
            std::vector<uint8_t> file = MmpFile(wide, h, rng, &picture);
            file[12] = uint8_t(w);
            for (int r = 0; r < h; ++r) {
                cut.insert(cut.end(), picture.begin() + 3 * r * wide,
                           picture.begin() + 3 * (r * wide + w));
            }
            Guarded mmpData(file);
            EXPECT_NE(lib.displayImage(mmp, TYPE_MMP, 0, 0, mmpData.get()), 0);
            EXPECT_TRUE(ShowsWithin(mmp, w, h, cut));
        }
    }
}

// The bitmap files written by make_bmp_files.py, from its manifest.
struct ToolFile {
    std::string kind, name, decoding, label;
    int w, h;
};

std::vector<uint8_t> ReadFile(const std::string& name) {
    std::vector<uint8_t> bytes;
    FILE* f = fopen(name.c_str(), "rb");
    if (!f) {
        return bytes;
    }
    uint8_t chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, f)) > 0;) {
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    fclose(f);
    return bytes;
}

std::vector<ToolFile> Manifest() {
    std::vector<ToolFile> files;
    FILE* f = fopen("manifest.txt", "r");
    if (!f) {
        ADD_FAILURE() << "manifest.txt not found: the test runs in the folder of the files";
        return files;
    }
    char kind[16], name[256], decoding[256], label[256];
    int w, h;
    while (fscanf(f, "%15s %255s %255s %d %d %255s", kind, name, decoding, &w, &h, label) == 6) {
        files.push_back({kind, name, decoding, label, w, h});
    }
    fclose(f);
    return files;
}

// The tools' files: ImageMagick's default (a 124-byte header) and 108-byte
// ones, Pillow's, top-down rows, bit fields, gaps before the rows. Each is
// shown with DisplayBMP and with DisplayImage and must look exactly as the
// tool that wrote it decodes it.
TEST_F(Deferred, ToolWrittenFilesShowAsTheToolDecodesThem) {
    const std::vector<ToolFile> files = Manifest();
    HWND byBmp = Window(0, 0, 64, 48), byImage = Window(100, 0, 64, 48);
    int shown = 0;
    for (const ToolFile& t : files) {
        if (t.kind != "show") {
            continue;
        }
        SCOPED_TRACE(t.name + " " + t.label);
        const std::vector<uint8_t> file = ReadFile(t.name), rgb = ReadFile(t.decoding);
        ASSERT_FALSE(file.empty());
        ASSERT_EQ(rgb.size(), 3 * size_t(t.w) * t.h);
        const std::vector<uint8_t> picture = FromTopDown(rgb, t.w, t.h, true);
        Guarded data(file);
        EXPECT_NE(lib.displayBmp(byBmp, data.get()), 0);
        EXPECT_TRUE(ShowsWithin(byBmp, t.w, t.h, picture)) << "DisplayBMP";
        EXPECT_NE(lib.displayImage(byImage, TYPE_BMP, 0, 0, data.get()), 0);
        EXPECT_TRUE(ShowsWithin(byImage, t.w, t.h, picture)) << "DisplayImage";

        // A classic file (40-byte header, bottom-up, uncompressed, rows right
        // after the table) is kept byte for byte.
        const int32_t height = int32_t(Le32(&file[22]));
        const uint32_t bits = file[28], used = Le32(&file[46]);
        const uint32_t table = 4 * (used ? used : bits <= 8 ? 1u << bits : 0);
        if (Le32(&file[14]) == 40 && Le32(&file[30]) == 0 && height > 0 &&
            Le32(&file[10]) == 54 + table) {
            const uint8_t* stored = lib.getBitmap(byBmp);
            const size_t length = 54 + table + (size_t(t.w) * bits + 31) / 32 * 4 * height;
            ASSERT_NE(stored, nullptr);
            EXPECT_EQ(memcmp(stored, file.data(), length), 0) << "stored unchanged";
        }
        ++shown;
    }
    EXPECT_GE(shown, 20) << "the manifest lists too few files";
}

// Files that cannot be shown (compressed rows, OS/2 headers): 0, and the
// window keeps its image, in the store and on the screen.
TEST_F(Deferred, RefusedToolFilesLeaveThePreviousImage) {
    const std::vector<ToolFile> files = Manifest();
    HWND window = Window(0, 0, 64, 48);
    const ToolFile* first = nullptr;
    for (const ToolFile& t : files) {
        if (t.kind == "show" && !first) {
            first = &t;
        }
    }
    ASSERT_NE(first, nullptr);
    const std::vector<uint8_t> good = ReadFile(first->name);
    const std::vector<uint8_t> picture =
        FromTopDown(ReadFile(first->decoding), first->w, first->h, true);
    ASSERT_NE(lib.displayBmp(window, good.data()), 0);
    ASSERT_TRUE(ShowsWithin(window, first->w, first->h, picture));
    const std::vector<uint8_t> before = Stored(window);
    int refused = 0;
    for (const ToolFile& t : files) {
        if (t.kind != "refuse") {
            continue;
        }
        SCOPED_TRACE(t.name + " " + t.label);
        const std::vector<uint8_t> file = ReadFile(t.name);
        ASSERT_FALSE(file.empty());
        Guarded data(file);
        EXPECT_EQ(lib.displayBmp(window, data.get()), 0);
        EXPECT_EQ(lib.displayImage(window, TYPE_BMP, 0, 0, data.get()), 0);
        EXPECT_FALSE(UpdatePending(window));
        EXPECT_EQ(Stored(window), before);
        Repaint(window);
        EXPECT_TRUE(ShowsWithin(window, first->w, first->h, picture));
        ++refused;
    }
    EXPECT_GE(refused, 3) << "the manifest lists too few refused files";
}

} // namespace
