// The real display.dll, linked through its import library and loaded by name:
// its exports have their plain names, its load-time set-up has run, and its
// conversion gives the reference bytes.
#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <vector>

#include "bmp_headers.h"
#include "chroma_geometry.h"
#include "display.h"
#include "test_support.h"

namespace {

TEST(DisplayDll, ExportsUndecoratedNames) {
    HMODULE dll = GetModuleHandleA("display.dll");
    ASSERT_NE(dll, nullptr);
    EXPECT_NE(GetProcAddress(dll, "ConvertYUV2Bitmap"), nullptr);
    EXPECT_EQ(GetProcAddress(dll, "_ConvertYUV2Bitmap@28"), nullptr);
    EXPECT_EQ(GetProcAddress(dll, "ConvertYUV2Bitmap@28"), nullptr);
    EXPECT_NE(GetProcAddress(dll, "ConvertYUV2BitmapMatrix"), nullptr);
    EXPECT_EQ(GetProcAddress(dll, "_ConvertYUV2BitmapMatrix@32"), nullptr);
    EXPECT_EQ(GetProcAddress(dll, "ConvertYUV2BitmapMatrix@32"), nullptr);
}

TEST(DisplayDll, ConvertsEveryCodeAsTheReferenceDoes) {
    std::mt19937 rng(7);
    const uint32_t w = 176, h = 144;
    for (uint32_t code : {TYPE_YUV444, TYPE_YUV422, TYPE_YUV411, TYPE_YUV420}) {
        std::vector<uint8_t> y(w * h), u(ChromaPlaneBytes(code, w, h)), v(u.size());
        FillRandom(y.data(), y.size(), rng);
        FillRandom(u.data(), u.size(), rng);
        FillRandom(v.data(), v.size(), rng);
        std::vector<uint8_t> image(54 + 3 * w * h, 0), expected(image.size(), 0);
        ConvertYUV2Bitmap(code, w, h, y.data(), reinterpret_cast<int8_t*>(u.data()),
                          reinterpret_cast<int8_t*>(v.data()), image.data());
        WriteBmpHeaders(expected.data(), w, h, 24);
        ReferencePixelRows(code, w, h, y.data(), reinterpret_cast<int8_t*>(u.data()),
                           reinterpret_cast<int8_t*>(v.data()), expected.data() + 54);
        EXPECT_EQ(image, expected) << code;
    }
}

// Each colour matrix through the export found by its plain name, on a frame
// wide enough for every vector kernel, against the per-pixel reference.
TEST(DisplayDll, ConvertsWithEveryColourMatrixAsTheReferenceDoes) {
    HMODULE dll = GetModuleHandleA("display.dll");
    ASSERT_NE(dll, nullptr);
    typedef int32_t(WINAPI * ConvertFn)(uint32_t, uint32_t, uint32_t, const uint8_t*, const int8_t*,
                                        const int8_t*, uint32_t, uint8_t*);
    ConvertFn convert =
        reinterpret_cast<ConvertFn>(reinterpret_cast<void*>(GetProcAddress(dll, "ConvertYUV2BitmapMatrix")));
    ASSERT_NE(convert, nullptr);
    std::mt19937 rng(8);
    const uint32_t w = 72, h = 6;
    for (uint32_t code : {TYPE_YUV444, TYPE_YUV420}) {
        std::vector<uint8_t> y(w * h), u(ChromaPlaneBytes(code, w, h)), v(u.size());
        FillRandom(y.data(), y.size(), rng);
        FillRandom(u.data(), u.size(), rng);
        FillRandom(v.data(), v.size(), rng);
        for (uint32_t matrix = MATRIX_LIBRARY; matrix <= MATRIX_BT2020_FULL; ++matrix) {
            std::vector<uint8_t> image(54 + 3 * w * h, 0), expected(image.size(), 0);
            EXPECT_EQ(convert(code, w, h, y.data(), reinterpret_cast<int8_t*>(u.data()),
                              reinterpret_cast<int8_t*>(v.data()), matrix, image.data()),
                      1);
            WriteBmpHeaders(expected.data(), w, h, 24);
            ReferencePixelRows(code, w, h, y.data(), reinterpret_cast<int8_t*>(u.data()),
                               reinterpret_cast<int8_t*>(v.data()), expected.data() + 54, matrix);
            EXPECT_EQ(image, expected) << "code " << code << " matrix " << matrix;
        }
    }
}

TEST(DisplayDll, LoadsByNameAndConvertsThroughGetProcAddress) {
    HMODULE dll = LoadLibraryA("display.dll");
    ASSERT_NE(dll, nullptr);
    typedef void(WINAPI * ConvertFn)(uint32_t, uint32_t, uint32_t, const uint8_t*, const int8_t*,
                                     const int8_t*, uint8_t*);
    ConvertFn convert =
        reinterpret_cast<ConvertFn>(reinterpret_cast<void*>(GetProcAddress(dll, "ConvertYUV2Bitmap")));
    ASSERT_NE(convert, nullptr);
    const uint8_t y[4] = {128, 128, 128, 128};
    const int8_t u[4] = {0, 0, 0, 0}, v[4] = {127, 127, 127, 127};
    uint8_t image[66];
    convert(TYPE_YUV444, 4, 1, y, u, v, image);
    EXPECT_EQ(image[54], 149);
    EXPECT_EQ(image[55], 59);
    EXPECT_EQ(image[56], 255);
    FreeLibrary(dll);
}

} // namespace
