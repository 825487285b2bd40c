// The images the deferred display path stores (BuildImage, BuildBmpImage,
// BuildBmp24Image): the buffer each requests, the bytes it keeps, and what it
// refuses without touching the store or ImageShown. The window tests show
// such images on the screen.
#include <gtest/gtest.h>
#include <string.h>

#include <random>
#include <vector>

#include "bmp_headers.h"
#include "deferred_image.h"
#include "display.h"
#include "image_sizes.h"
#include "store_fixture.h"
#include "stored_image.h"
#include "test_support.h"

namespace {

using DeferredImageTest = StoreTest;

std::vector<uint8_t> Stored(HWND window) {
    const uint8_t* p = GetBitmap(window);
    return p ? std::vector<uint8_t>(p, p + GetBitmapSize(window)) : std::vector<uint8_t>();
}

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

// Every request is the exact length of the image written: a window's first
// buffer, and every buffer that has to grow, has exactly the requested size,
// so requests in rising order on one window each show in GetBitmapSize.
TEST_F(DeferredImageTest, RequestsExactlyWhatEachImageNeeds) {
    std::mt19937 rng(2);
    const HWND a = FakeWindow(0), b = FakeWindow(1);

    // BuildBmp24Image 3 x 2: headers plus two rows of 9 bytes padded to 12.
    std::vector<uint8_t> rows(24);
    FillRandom(rows.data(), rows.size(), rng);
    GuardedCopy pixels(rows);
    EXPECT_NE(BuildBmp24Image(a, 3, 2, pixels.get()), nullptr);
    EXPECT_EQ(ImageShown, 1u);
    std::vector<uint8_t> expected(78);
    WriteBmpHeaders(expected.data(), 3, 2, 24);
    memcpy(&expected[54], rows.data(), rows.size());
    EXPECT_EQ(Stored(a), expected);

    // A classic bitmap file is copied up to the end of its rows: headers,
    // table and rows (each file ends right there, in a guarded buffer).
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
        GuardedCopy data(file);
        EXPECT_NE(BuildBmpImage(c.window, data.get()), nullptr) << c.length;
        EXPECT_EQ(Stored(c.window), file) << c.length;
        if (c.length == 102) {
            // The MMP case fits between: 8 x 2 needs 54 + 48 + 4 = 106.
            std::vector<uint8_t> picture;
            GuardedCopy mmp(RandomMmpFile(8, 2, rng, &picture));
            ASSERT_NE(BuildImage(a, TYPE_MMP, 0, 0, mmp.get()), nullptr);
            EXPECT_EQ(GetBitmapSize(a), 106u);
            EXPECT_EQ(memcmp(GetBitmap(a) + 54, picture.data(), picture.size()), 0);
        }
    }

    // The 4 x 2 gray plane: 1078 + 8 bytes, and 4 more requested.
    GuardedCopy gray({0x00, 0x40, 0x80, 0xFF, 0x10, 0x20, 0x30, 0x40});
    EXPECT_NE(BuildImage(a, TYPE_GRAY, 4, 2, gray.get()), nullptr);
    EXPECT_EQ(GetBitmapSize(a), 1090u);

    // RGB and BGR: padded 24-bit rows, exactly, blue-green-red and bottom-up
    // (the top-left pixel in the last row).
    std::vector<uint8_t> rgb(3 * 5 * 3);
    FillRandom(rgb.data(), rgb.size(), rng);
    GuardedCopy rgbData(rgb);
    const uint8_t* image = BuildImage(FakeWindow(2), TYPE_RGB, 5, 3, rgbData.get());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(GetBitmapSize(FakeWindow(2)), 54u + 3 * 16);
    EXPECT_EQ(std::vector<uint8_t>(image + 54 + 2 * 16, image + 54 + 2 * 16 + 3),
              std::vector<uint8_t>({rgb[2], rgb[1], rgb[0]}));
    image = BuildImage(FakeWindow(3), TYPE_BGR, 6, 1, rgbData.get());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(GetBitmapSize(FakeWindow(3)), 54u + 20);
    EXPECT_EQ(memcmp(image + 54, rgb.data(), 18), 0);
}

