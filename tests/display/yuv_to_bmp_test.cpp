#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <bitset>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "bmp_headers.h"
#include "chroma_geometry.h"
#include "conversion_paths.h"
#include "conversion_tables.h"
#include "display.h"
#include "kernel_choice.h"
#include "test_support.h"
#include "yuv_rows.h"

namespace {

const uint32_t kYuvCodes[] = {TYPE_YUV444, TYPE_YUV422, TYPE_YUV411, TYPE_YUV420};

// A frame in buffers that fault on a read past any plane, and a destination
// that faults on a write past its 54 + 3wh bytes.
struct Frame {
    uint32_t code, w, h;
    GuardedBuffer y, u, v;

    Frame(uint32_t code_, uint32_t w_, uint32_t h_)
        : code(code_), w(w_), h(h_), y(size_t{w_} * h_), u(ChromaPlaneBytes(code_, w_, h_)),
          v(ChromaPlaneBytes(code_, w_, h_)) {}

    void Randomise(std::mt19937& rng) {
        FillRandom(y.data(), y.size(), rng);
        FillRandom(u.data(), u.size(), rng);
        FillRandom(v.data(), v.size(), rng);
    }
    size_t ImageSize() const { return 54 + size_t{3} * w * h; }

    // Converts on the chosen path into a destination pre-filled with `fill`.
    std::vector<uint8_t> Convert(ConversionPath path, uint8_t fill) { return Convert(path, fill, code); }
    std::vector<uint8_t> Convert(ConversionPath path, uint8_t fill, uint32_t type) {
        GuardedBuffer out(ImageSize());
        memset(out.data(), fill, out.size());
        {
            PathSelection selection(path);
            ConvertYUV2Bitmap(type, w, h, y.data(), u.signedData(), v.signedData(), out.data());
        }
        return std::vector<uint8_t>(out.data(), out.data() + out.size());
    }

    // The same with a colour matrix; `result` receives the return value.
    std::vector<uint8_t> ConvertMatrix(ConversionPath path, uint8_t fill, uint32_t matrix,
                                       int32_t* result = nullptr) {
        GuardedBuffer out(ImageSize());
        memset(out.data(), fill, out.size());
        int32_t r = 0;
        {
            PathSelection selection(path);
            r = ConvertYUV2BitmapMatrix(code, w, h, y.data(), u.signedData(), v.signedData(), matrix, out.data());
        }
        if (result) {
            *result = r;
        }
        return std::vector<uint8_t>(out.data(), out.data() + out.size());
    }

    std::vector<uint8_t> Expected(uint8_t fill) {
        std::vector<uint8_t> image(ImageSize(), fill);
        WriteBmpHeaders(image.data(), w, h, 24);
        ReferencePixelRows(code, w, h, y.data(), u.signedData(), v.signedData(), image.data() + 54);
        return image;
    }
};

// First differing byte, for readable failures on large images.
::testing::AssertionResult SameBytes(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size()) {
        return ::testing::AssertionFailure() << "sizes " << a.size() << " and " << b.size();
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            return ::testing::AssertionFailure()
                   << "first difference at byte " << i << ": " << int(a[i]) << " and " << int(b[i]);
        }
    }
    return ::testing::AssertionSuccess();
}

using ConvertYuv = EveryPath;
INSTANTIATE_FOR_EVERY_PATH(ConvertYuv);

TEST_P(ConvertYuv, WorkedPixels) {
    const struct {
        uint8_t y;
        int8_t u, v;
        Bgr bgr;
    } cases[] = {
        {0, 0, 0, {0, 0, 0}},           {16, 0, 0, {18, 18, 18}},     {128, 0, 0, {149, 149, 149}},
        {219, 0, 0, {255, 255, 255}},   {235, 0, 0, {255, 255, 255}}, {128, 0, 127, {149, 59, 255}},
        {100, -50, 30, {28, 112, 158}}, {0, -128, -128, {0, 135, 0}}, {255, 127, 127, {255, 163, 255}},
    };
    for (const auto& c : cases) {
        Frame f(TYPE_YUV444, 4, 1);
        memset(f.y.data(), c.y, 4);
        memset(f.u.data(), static_cast<uint8_t>(c.u), 4);
        memset(f.v.data(), static_cast<uint8_t>(c.v), 4);
        const std::vector<uint8_t> image = f.Convert(GetParam(), 0xAA);
        ASSERT_EQ(image.size(), 66u); // one group: 12 bytes after the headers
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(image[54 + 3 * x], c.bgr.b) << int(c.y) << " " << int(c.u) << " " << int(c.v);
            EXPECT_EQ(image[55 + 3 * x], c.bgr.g) << int(c.y) << " " << int(c.u) << " " << int(c.v);
            EXPECT_EQ(image[56 + 3 * x], c.bgr.r) << int(c.y) << " " << int(c.u) << " " << int(c.v);
        }
    }
}

