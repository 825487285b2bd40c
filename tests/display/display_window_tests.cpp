// display.dll with real windows on the 24-bit X screen: what the display and
// paint exports put into a window is read back from the screen and compared
// byte for byte with the image the conversion gives.
//
// The library never frees a slot, so this program binds at most its sixteen
// grid windows; tests share them. Tests run in the order written: the first
// runs before any image is shown in the process.
#include <gtest/gtest.h>
#include <string.h>
#include <windows.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "bmp_headers.h"
#include "chroma_geometry.h"
#include "display.h"
#include "test_support.h"
#include "window_test_support.h"

namespace {

const uint32_t kYuvCodes[] = {TYPE_YUV444, TYPE_YUV422, TYPE_YUV411, TYPE_YUV420};
const COLORREF kBackground = RGB(0x20, 0x40, 0x60);
const COLORREF kCover = RGB(0xF0, 0x10, 0x10);
const int kCellWidth = 400, kCellHeight = 300; // 4 x 4 grid on 1600 x 1200
const int kGridWindows = 16;

int PaintCount;
int32_t LastPaintResult;

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        LastPaintResult = WinPaint(window);
        ++PaintCount;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterClasses() {
    static bool done = false;
    if (done) {
        return;
    }
    WNDCLASSA c = {};
    c.lpfnWndProc = TestWindowProc;
    c.hInstance = GetModuleHandleA(nullptr);
    c.hbrBackground = CreateSolidBrush(kBackground);
    c.lpszClassName = "VorlexDisplayTest";
    RegisterClassA(&c);
    c.lpfnWndProc = DefWindowProcA;
    c.hbrBackground = CreateSolidBrush(kCover);
    c.lpszClassName = "VorlexDisplayCover";
    RegisterClassA(&c);
    done = true;
}

// A borderless window whose client area starts at screen (x, y). Windows
// whose pixels are not read stay hidden, so they never cover a grid window.
HWND CreateTestWindow(int x, int y, int width, int height, bool visible = true) {
    RegisterClasses();
    HWND w = CreateWindowExA(0, "VorlexDisplayTest", "", WS_POPUP | (visible ? WS_VISIBLE : 0), x, y, width,
                             height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    UpdateWindow(w);
    Pump();
    return w;
}

// Grid window i, resized to width x height; the only windows given images.
HWND GridWindow(int i, int width, int height) {
    static HWND windows[kGridWindows];
    const int x = i % 4 * kCellWidth, y = i / 4 * kCellHeight;
    if (!windows[i]) {
        windows[i] = CreateTestWindow(x, y, width, height);
    } else {
        SetWindowPos(windows[i], HWND_TOP, x, y, width, height, SWP_NOACTIVATE);
        Pump();
    }
    return windows[i];
}

// Invalidates with erasing and lets the window repaint (WinPaint).
void Repaint(HWND window) {
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    Pump();
}

struct Yuv {
    std::vector<uint8_t> y;
    std::vector<int8_t> u, v;
    Yuv(uint32_t code, uint32_t w, uint32_t h, std::mt19937& rng)
        : y(size_t(w) * h), u(ChromaPlaneBytes(code, w, h)), v(u.size()) {
        FillRandom(y.data(), y.size(), rng);
        FillRandom(reinterpret_cast<uint8_t*>(u.data()), u.size(), rng);
        FillRandom(reinterpret_cast<uint8_t*>(v.data()), v.size(), rng);
    }
};

std::vector<uint8_t> Converted(uint32_t code, uint32_t w, uint32_t h, const Yuv& f) {
    std::vector<uint8_t> image(54 + size_t(3) * w * h);
    ConvertYUV2Bitmap(code, w, h, f.y.data(), f.u.data(), f.v.data(), image.data());
    return image;
}

std::vector<uint8_t> PixelsOf(const std::vector<uint8_t>& image) {
    return std::vector<uint8_t>(image.begin() + 54, image.end());
}

// An 8-bit image with a distinct colour per index and random indices; biClrUsed 0.
std::vector<uint8_t> EightBitImage(int w, int h, std::mt19937& rng) {
    std::vector<uint8_t> image(1078 + size_t(w) * h);
    WriteBmpHeaders(image.data(), w, h, 8);
    for (int i = 0; i < 256; ++i) {
        image[54 + 4 * i] = uint8_t(i);             // blue
        image[54 + 4 * i + 1] = uint8_t(255 - i);   // green
        image[54 + 4 * i + 2] = uint8_t(i * 7 + 3); // red
    }
    FillRandom(image.data() + 1078, size_t(w) * h, rng);
    return image;
}

std::vector<uint8_t> ThroughColourTable(const std::vector<uint8_t>& image, int w, int h) {
    std::vector<uint8_t> pixels(3 * size_t(w) * h);
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        const uint8_t* entry = &image[54 + 4 * image[1078 + i]];
        memcpy(&pixels[3 * i], entry, 3);
    }
    return pixels;
}

uint32_t ClrUsed(const uint8_t* image) {
    uint32_t v;
    memcpy(&v, image + 46, 4);
    return v;
}

// Puts a complete bitmap file in place as the window's stored image; the
// window is invalidated, and its next paint draws it.
uint8_t* StoreImage(HWND window, const std::vector<uint8_t>& image) {
    EXPECT_NE(DisplayBMP(window, image.data()), 0);
    EXPECT_GE(GetBitmapSize(window), image.size());
    uint8_t* stored = GetBitmap(window);
    if (stored) {
        EXPECT_EQ(memcmp(stored, image.data(), image.size()), 0) << "stored unchanged";
    }
    return stored;
}

TEST(BeforeAnyImage, WinPaintDrawsNothingAndEndsThePaint) {
    HWND window = GridWindow(0, 64, 32);
    HWND other = GridWindow(15, 64, 32);
    PaintCount = 0;
    Repaint(window);
    EXPECT_EQ(PaintCount, 1);
    EXPECT_NE(LastPaintResult, 0);
    RECT update;
    EXPECT_FALSE(GetUpdateRect(window, &update, FALSE)) << "the update region is validated";
    EXPECT_TRUE(ShowsWithin(window, 64, 32, Solid(64, 32, kBackground), 200));

    // Once one window shows an image, a window without one still draws nothing.
    std::mt19937 rng(2);
    Yuv frame(TYPE_YUV420, 64, 32, rng);
    ASSERT_EQ(DisplayYUVimage(window, TYPE_YUV420, 64, 32, frame.y.data(), frame.u.data(), frame.v.data()), 1);
    PaintCount = 0;
    Repaint(other);
    EXPECT_EQ(PaintCount, 1);
    EXPECT_NE(LastPaintResult, 0);
    EXPECT_EQ(GetBitmap(other), nullptr);
    EXPECT_TRUE(ShowsWithin(other, 64, 32, Solid(64, 32, kBackground), 200));
}

TEST(DisplayYUVimage, WidthThatIsNotAMultipleOf4IsStoredButNotDrawnPastItsBuffer) {
    // Unpadded rows of 3 x 6 bytes: the platform would read rows of 20 bytes,
    // past the 54 + 36-byte image. Nothing is drawn; nothing crashes. (Runs
    // while window 5 has no larger buffer from an earlier image.)
    std::mt19937 rng(9);
    HWND window = GridWindow(5, 8, 2);
    Yuv frame(TYPE_YUV444, 6, 2, rng);
    Repaint(window);
    EXPECT_EQ(DisplayYUVimage(window, TYPE_YUV444, 6, 2, frame.y.data(), frame.u.data(), frame.v.data()), 1);
    Repaint(window);
    EXPECT_TRUE(ShowsWithin(window, 8, 2, Solid(8, 2, kBackground), 200));
}

TEST(DisplayYUVimage, ShowsEveryCodeExactlyAsConverted) {
    std::mt19937 rng(3);
    const uint32_t w = 176, h = 144;
    HWND window = GridWindow(0, w, h);
    for (uint32_t code : kYuvCodes) {
        Yuv frame(code, w, h, rng);
        const std::vector<uint8_t> image = Converted(code, w, h, frame);
        EXPECT_EQ(DisplayYUVimage(window, code, w, h, frame.y.data(), frame.u.data(), frame.v.data()), 1);
        ASSERT_NE(GetBitmap(window), nullptr);
        EXPECT_EQ(memcmp(GetBitmap(window), image.data(), image.size()), 0) << code;
        EXPECT_TRUE(ShowsWithin(window, w, h, PixelsOf(image))) << code;
    }
}

TEST(WinPaint, RestoresTheImageAfterCoverAndInvalidation) {
    std::mt19937 rng(4);
    const uint32_t w = 176, h = 144;
    HWND window = GridWindow(1, w, h);
    Yuv frame(TYPE_YUV420, w, h, rng);
    const std::vector<uint8_t> pixels = PixelsOf(Converted(TYPE_YUV420, w, h, frame));
    ASSERT_EQ(DisplayYUVimage(window, TYPE_YUV420, w, h, frame.y.data(), frame.u.data(), frame.v.data()), 1);
    ASSERT_TRUE(ShowsWithin(window, w, h, pixels));

    RECT r;
    GetWindowRect(window, &r);
    HWND cover = CreateWindowExA(WS_EX_TOPMOST, "VorlexDisplayCover", "", WS_POPUP | WS_VISIBLE, r.left,
                                 r.top, w, h, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    UpdateWindow(cover);
    ASSERT_TRUE(ShowsWithin(window, w, h, Solid(w, h, kCover)));
    DestroyWindow(cover);
    // Wine puts an uncovered window back from its own copy of the window's
    // pixels, without a paint message; the invalidation below makes one.
    EXPECT_TRUE(ShowsWithin(window, w, h, pixels)) << "uncovered";

    // The paint erases the background first: only WinPaint can bring the
    // picture back.
    PaintCount = 0;
    Repaint(window);
    EXPECT_EQ(PaintCount, 1);
    EXPECT_NE(LastPaintResult, 0);
    EXPECT_TRUE(ShowsWithin(window, w, h, pixels)) << "invalidated";

    // WinPaintEx draws into a device context the caller holds.
    HDC dc = GetDC(window);
    RECT all = {0, 0, LONG(w), LONG(h)};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    WinPaintEx(window, dc);
    ReleaseDC(window, dc);
    EXPECT_TRUE(ShowsWithin(window, w, h, pixels)) << "WinPaintEx";
}

TEST(WinPaint, EightBitImagePaintsThroughItsPaletteAndRecordsItsColourCount) {
    std::mt19937 rng(5);
    const int w = 64, h = 48;
    HWND window = GridWindow(3, w, h);
    const std::vector<uint8_t> image = EightBitImage(w, h, rng);
    uint8_t* stored = StoreImage(window, image);
    ASSERT_NE(stored, nullptr);
    ASSERT_EQ(ClrUsed(stored), 0u);
    Repaint(window);
    EXPECT_EQ(ClrUsed(stored), 256u);
    EXPECT_TRUE(ShowsWithin(window, w, h, ThroughColourTable(image, w, h)));

    // A header that is not the 40-byte kind is never drawn.
    const uint32_t v5 = 108;
    memcpy(stored + 14, &v5, 4);
    Repaint(window);
    EXPECT_TRUE(ShowsWithin(window, w, h, Solid(w, h, kBackground)));
}

TEST(DisplayYUVimage2, ShowsEveryCodeAtDoubleSizeAsTheIndependentComputation) {
    std::mt19937 rng(6);
    const uint32_t w = 176, h = 144;
    HWND window = GridWindow(2, 2 * w, 2 * h);
    for (uint32_t code : kYuvCodes) {
        Yuv frame(code, w, h, rng);
        const std::vector<uint8_t> expected =
            ReferenceDoubleSizeImage(code, w, h, frame.y.data(), frame.u.data(), frame.v.data());
        EXPECT_EQ(DisplayYUVimage2(window, code, w, h, frame.y.data(), frame.u.data(), frame.v.data()), 1);
        ASSERT_NE(GetBitmap(window), nullptr);
        EXPECT_EQ(memcmp(GetBitmap(window), expected.data(), expected.size()), 0) << code;
        EXPECT_TRUE(ShowsWithin(window, 2 * w, 2 * h, PixelsOf(expected))) << code;
    }
    // Refused sizes change nothing: the last image stays.
    const std::vector<uint8_t> before(GetBitmap(window), GetBitmap(window) + 54);
    Yuv small(TYPE_YUV420, 4, 2, rng);
    EXPECT_EQ(DisplayYUVimage2(window, TYPE_YUV420, 4, 2, small.y.data(), small.u.data(), small.v.data()), 0);
    EXPECT_EQ(std::vector<uint8_t>(GetBitmap(window), GetBitmap(window) + 54), before);
}

TEST(BitmapStore, GrowsReusesAndReportsTheBufferSize) {
    std::mt19937 rng(7);
    HWND window = GridWindow(4, 352, 288);
    Yuv qcif(TYPE_YUV420, 176, 144, rng), small(TYPE_YUV420, 88, 72, rng), cif(TYPE_YUV420, 352, 288, rng);
    ASSERT_EQ(DisplayYUVimage(window, TYPE_YUV420, 176, 144, qcif.y.data(), qcif.u.data(), qcif.v.data()), 1);
    uint8_t* first = GetBitmap(window);
    EXPECT_EQ(GetBitmapSize(window), 76086u);

    // A smaller image reuses the buffer; the painted size follows its headers.
    ASSERT_EQ(DisplayYUVimage(window, TYPE_YUV420, 88, 72, small.y.data(), small.u.data(), small.v.data()), 1);
    EXPECT_EQ(GetBitmap(window), first);
    EXPECT_EQ(GetBitmapSize(window), 76086u);
    Repaint(window);
    EXPECT_TRUE(ShowsWithin(window, 88, 72, PixelsOf(Converted(TYPE_YUV420, 88, 72, small))));

    ASSERT_EQ(DisplayYUVimage(window, TYPE_YUV420, 352, 288, cif.y.data(), cif.u.data(), cif.v.data()), 1);
    EXPECT_EQ(GetBitmapSize(window), 304182u);
    EXPECT_TRUE(ShowsWithin(window, 352, 288, PixelsOf(Converted(TYPE_YUV420, 352, 288, cif))));
}

TEST(BitmapStore, SixteenWindowsHoldImagesAndASeventeenthGetsNone) {
    std::mt19937 rng(8);
    Yuv frame(TYPE_YUV444, 16, 8, rng);
    auto show = [&](HWND window) {
        return DisplayYUVimage(window, TYPE_YUV444, 16, 8, frame.y.data(), frame.u.data(), frame.v.data());
    };
    for (int i = 0; i < kGridWindows; ++i) {
        EXPECT_EQ(show(GridWindow(i, 16, 8)), 1) << i;
    }
    HWND seventeenth = CreateTestWindow(0, 0, 16, 8, false);
    EXPECT_EQ(show(seventeenth), 0);
    EXPECT_EQ(GetBitmap(seventeenth), nullptr);
    EXPECT_EQ(GetBitmapSize(seventeenth), 0u);
    EXPECT_EQ(DisplayYUVimage2(seventeenth, TYPE_YUV444, 16, 8, frame.y.data(), frame.u.data(), frame.v.data()),
              0);
    DestroyWindow(seventeenth);
    for (int i = 0; i < kGridWindows; ++i) {
        EXPECT_EQ(show(GridWindow(i, 16, 8)), 1) << i;
    }
}

// Replaces one import of display.dll with a wrapper: how the test sees every
// palette the library creates and deletes.
void* PatchImport(HMODULE module, const char* dll, const char* name, void* replacement) {
    uint8_t* base = reinterpret_cast<uint8_t*>(module);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (const IMAGE_IMPORT_DESCRIPTOR* d =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
         d->Name; ++d) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + d->Name), dll) != 0) {
            continue;
        }
        const IMAGE_THUNK_DATA* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(
            base + (d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk));
        IMAGE_THUNK_DATA* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            const IMAGE_IMPORT_BY_NAME* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (strcmp(reinterpret_cast<const char*>(byName->Name), name) == 0) {
                DWORD old;
                VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE, &old);
                void* original = reinterpret_cast<void*>(slots->u1.Function);
                slots->u1.Function = reinterpret_cast<DWORD_PTR>(replacement);
                VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), old, &old);
                return original;
            }
        }
    }
    return nullptr;
}