// Types it does not show, data that is not a bitmap, and sizes whose images
// cannot be described (over 65535) or whose length does not fit 32 bits:
// null, nothing requested, no slot taken, the stored image and ImageShown as
// they were. Only the low 8 bits of the type count.
TEST_F(DeferredImageTest, RefusedCallsChangeNothing) {
    alloc.failAbove = 1u << 16; // a size wrongly accepted shows as a request
    std::mt19937 rng(3);
    const int w = 13, h = 7;
    std::vector<uint8_t> pixels(3 * w * h);
    FillRandom(pixels.data(), pixels.size(), rng);
    std::vector<uint8_t> notBitmap = ClassicBmp(w, h, 24, 0, rng);
    notBitmap[1] = 'A'; // "BA"
    std::vector<uint8_t> huge(54);
    WriteBmpHeaders(huge.data(), 1, 1, 24);
    const uint8_t largest[4] = {0xFF, 0xFF, 0xFF, 0x7F};
    memcpy(&huge[18], largest, 4); // 0x7FFFFFFF x 0x7FFFFFFF
    memcpy(&huge[22], largest, 4);
    const uint8_t pixel[4] = {1, 2, 3, 4};
    const uint32_t types[] = {0, TYPE_YUV444, TYPE_YUV422, TYPE_YUV411, TYPE_YUV420,
                              4, 99,          106,         255,         0x100 | TYPE_YUV411};

    const HWND window = FakeWindow(0), fresh = FakeWindow(1);
    ASSERT_NE(BuildImage(window, TYPE_RGB, w, h, pixels.data()), nullptr);
    ImageShown = 0;
    const std::vector<uint8_t> before = Stored(window);
    const int allocations = alloc.allocations;
    for (HWND target : {window, fresh}) {
        for (uint32_t type : types) {
            EXPECT_EQ(BuildImage(target, type, w, h, pixels.data()), nullptr) << type;
        }
        EXPECT_EQ(BuildImage(target, TYPE_BMP, 0, 0, notBitmap.data()), nullptr);
        EXPECT_EQ(BuildBmpImage(target, notBitmap.data()), nullptr);
        EXPECT_EQ(BuildBmpImage(target, huge.data()), nullptr);
        EXPECT_EQ(BuildBmp24Image(target, 65536, 1, pixel), nullptr);
        EXPECT_EQ(BuildBmp24Image(target, 1, 65536, pixel), nullptr);
        for (uint32_t type : {TYPE_GRAY, TYPE_RGB, TYPE_BGR}) {
            EXPECT_EQ(BuildImage(target, type, 65536, 1, pixel), nullptr) << type;
            EXPECT_EQ(BuildImage(target, type, 1, 65536, pixel), nullptr) << type;
        }
    }
    EXPECT_EQ(alloc.allocations, allocations);
    EXPECT_EQ(ImageShown, 0u);
    EXPECT_EQ(Stored(window), before);
    EXPECT_EQ(GetBitmap(fresh), nullptr) << "no slot was taken";

    std::vector<uint8_t> plane(12 * 2);
    FillRandom(plane.data(), plane.size(), rng);
    ASSERT_NE(BuildImage(window, 0x4500 | TYPE_GRAY, 12, 2, plane.data()), nullptr);
    EXPECT_EQ(memcmp(GetBitmap(window) + 1078, &plane[12], 12), 0);
}

// `rows` rows of `rowBytes` bytes, back to back in `expected`, are stored
// `stride` bytes apart at `stored`, each padded with zeros.
void ExpectPaddedRows(const uint8_t* stored, const uint8_t* expected, size_t rowBytes, int rows) {
    const size_t stride = (rowBytes + 3) / 4 * 4;
    for (int r = 0; r < rows; ++r, stored += stride, expected += rowBytes) {
        std::vector<uint8_t> row(expected, expected + rowBytes);
        row.resize(stride, 0);
        EXPECT_EQ(std::vector<uint8_t>(stored, stored + stride), row) << "row " << r;
    }
}

// Gray and MMP images whose rows are not a multiple of 4 bytes long are
// stored with rows padded as painting reads them; the worked 4 x 1 MMP file
// keeps its worked pixels.
TEST_F(DeferredImageTest, GrayAndMmpRowsArePaddedAtEveryWidth) {
    std::mt19937 rng(5);
    const HWND gray = FakeWindow(0), mmp = FakeWindow(1);
    for (int w = 1; w <= 8; ++w) {
        for (int h : {1, 2, 3, 7}) {
            SCOPED_TRACE(testing::Message() << w << " x " << h);
            std::vector<uint8_t> plane(size_t(w) * h), bottomUp;
            FillRandom(plane.data(), plane.size(), rng);
            for (int r = h; r-- > 0;) {
                bottomUp.insert(bottomUp.end(), &plane[size_t(r) * w], &plane[size_t(r) * w] + w);
            }
            GuardedCopy planeData(plane);
            const uint8_t* image = BuildImage(gray, TYPE_GRAY, w, h, planeData.get());
            ASSERT_NE(image, nullptr);
            EXPECT_EQ(StoredImageFits(image, GetBitmapSize(gray)), 1);
            ExpectPaddedRows(image + 1078, bottomUp.data(), w, h);

            // The reference picture of a file four pixels wider, cut to w.
            const int wide = (w + 3) / 4 * 4;
            std::vector<uint8_t> picture, cut;
            std::vector<uint8_t> file = RandomMmpFile(wide, h, rng, &picture);
            file[12] = uint8_t(w);
            for (int r = 0; r < h; ++r) {
                cut.insert(cut.end(), &picture[3 * size_t(r) * wide], &picture[3 * (size_t(r) * wide + w)]);
            }
            GuardedCopy mmpData(file);
            image = BuildImage(mmp, TYPE_MMP, 0, 0, mmpData.get());
            ASSERT_NE(image, nullptr);
            EXPECT_EQ(StoredImageFits(image, GetBitmapSize(mmp)), 1);
            ExpectPaddedRows(image + 54, cut.data(), 3 * w, h);
        }
    }

    uint8_t worked[22] = {0};
    worked[12] = 4;
    worked[14] = 1;
    const uint8_t group[6] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
    memcpy(worked + 16, group, 6);
    const uint8_t* image = BuildImage(mmp, TYPE_MMP, 0, 0, worked);
    ASSERT_NE(image, nullptr);
    const uint8_t pixels[12] = {0x57, 0x5C, 0x24, 0x97, 0x9C, 0x64, 0x88, 0x8D, 0x55, 0xBF, 0xC4, 0x8C};
    EXPECT_EQ(memcmp(image + 54, pixels, 12), 0);
}

