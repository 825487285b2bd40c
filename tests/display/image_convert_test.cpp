// Gray, 24-bit and packed-format (MMP) conversions.
#include <gtest/gtest.h>
#include <string.h>

#include <random>
#include <vector>

#include "bmp_headers.h"
#include "bmp_rows.h"
#include "conversion_paths.h"
#include "display.h"
#include "gray_rgb_to_bmp.h"
#include "mmp.h"
#include "test_support.h"

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> v;
    for (int x : values) {
        v.push_back(static_cast<uint8_t>(x));
    }
    return v;
}

TEST(ConvertRaw2Bitmap, FourByTwoGrayPlane) {
    const std::vector<uint8_t> plane = Bytes({0x00, 0x40, 0x80, 0xFF, 0x10, 0x20, 0x30, 0x40});
    GuardedBuffer out(1086);
    ConvertRaw2Bitmap(4, 2, plane.data(), out.data());
    std::vector<uint8_t> headers(54);
    WriteBmpHeaders(headers.data(), 4, 2, 8);
    EXPECT_EQ(memcmp(out.data(), headers.data(), 54), 0);
    EXPECT_EQ(std::vector<uint8_t>(out.data() + 1078, out.data() + 1086),
              Bytes({0x10, 0x20, 0x30, 0x40, 0x00, 0x40, 0x80, 0xFF}));
    for (int i = 0; i < 256; ++i) {
        const uint8_t* entry = out.data() + 54 + 4 * i;
        ASSERT_EQ(entry[0], i);
        ASSERT_EQ(entry[1], i);
        ASSERT_EQ(entry[2], i);
        ASSERT_EQ(entry[3], 0);
    }
}

TEST(ConvertRGB2Bitmap, CopiesThePixelAreaUnchanged) {
    const std::vector<uint8_t> pixels = Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    GuardedBuffer out(66);
    ConvertRGB2Bitmap(2, 2, pixels.data(), out.data());
    EXPECT_EQ(std::vector<uint8_t>(out.data() + 54, out.data() + 66), pixels);
    EXPECT_EQ(out.data()[28], 24);
}

// Top row first in, bottom-up blue-green-red out, rows padded with zeros.
TEST(ConvertInterleavedToBitmap, ReordersRowsAndBytes) {
    const std::vector<uint8_t> rgb = Bytes({10, 20, 30, 40, 50, 60}); // 1 x 2: top, bottom
    for (int redFirst = 0; redFirst < 2; ++redFirst) {
        GuardedBuffer out(54 + 2 * 4);
        memset(out.data(), 0xEE, out.size());
        ConvertInterleavedToBitmap(1, 2, rgb.data(), redFirst, out.data());
        const std::vector<uint8_t> expected =
            redFirst ? Bytes({60, 50, 40, 0, 30, 20, 10, 0}) : Bytes({40, 50, 60, 0, 10, 20, 30, 0});
        EXPECT_EQ(std::vector<uint8_t>(out.data() + 54, out.data() + 62), expected);
        EXPECT_EQ(out.data()[22], 2); // biHeight
    }
}

// Rows moved apart in place, padding zeroed, nothing touched past the last
// padded row.
TEST(PadBitmapRows, SpreadsRowsInPlace) {
    GuardedBuffer buffer(3 * 8);
    uint8_t* p = buffer.data();
    memset(p, 0xEE, buffer.size());
    for (int i = 0; i < 15; ++i) {
        p[i] = static_cast<uint8_t>(i + 1);
    }
    PadBitmapRows(p, 5, 8, 3);
    EXPECT_EQ(std::vector<uint8_t>(p, p + 24),
              Bytes({1, 2, 3, 4, 5, 0, 0, 0, 6, 7, 8, 9, 10, 0, 0, 0, 11, 12, 13, 14, 15, 0, 0, 0}));

    // Rows already padded stay as they are.
    PadBitmapRows(p, 8, 8, 3);
    EXPECT_EQ(p[5], 0);
    EXPECT_EQ(p[8], 6);
}