// Every code, sizes from one group up, including odd heights and rows whose
// groups are no multiple of a vector block (4, 8 or 16 groups); each frame is
// compared with the per-pixel reference, and a byte left unwritten would show
// as the fill.
TEST_P(ConvertYuv, MatchesTheReferenceForEveryCode) {
    const struct {
        uint32_t w, h;
    } sizes[] = {{4, 1},  {4, 2},  {8, 2},  {12, 5},    {16, 7},   {20, 3},
                 {36, 4}, {60, 6}, {92, 2}, {176, 144}, {352, 289}};
    std::mt19937 rng(1);
    for (uint32_t code : kYuvCodes) {
        for (const auto& s : sizes) {
            Frame f(code, s.w, s.h);
            f.Randomise(rng);
            EXPECT_TRUE(SameBytes(f.Convert(GetParam(), 0x5A), f.Expected(0x5A)))
                << "code " << code << " " << s.w << "x" << s.h;
        }
    }
}

// Uniform luma and a distinct value in every chroma sample: pixels have the
// same colour exactly when they share a chroma sample.
TEST_P(ConvertYuv, ChromaSharing) {
    for (uint32_t code : kYuvCodes) {
        Frame f(code, 8, 4);
        memset(f.y.data(), 128, f.y.size());
        for (size_t i = 0; i < f.u.size(); ++i) {
            f.u.data()[i] = static_cast<uint8_t>(i * 7 - 60);
            f.v.data()[i] = static_cast<uint8_t>(100 - i * 11);
        }
        const std::vector<uint8_t> image = f.Convert(GetParam(), 0);
        auto pixel = [&](uint32_t x, uint32_t r) {
            const uint8_t* p = &image[54 + (3 - r) * 24 + 3 * x];
            return (p[0] << 16) | (p[1] << 8) | p[2];
        };
        for (uint32_t r = 0; r < 4; ++r) {
            for (uint32_t x = 0; x < 8; ++x) {
                for (uint32_t r2 = 0; r2 < 4; ++r2) {
                    for (uint32_t x2 = 0; x2 < 8; ++x2) {
                        const bool shared = ChromaIndex(code, 8, x, r) == ChromaIndex(code, 8, x2, r2);
                        EXPECT_EQ(pixel(x, r) == pixel(x2, r2), shared)
                            << "code " << code << " (" << x << "," << r << ") (" << x2 << "," << r2 << ")";
                    }
                }
            }
        }
        if (code == TYPE_YUV411) {
            EXPECT_EQ(pixel(0, 0), pixel(3, 0));
            EXPECT_NE(pixel(0, 0), pixel(0, 1)); // every row has its own chroma row
        }
        if (code == TYPE_YUV420) {
            EXPECT_EQ(pixel(1, 1), pixel(0, 0));
            EXPECT_NE(pixel(0, 2), pixel(0, 0)); // first sample of the second chroma row
        }
    }
}

TEST_P(ConvertYuv, RowsAreStoredBottomUp) {
    Frame f(TYPE_YUV444, 4, 2);
    memset(f.u.data(), 0, f.u.size());
    memset(f.v.data(), 0, f.v.size());
    memset(f.y.data(), 0, 4);       // top row black
    memset(f.y.data() + 4, 219, 4); // bottom row white
    const std::vector<uint8_t> image = f.Convert(GetParam(), 0x11);
    EXPECT_EQ(image[54], 255); // first stored row: the bottom picture row
    EXPECT_EQ(image[54 + 12], 0);
}

TEST_P(ConvertYuv, OddHeightLeavesTheFirstStoredRowOf420) {
    Frame f(TYPE_YUV420, 8, 5);
    std::mt19937 rng(5);
    f.Randomise(rng);
    const std::vector<uint8_t> image = f.Convert(GetParam(), 0xAB);
    for (size_t i = 54; i < 54 + 24; ++i) {
        ASSERT_EQ(image[i], 0xAB) << i;
    }
    // Picture rows 0 to 3 land in stored rows 4 to 1.
    EXPECT_TRUE(SameBytes(image, f.Expected(0xAB)));
}