// Red, green, blue of a stored image of 1, 4, 8 or 24 bits per pixel, top
// row first, as painting would draw it; empty for other images.
std::vector<uint8_t> PaletteOrRgbPicture(const uint8_t* image) {
    const uint32_t w = Le32(image + 18), h = Le32(image + 22), bits = image[28];
    if (Le32(image + 30) != 0 || (bits > 8 && bits != 24)) {
        return {};
    }
    const uint8_t* rows = image + Le32(image + 10);
    const uint64_t stride = PaddedRowBytes(w, bits);
    std::vector<uint8_t> rgb;
    for (uint32_t r = 0; r < h; ++r) {
        const uint8_t* row = rows + (h - 1 - r) * stride;
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t* bgr = row + 3 * x;
            if (bits <= 8) {
                const uint32_t bit = x * bits;
                const uint32_t index = row[bit / 8] >> (8 - bits - bit % 8) & ((1u << bits) - 1);
                bgr = image + 54 + 4 * index;
            }
            rgb.insert(rgb.end(), {bgr[2], bgr[1], bgr[0]});
        }
    }
    return rgb;
}

// The files ImageMagick and Pillow wrote (make_bmp_files.py; the test runs in
// their folder): each one to show is stored as an image painting can draw,
// a classic one byte for byte, and one with a colour table or 24-bit pixels
// gives the writing tool's decoding; each one to refuse stores nothing and
// leaves the previous image.
TEST_F(DeferredImageTest, ToolWrittenFilesAreStoredOrRefused) {
    const std::vector<ToolFile> files = ToolFileManifest();
    ASSERT_FALSE(files.empty()) << "manifest.txt not found: the test runs in the folder of the files";
    const HWND window = FakeWindow(0);
    int shown = 0, refused = 0, compared = 0;
    for (const ToolFile& t : files) {
        SCOPED_TRACE(t.name + " " + t.label);
        const std::vector<uint8_t> file = ReadWholeFile(t.name);
        ASSERT_GE(file.size(), 54u);
        GuardedCopy data(file);
        if (t.kind == "refuse") {
            const std::vector<uint8_t> before = Stored(window);
            EXPECT_EQ(BuildBmpImage(window, data.get()), nullptr);
            EXPECT_EQ(BuildImage(window, TYPE_BMP, 0, 0, data.get()), nullptr);
            EXPECT_EQ(Stored(window), before);
            ++refused;
            continue;
        }
        const uint8_t* image = BuildImage(window, TYPE_BMP, 0, 0, data.get());
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(StoredImageFits(image, GetBitmapSize(window)), 1);
        // A classic file (40-byte header, bottom-up, uncompressed, rows right
        // after the table) is kept byte for byte.
        const int32_t height = int32_t(Le32(&file[22]));
        const uint32_t bits = file[28], used = Le32(&file[46]);
        const uint32_t table = 4 * (used ? used : bits <= 8 ? 1u << bits : 0);
        if (Le32(&file[14]) == 40 && Le32(&file[30]) == 0 && height > 0 && Le32(&file[10]) == 54 + table) {
            const size_t length = 54 + table + PaddedRowBytes(t.w, bits) * height;
            EXPECT_EQ(memcmp(image, file.data(), length), 0) << "stored unchanged";
        }
        const std::vector<uint8_t> picture = PaletteOrRgbPicture(image);
        if (!picture.empty()) {
            EXPECT_TRUE(picture == ReadWholeFile(t.decoding)) << "differs from the tool's decoding";
            ++compared;
        }
        ++shown;
    }
    EXPECT_GE(shown, 20) << "the manifest lists too few files";
    EXPECT_GE(compared, 20) << "the manifest lists too few files with a colour table or 24 bits";
    EXPECT_GE(refused, 3) << "the manifest lists too few refused files";
}

} // namespace