typedef HPALETTE(WINAPI* CreatePaletteFn)(const LOGPALETTE*);
typedef BOOL(WINAPI* DeleteObjectFn)(HGDIOBJ);
CreatePaletteFn RealCreatePalette;
DeleteObjectFn RealDeleteObject;
std::vector<HPALETTE> Created;
std::vector<HGDIOBJ> Deleted;
std::vector<int> CreatedSizes;

HPALETTE WINAPI CountingCreatePalette(const LOGPALETTE* record) {
    HPALETTE p = RealCreatePalette(record);
    Created.push_back(p);
    CreatedSizes.push_back(record->palNumEntries);
    return p;
}

BOOL WINAPI CountingDeleteObject(HGDIOBJ object) {
    Deleted.push_back(object);
    return RealDeleteObject(object);
}

TEST(WinPaint, EveryPaletteCreatedForAPaintIsDeletedAndTheStockOneNever) {
    HMODULE dll = GetModuleHandleA("display.dll");
    RealCreatePalette = reinterpret_cast<CreatePaletteFn>(
        PatchImport(dll, "GDI32.dll", "CreatePalette", reinterpret_cast<void*>(CountingCreatePalette)));
    RealDeleteObject = reinterpret_cast<DeleteObjectFn>(
        PatchImport(dll, "GDI32.dll", "DeleteObject", reinterpret_cast<void*>(CountingDeleteObject)));
    ASSERT_NE(RealCreatePalette, nullptr);
    ASSERT_NE(RealDeleteObject, nullptr);

    std::mt19937 rng(10);
    const int w = 32, h = 16, paints = 40;
    HWND window = GridWindow(6, w, h);
    const std::vector<uint8_t> image = EightBitImage(w, h, rng);
    Created.clear();
    Deleted.clear();
    ASSERT_NE(StoreImage(window, image), nullptr);
    EXPECT_TRUE(Created.empty()) << "storing selects no palette";
    PaintCount = 0;
    for (int i = 0; i < paints; ++i) {
        Repaint(window);
    }
    EXPECT_TRUE(ShowsWithin(window, w, h, ThroughColourTable(image, w, h)));
    EXPECT_GE(PaintCount, paints);
    ASSERT_EQ(Created.size(), size_t(PaintCount)) << "one palette per paint";
    EXPECT_EQ(std::set<HGDIOBJ>(Deleted.begin(), Deleted.end()),
              std::set<HGDIOBJ>(Created.begin(), Created.end()));
    EXPECT_EQ(Deleted.size(), Created.size()) << "each deleted once";
    for (size_t i = 0; i < Created.size(); ++i) {
        EXPECT_EQ(CreatedSizes[i], 256);
        EXPECT_EQ(GetObjectType(Created[i]), 0u) << "palette still exists after its paint";
    }

    // 24-bit images paint with the stock palette, which is never deleted.
    Created.clear();
    Deleted.clear();
    Yuv frame(TYPE_YUV444, w, h, rng);
    ASSERT_EQ(DisplayYUVimage(window, TYPE_YUV444, w, h, frame.y.data(), frame.u.data(), frame.v.data()), 1);
    for (int i = 0; i < 5; ++i) {
        Repaint(window);
    }
    EXPECT_TRUE(Created.empty());
    EXPECT_TRUE(Deleted.empty());
    EXPECT_EQ(GetObjectType(GetStockObject(DEFAULT_PALETTE)), DWORD(OBJ_PAL));

    PatchImport(dll, "GDI32.dll", "CreatePalette", reinterpret_cast<void*>(RealCreatePalette));
    PatchImport(dll, "GDI32.dll", "DeleteObject", reinterpret_cast<void*>(RealDeleteObject));
}