TEST_P(ConvertYuv, HeadersOnlyWhenThereIsNoWholeGroupOrRowPair) {
    const struct {
        uint32_t code, w, h;
    } cases[] = {{TYPE_YUV444, 3, 4}, {TYPE_YUV422, 2, 4}, {TYPE_YUV411, 1, 1},
                 {TYPE_YUV420, 0, 4}, {TYPE_YUV444, 8, 0}, {TYPE_YUV420, 8, 1}};
    for (const auto& c : cases) {
        const size_t chroma = c.w * c.h + 8;
        std::vector<uint8_t> y(c.w * c.h + 8, 1), u(chroma, 2), v(chroma, 3);
        std::vector<uint8_t> image(54 + 3 * c.w * c.h + 16, 0x77);
        PathSelection selection(GetParam());
        ConvertYUV2Bitmap(c.code, c.w, c.h, y.data(), reinterpret_cast<int8_t*>(u.data()),
                          reinterpret_cast<int8_t*>(v.data()), image.data());
        std::vector<uint8_t> expected(image.size(), 0x77);
        WriteBmpHeaders(expected.data(), c.w, c.h, 24);
        EXPECT_EQ(image, expected) << c.code << " " << c.w << "x" << c.h;
    }
}

TEST_P(ConvertYuv, OtherCodesGetTheHeadersOnly) {
    for (uint32_t type : {0u, 1u, 2u, 3u, 99u, 104u, 105u, 255u, 0x100u + 3u}) {
        Frame f(TYPE_YUV444, 8, 2);
        std::mt19937 rng(type);
        f.Randomise(rng);
        const std::vector<uint8_t> image = f.Convert(GetParam(), 0x3C, type);
        std::vector<uint8_t> expected(f.ImageSize(), 0x3C);
        WriteBmpHeaders(expected.data(), 8, 2, 24);
        EXPECT_EQ(image, expected) << type;
    }
}

TEST_P(ConvertYuv, OnlyTheLowBitsOfTypeAndSizesCount) {
    Frame f(TYPE_YUV422, 8, 4);
    std::mt19937 rng(9);
    f.Randomise(rng);
    GuardedBuffer out(f.ImageSize());
    PathSelection selection(GetParam());
    ConvertYUV2Bitmap(0xABCD00 | TYPE_YUV422, 0x10000 | 8, 0xFFFF0000u | 4, f.y.data(), f.u.signedData(),
                      f.v.signedData(), out.data());
    EXPECT_TRUE(SameBytes(std::vector<uint8_t>(out.data(), out.data() + out.size()), f.Expected(0)));
}

// Whole groups only: at width 6 one group per row is converted, every plane
// moves by what that group consumed, and the last two pixels of each stored
// row are left as they were.
TEST_P(ConvertYuv, WidthNotAMultipleOfFourConvertsWholeGroups) {
    const uint32_t w = 6, h = 2;
    std::vector<uint8_t> y(w * h), u(w * h), v(w * h);
    for (size_t i = 0; i < y.size(); ++i) {
        y[i] = static_cast<uint8_t>(20 * i + 5);
        u[i] = static_cast<uint8_t>(9 * i);
        v[i] = static_cast<uint8_t>(250 - 13 * i);
    }
    std::vector<uint8_t> image(54 + 3 * w * h, 0x99);
    PathSelection selection(GetParam());
    ConvertYUV2Bitmap(TYPE_YUV444, w, h, y.data(), reinterpret_cast<int8_t*>(u.data()),
                      reinterpret_cast<int8_t*>(v.data()), image.data());
    for (uint32_t r = 0; r < h; ++r) {
        const uint8_t* row = &image[54 + (h - 1 - r) * 3 * w];
        for (uint32_t x = 0; x < 4; ++x) {
            const size_t i = r * 4 + x; // the planes advanced by 4 samples per row
            const Bgr p = ReferencePixel(y[i], static_cast<int8_t>(u[i]), static_cast<int8_t>(v[i]));
            EXPECT_EQ(row[3 * x], p.b);
            EXPECT_EQ(row[3 * x + 1], p.g);
            EXPECT_EQ(row[3 * x + 2], p.r);
        }
        for (uint32_t i = 12; i < 18; ++i) {
            EXPECT_EQ(row[i], 0x99);
        }
    }
}