TEST(UnpackMmpPixels, WorkedGroup) {
    const std::vector<uint8_t> group = Bytes({0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC});
    uint8_t y[4];
    int8_t u, v;
    UnpackMmpPixels(4, 1, group.data(), y, &u, &v);
    EXPECT_EQ(std::vector<uint8_t>(y, y + 4), Bytes({0x41, 0x78, 0x6B, 0x9A}));
    EXPECT_EQ(u, 7);
    EXPECT_EQ(v, -28);
    EXPECT_EQ(PackMmpGroup(0x41, 0x78, 0x6B, 0x9A, 0x07, 0xE4), group);
}

TEST(UnpackMmpPixels, RoundTripsRandomGroupsRowByRow) {
    std::mt19937 rng(11);
    const uint32_t w = 10, h = 3, g = 3; // the last group of each row is partial
    std::vector<uint8_t> groups, expectY, expectU, expectV;
    for (uint32_t i = 0; i < g * h; ++i) {
        uint8_t s[6];
        FillRandom(s, 6, rng);
        const std::vector<uint8_t> packed = PackMmpGroup(s[0], s[1], s[2], s[3], s[4], s[5]);
        groups.insert(groups.end(), packed.begin(), packed.end());
        expectY.insert(expectY.end(), s, s + 4);
        expectU.push_back(s[4]);
        expectV.push_back(s[5]);
    }
    GuardedBuffer file(MMP_HEADER_SIZE + groups.size());
    memcpy(file.data() + MMP_HEADER_SIZE, groups.data(), groups.size());
    GuardedBuffer y(4 * g * h), u(g * h), v(g * h);
    SplitMMPdata(w, h, file.data(), y.data(), u.signedData(), v.signedData());
    EXPECT_EQ(std::vector<uint8_t>(y.data(), y.data() + y.size()), expectY);
    EXPECT_EQ(std::vector<uint8_t>(u.data(), u.data() + u.size()), expectU);
    EXPECT_EQ(std::vector<uint8_t>(v.data(), v.data() + v.size()), expectV);
}

// The whole conversion of a w x h file, reading exactly its groups and writing
// exactly 54 + 3wh bytes.
std::vector<uint8_t> ConvertMmp(uint32_t w, uint32_t h, const std::vector<uint8_t>& groups) {
    GuardedBuffer in(groups.size() ? groups.size() : 1);
    if (!groups.empty()) {
        memcpy(in.data(), groups.data(), groups.size());
    }
    GuardedBuffer out(54 + 3 * w * h);
    ConvertMMP2Bitmap(w, h, in.data(), out.data());
    return std::vector<uint8_t>(out.data(), out.data() + out.size());
}

TEST(ConvertMMP2Bitmap, FourByOneFile) {
    const std::vector<uint8_t> image = ConvertMmp(4, 1, Bytes({0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}));
    ASSERT_EQ(image.size(), 66u);
    EXPECT_EQ(std::vector<uint8_t>(image.begin() + 54, image.end()),
              Bytes({0x57, 0x5C, 0x24, 0x97, 0x9C, 0x64, 0x88, 0x8D, 0x55, 0xBF, 0xC4, 0x8C}));
}

TEST(ConvertMMP2Bitmap, PixelArithmeticIsTheYuvConversions) {
    const struct {
        uint8_t y;
        int8_t u, v;
        Bgr bgr;
    } cases[] = {{128, 7, -28, {161, 166, 110}}, {255, 0, 0, {255, 255, 255}}, {0, -128, 0, {0, 44, 0}}};
    for (const auto& c : cases) {
        const std::vector<uint8_t> image = ConvertMmp(
            4, 1, PackMmpGroup(c.y, c.y, c.y, c.y, static_cast<uint8_t>(c.u), static_cast<uint8_t>(c.v)));
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(image[54 + 3 * x], c.bgr.b);
            EXPECT_EQ(image[55 + 3 * x], c.bgr.g);
            EXPECT_EQ(image[56 + 3 * x], c.bgr.r);
        }
    }
}