// Committed private memory of the process, from a walk over its address space.
uint64_t CommittedPrivateBytes() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    uint64_t total = 0;
    const uint8_t* p = static_cast<const uint8_t*>(info.lpMinimumApplicationAddress);
    MEMORY_BASIC_INFORMATION m;
    while (p < info.lpMaximumApplicationAddress && VirtualQuery(p, &m, sizeof(m)) == sizeof(m)) {
        if (m.State == MEM_COMMIT && m.Type == MEM_PRIVATE) {
            total += m.RegionSize;
        }
        p = static_cast<const uint8_t*>(m.BaseAddress) + m.RegionSize;
    }
    return total;
}

// A second copy of the library under another name: the one this program is
// linked against cannot be unloaded.
std::string CopyOfLibrary() {
    char path[MAX_PATH];
    GetModuleFileNameA(GetModuleHandleA("display.dll"), path, MAX_PATH);
    std::string copy(path);
    copy.replace(copy.size() - strlen("display.dll"), std::string::npos, "display_unload_test.dll");
    EXPECT_TRUE(CopyFileA(path, copy.c_str(), FALSE));
    return copy;
}

typedef int32_t(WINAPI* DisplayFn)(HWND, uint32_t, uint32_t, uint32_t, const uint8_t*, const int8_t*,
                                   const int8_t*);