// A QCIF 4:2:0 frame reads exactly 25344 luma and 6336 bytes of each chroma
// plane (the guarded planes fault on more) and writes all 76086 bytes.
TEST_P(ConvertYuv, Qcif420ReadsAndWritesExactly) {
    Frame f(TYPE_YUV420, 176, 144);
    ASSERT_EQ(f.y.size(), 25344u);
    ASSERT_EQ(f.u.size(), 6336u);
    std::mt19937 rng(3);
    f.Randomise(rng);
    const std::vector<uint8_t> a = f.Convert(GetParam(), 0x00);
    const std::vector<uint8_t> b = f.Convert(GetParam(), 0xFF);
    ASSERT_EQ(a.size(), 76086u);
    EXPECT_TRUE(SameBytes(a, b));
}

// Frames in which every (Y, U, V) of 256 x 256 x 256 occurs, for one V value.
void BuildExhaustiveFrame(Frame& f, int vValue) {
    const uint32_t w = f.w;
    for (uint32_t r = 0; r < f.h; ++r) {
        for (uint32_t x = 0; x < w; ++x) {
            // Pixels sharing a chroma sample get different luma; over the rows
            // every luma value meets every chroma sample.
            uint32_t yv = 0;
            switch (f.code) {
            case TYPE_YUV444: yv = r; break;
            case TYPE_YUV422: yv = 2 * r + (x & 1); break;
            case TYPE_YUV411: yv = 4 * r + (x & 3); break;
            default: yv = 2 * r + (x & 1); break;
            }
            f.y.data()[size_t{r} * w + x] = static_cast<uint8_t>(yv);
        }
    }
    const size_t perRow = ChromaPlaneWidth(f.code, w);
    for (size_t i = 0; i < f.u.size(); ++i) {
        f.u.data()[i] = static_cast<uint8_t>(i % perRow);
        f.v.data()[i] = static_cast<uint8_t>(vValue);
    }
}

// The frame sizes in which BuildExhaustiveFrame's 256 frames cover every
// triple of each code.
const struct ExhaustiveShape {
    uint32_t code, w, h;
} kExhaustiveShapes[] = {
    {TYPE_YUV444, 256, 256}, {TYPE_YUV422, 512, 128}, {TYPE_YUV411, 1024, 64}, {TYPE_YUV420, 512, 256}};

// Every path against the scalar one: the MMX path and the vector paths that
// this processor runs.
TEST(AllPaths, AgreeOnEveryYuvTripleForEveryCode) {
    for (const ExhaustiveShape& s : kExhaustiveShapes) {
        Frame f(s.code, s.w, s.h);
        auto seen = std::make_unique<std::bitset<1 << 24>>();
        for (int v = 0; v < 256; ++v) {
            BuildExhaustiveFrame(f, v);
            const std::vector<uint8_t> scalar = f.Convert(PATH_SCALAR, 0x00);
            for (ConversionPath path : kAllPaths) {
                if (path != PATH_SCALAR && PathRunsHere(path)) {
                    ASSERT_TRUE(SameBytes(scalar, f.Convert(path, 0xFF)))
                        << PathName(path) << " code " << s.code << " V " << v;
                }
            }
            for (uint32_t r = 0; r < f.h; ++r) {
                for (uint32_t x = 0; x < f.w; ++x) {
                    const size_t c = ChromaIndex(s.code, f.w, x, r);
                    seen->set(size_t{f.y.data()[size_t{r} * f.w + x]} << 16 | size_t{f.u.data()[c]} << 8 |
                              f.v.data()[c]);
                }
            }
        }
        // The frames themselves must cover every triple.
        EXPECT_TRUE(seen->all()) << "code " << s.code << " covers " << seen->count();
    }
}

TEST(AllPaths, AgreeOnRandomFramesOfEveryPresetSize) {
    const struct {
        uint32_t w, h;
    } presets[] = {{128, 96}, {176, 144}, {352, 288}, {704, 576}, {1408, 1152}, {1920, 1088}};
    std::mt19937 rng(42);
    for (uint32_t code : kYuvCodes) {
        for (const auto& p : presets) {
            Frame f(code, p.w, p.h);
            f.Randomise(rng);
            const std::vector<uint8_t> scalar = f.Convert(PATH_SCALAR, 0x00);
            for (ConversionPath path : kAllPaths) {
                if (path != PATH_SCALAR && PathRunsHere(path)) {
                    EXPECT_TRUE(SameBytes(scalar, f.Convert(path, 0xFF)))
                        << PathName(path) << " code " << code << " " << p.w << "x" << p.h;
                }
            }
            EXPECT_TRUE(SameBytes(scalar, f.Expected(0x00))) << "code " << code << " " << p.w << "x" << p.h;
        }
    }
}