// On every path (the row kernels convert the whole groups), for widths of one
// partial group up to more than one vector block, with and without a partial
// last group: rows hold exactly the picture's pixels, each row starts at its
// own first group, and the unused luma samples of a last group change nothing.
using MmpPaths = EveryPath;
INSTANTIATE_FOR_EVERY_PATH(MmpPaths);

TEST_P(MmpPaths, RowsOfEveryWidthFollowTheRule) {
    PathSelection selection(GetParam());
    std::mt19937 rng(4);
    for (uint32_t w : {2u, 6u, 36u, 38u, 70u}) {
        const uint32_t h = 3, g = (w + 3) / 4;
        std::vector<uint8_t> samples(6 * g * h);
        FillRandom(samples.data(), samples.size(), rng);
        auto pack = [&](bool scrambleUnused) {
            std::vector<uint8_t> groups;
            for (uint32_t i = 0; i < g * h; ++i) {
                uint8_t* s = &samples[6 * i];
                // Luma sample j lies outside the row when 4 (i % g) + j >= w.
                auto luma = [&](uint32_t j) {
                    const bool unused = 4 * (i % g) + j >= w;
                    return unused && scrambleUnused ? static_cast<uint8_t>(~s[j]) : s[j];
                };
                const std::vector<uint8_t> p = PackMmpGroup(luma(0), luma(1), luma(2), luma(3), s[4], s[5]);
                groups.insert(groups.end(), p.begin(), p.end());
            }
            return groups;
        };
        const std::vector<uint8_t> image = ConvertMmp(w, h, pack(false));
        EXPECT_EQ(image, ConvertMmp(w, h, pack(true))) << w;
        for (uint32_t r = 0; r < h; ++r) {
            for (uint32_t x = 0; x < w; ++x) {
                const uint8_t* s = &samples[6 * (r * g + x / 4)];
                const Bgr p = ReferencePixel(s[x % 4], static_cast<int8_t>(s[4]), static_cast<int8_t>(s[5]));
                const uint8_t* out = &image[54 + (h - 1 - r) * 3 * w + 3 * x];
                EXPECT_EQ(out[0], p.b);
                EXPECT_EQ(out[1], p.g);
                EXPECT_EQ(out[2], p.r);
            }
        }
    }
}

TEST(ConvertMMP2Bitmap, EmptyPicturesGetHeadersOnly) {
    EXPECT_EQ(ConvertMmp(0, 5, {}).size(), 54u);
    EXPECT_EQ(ConvertMmp(8, 0, {}).size(), 54u);
}

TEST(AnalyseFileHeader, ReadsTheMmpSizeOnly) {
    std::vector<uint8_t> header(16, 0xAA);
    header[12] = 0x60;
    header[13] = 0x01;
    header[14] = 0x20;
    header[15] = 0x01;
    uint16_t w = 1, h = 2;
    AnalyseFileHeader(TYPE_GRAY, &w, &h, header.data());
    EXPECT_EQ(w, 1);
    EXPECT_EQ(h, 2);
    AnalyseFileHeader(0x100 | TYPE_MMP, &w, &h, header.data());
    EXPECT_EQ(w, 352);
    EXPECT_EQ(h, 288);
}

TEST(MmpSizes, GroupsAndBytesIn64Bits) {
    EXPECT_EQ(MmpGroupsPerRow(6), 2u);
    EXPECT_EQ(MmpGroupsPerRow(0x10000 + 4), 1u);
    EXPECT_EQ(MmpPixelBytes(8, 2), 24u);
    EXPECT_EQ(MmpPixelBytes(65535, 65535), uint64_t{6} * 16384 * 65535);
}

} // namespace