TEST(Lifecycle, LoadingAndFreeingTheLibraryLeavesNoMemoryBehind) {
    const std::string copy = CopyOfLibrary();
    std::mt19937 rng(11);
    Yuv frame(TYPE_YUV420, 352, 288, rng);
    HWND window = CreateTestWindow(0, 0, 352, 288, false);
    const uint64_t before = CommittedPrivateBytes();
    for (int cycle = 0; cycle < 3; ++cycle) {
        HMODULE dll = LoadLibraryA(copy.c_str());
        ASSERT_NE(dll, nullptr);
        // The three scratch planes are held while it is loaded.
        EXPECT_GE(CommittedPrivateBytes(), before + 3 * 8294400) << cycle;
        DisplayFn display =
            reinterpret_cast<DisplayFn>(reinterpret_cast<void*>(GetProcAddress(dll, "DisplayYUVimage")));
        DisplayFn display2 =
            reinterpret_cast<DisplayFn>(reinterpret_cast<void*>(GetProcAddress(dll, "DisplayYUVimage2")));
        ASSERT_NE(display, nullptr);
        ASSERT_NE(display2, nullptr);
        EXPECT_EQ(display(window, TYPE_YUV420, 352, 288, frame.y.data(), frame.u.data(), frame.v.data()), 1);
        EXPECT_EQ(display2(window, TYPE_YUV420, 176, 144, frame.y.data(), frame.u.data(), frame.v.data()), 1);
        ASSERT_TRUE(FreeLibrary(dll));
        // Within 1 MB of where it started (heap bookkeeping); a leak of the
        // planes alone would be 24.9 MB per cycle.
        EXPECT_LT(CommittedPrivateBytes(), before + (1 << 20)) << cycle;
    }
    DestroyWindow(window);
    DeleteFileA(copy.c_str());
}