// Every standard matrix, every path against its scalar table path, on the
// frames above that cover every triple (limited range adds the luma offset
// and blue factors above 2 to the vector kernels' forms).
TEST(ColourMatrices, EveryPathAgreesOnEveryYuvTripleForEveryCode) {
    for (const ExhaustiveShape& s : kExhaustiveShapes) {
        Frame f(s.code, s.w, s.h);
        // Plain buffers (the guarded ones are for the tests above): the scalar
        // image pre-filled with 0, every other with 0xFF.
        std::vector<uint8_t> scalar(f.ImageSize()), other(f.ImageSize());
        auto convert = [&f](ConversionPath path, uint32_t matrix, std::vector<uint8_t>& out) {
            memset(out.data(), path == PATH_SCALAR ? 0x00 : 0xFF, out.size());
            PathSelection selection(path);
            ConvertYUV2BitmapMatrix(f.code, f.w, f.h, f.y.data(), f.u.signedData(), f.v.signedData(), matrix,
                                    out.data());
        };
        for (int v = 0; v < 256; ++v) {
            BuildExhaustiveFrame(f, v);
            for (uint32_t matrix = MATRIX_BT601_LIMITED; matrix <= MATRIX_BT2020_FULL; ++matrix) {
                convert(PATH_SCALAR, matrix, scalar);
                for (ConversionPath path : kAllPaths) {
                    if (path != PATH_SCALAR && PathRunsHere(path)) {
                        convert(path, matrix, other);
                        ASSERT_TRUE(memcmp(scalar.data(), other.data(), other.size()) == 0 || SameBytes(scalar, other))
                            << PathName(path) << " matrix " << matrix << " code " << s.code << " V " << v;
                    }
                }
            }
        }
    }
}

// Kr and Kb of each standard matrix (codes 1 to 6) and its range.
struct MatrixDefinition {
    double kr, kb;
    bool limited;
};
const MatrixDefinition kMatrices[] = {{0.299, 0.114, true},   {0.299, 0.114, false},
                                      {0.2126, 0.0722, true}, {0.2126, 0.0722, false},
                                      {0.2627, 0.0593, true}, {0.2627, 0.0593, false}};

// Each matrix against the conversion in double precision, rounded: every
// table entry is truncated toward zero, less than 1 away from its product,
// so a sum of two entries (red, blue) ends at most 2 levels from the rounded
// exact value and one of three (green) at most 3. Where the products are
// whole numbers the result is exact: black and white of each range.
TEST(ColourMatrices, WithinTheTruncationBoundOfTheExactConversion) {
    Frame f(TYPE_YUV444, 256, 256);
    for (uint32_t matrix = MATRIX_BT601_LIMITED; matrix <= MATRIX_BT2020_FULL; ++matrix) {
        const MatrixDefinition& d = kMatrices[matrix - 1];
        const double kg = 1 - d.kr - d.kb, luma = d.limited ? 255.0 / 219 : 1,
                     chroma = d.limited ? 255.0 / 224 : 1;
        const double red = 2 * (1 - d.kr) * chroma, blue = 2 * (1 - d.kb) * chroma;
        const double greenU = -2 * d.kb * (1 - d.kb) / kg * chroma, greenV = -2 * d.kr * (1 - d.kr) / kg * chroma;
        auto exact = [](double x) { return static_cast<int>(std::lround(std::min(255.0, std::max(0.0, x)))); };
        int worst[3] = {0, 0, 0};
        for (int v = 0; v < 256; v += 3) { // every Y and U, a third of the V values
            BuildExhaustiveFrame(f, v);
            const std::vector<uint8_t> image = f.ConvertMatrix(PATH_SCALAR, 0, matrix);
            for (size_t i = 0; i < f.y.size(); ++i) {
                const double l = (f.y.data()[i] - (d.limited ? 16 : 0)) * luma;
                // The planes hold signed chroma: byte b is the sample (b ^ 0x80) - 128.
                const int cu = (f.u.data()[i] ^ 0x80) - 128, cv = (v ^ 0x80) - 128;
                // Stored rows are bottom-up; row r of the frame is stored row 255 - r.
                const uint8_t* p = &image[54 + 3 * ((255 - i / 256) * 256 + i % 256)];
                const int diff[3] = {p[0] - exact(l + blue * cu), p[1] - exact(l + greenU * cu + greenV * cv),
                                     p[2] - exact(l + red * cv)};
                for (int c = 0; c < 3; ++c) {
                    worst[c] = std::max(worst[c], std::abs(diff[c]));
                }
            }
        }
        EXPECT_LE(worst[0], 2) << "blue, matrix " << matrix;
        EXPECT_LE(worst[1], 3) << "green, matrix " << matrix;
        EXPECT_LE(worst[2], 2) << "red, matrix " << matrix;

        const struct {
            uint8_t y, level;
        } anchors[] = {{uint8_t(d.limited ? 16 : 0), 0}, {uint8_t(d.limited ? 235 : 255), 255}};
        for (const auto& a : anchors) {
            Frame gray(TYPE_YUV444, 4, 1);
            memset(gray.y.data(), a.y, 4);
            memset(gray.u.data(), 0, 4); // stored 128
            memset(gray.v.data(), 0, 4);
            const std::vector<uint8_t> image = gray.ConvertMatrix(PATH_SCALAR, 0x77, matrix);
            EXPECT_EQ(image,
                      [&] {
                          std::vector<uint8_t> e(66, a.level);
                          WriteBmpHeaders(e.data(), 4, 1, 24);
                          return e;
                      }())
                << "matrix " << matrix << " Y " << int(a.y);
        }
    }
}

// On every path: the library's matrix is ConvertYUV2Bitmap's conversion, a
// code above the last matrix writes nothing, and other types get headers.
TEST(ColourMatrices, LibraryMatrixUnknownMatrixAndOtherTypes) {
    std::mt19937 rng(11);
    for (ConversionPath path : kAllPaths) {
        if (!PathRunsHere(path)) {
            continue;
        }
        for (uint32_t code : kYuvCodes) {
            Frame f(code, 352, 289);
            f.Randomise(rng);
            int32_t result = 0;
            EXPECT_TRUE(SameBytes(f.ConvertMatrix(path, 0x21, MATRIX_LIBRARY, &result), f.Convert(path, 0x21)))
                << PathName(path) << " code " << code;
            EXPECT_EQ(result, 1);
            for (uint32_t matrix : {7u, 0x100u, 0xFFFFFFFFu}) {
                const std::vector<uint8_t> image = f.ConvertMatrix(path, 0x5C, matrix, &result);
                EXPECT_EQ(result, 0) << matrix;
                EXPECT_EQ(image, std::vector<uint8_t>(image.size(), 0x5C)) << matrix;
            }
        }
        Frame f(TYPE_YUV444, 8, 2);
        f.code = TYPE_RGB;
        int32_t result = 0;
        const std::vector<uint8_t> image = f.ConvertMatrix(path, 0x3C, MATRIX_BT709_FULL, &result);
        std::vector<uint8_t> expected(f.ImageSize(), 0x3C);
        WriteBmpHeaders(expected.data(), 8, 2, 24);
        EXPECT_EQ(result, 1);
        EXPECT_EQ(image, expected);
    }
}

// Tables that the fixed-point terms do not reproduce leave every vector level
// on the table path: MMX or scalar as MmxAvailable says.
TEST(AllPaths, UnprovenTermsFallBackToTheTablePaths) {
    Tables.LumaFromY[100] = static_cast<int16_t>(Tables.LumaFromY[100] + 1);
    EXPECT_EQ(DeriveVectorTerms(), 0u);
    for (uint32_t level : {VECTOR_SSE2, VECTOR_SSSE3, VECTOR_AVX2}) {
        PathSelection selection(PATH_SCALAR);
        VectorLevel = level;
        EXPECT_EQ(&ChosenRowKernels(VectorTerms), &ScalarRowKernels) << level;
        MmxAvailable = 1;
        EXPECT_EQ(&ChosenRowKernels(VectorTerms), &MmxRowKernels) << level;
    }
    BuildConversionTables();
    EXPECT_EQ(VectorTerms.proven, 1u);
}

} // namespace