// Takes the heap's memory in 2 MB blocks until none is left, then gives back
// every other block in address order: each free run is then at most one
// block with a remnant smaller than a block on either side, about 6 MB, so
// no 8 MB plane fits, while the loader still finds room for the library.
// Returns the blocks held.
std::vector<void*> FragmentHeap() {
    std::vector<void*> blocks, held;
    blocks.reserve(2048);
    held.reserve(2048);
    for (void* b; blocks.size() < 2048 && (b = malloc(2 << 20)) != nullptr;) {
        blocks.push_back(b);
    }
    std::sort(blocks.begin(), blocks.end());
    for (size_t i = 0; i < blocks.size(); ++i) {
        if (i % 2) {
            free(blocks[i]);
        } else {
            held.push_back(blocks[i]);
        }
    }
    return held;
}

TEST(Lifecycle, LibraryDoesNotLoadWithoutRoomForItsPlanesAndLeavesNothingBehind) {
#if defined(_WIN64)
    // A 64-bit address space cannot be filled here: even reservations alone
    // cost Wine more memory than the machine has. The native store tests
    // cover the failure of each plane.
    GTEST_SKIP() << "needs a 32-bit address space: runs on the 32-bit build only";
#endif
    const std::string copy = CopyOfLibrary();
    const uint64_t before = CommittedPrivateBytes();
    std::vector<void*> held = FragmentHeap();
    void* plane = malloc(8294400);
    const bool roomForPlane = plane != nullptr;
    free(plane);
    SetLastError(0);
    HMODULE dll = LoadLibraryA(copy.c_str());
    const DWORD error = GetLastError();
    for (void* r : held) {
        free(r);
    }
    ASSERT_FALSE(roomForPlane) << "the test could not take the room for a plane away";
    EXPECT_EQ(dll, nullptr);
    EXPECT_EQ(error, DWORD(ERROR_DLL_INIT_FAILED)) << "refused by its entry point";
    if (dll) {
        FreeLibrary(dll);
    }
    EXPECT_LT(CommittedPrivateBytes(), before + (1 << 20));
    // With the room back it loads.
    dll = LoadLibraryA(copy.c_str());
    EXPECT_NE(dll, nullptr);
    if (dll) {
        FreeLibrary(dll);
    }
    DeleteFileA(copy.c_str());
}

} // namespace
