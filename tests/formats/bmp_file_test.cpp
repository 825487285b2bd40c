// Bitmap files as other programs write them: which are stored unchanged,
// which are normalised (and into what), which are refused.
#include <gtest/gtest.h>
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <random>
#include <vector>

#include "bmp_file.h"
#include "test_support.h"

namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    Put16(b, at, v);
    Put16(b, at + 2, v >> 16);
}
uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// A bitmap file written the way a given tool might: header version, row order,
// compression, palette length, bit-field masks and a gap before the rows.
struct BmpSpec {
    uint32_t infoSize = 40;
    uint32_t width = 5;
    uint32_t height = 3;
    uint32_t bits = 24;
    bool topDown = false;
    uint32_t compression = 0;
    uint32_t clrUsed = 0;
    uint32_t gap = 0;
    uint32_t masks[3] = {0xF800, 0x07E0, 0x001F};
};

uint32_t RowBytes(const BmpSpec& s) { return (s.width * s.bits + 31) / 32 * 4; }

// Picture rows, top first, the same for every way of writing them.
std::vector<uint8_t> PictureRows(const BmpSpec& s) {
    std::vector<uint8_t> rows(size_t{RowBytes(s)} * s.height);
    std::mt19937 rng(s.width * 31 + s.height * 7 + s.bits);
    FillRandom(rows.data(), rows.size(), rng);
    return rows;
}

std::vector<uint8_t> BuildBmp(const BmpSpec& s) {
    const uint32_t entries = s.bits <= 8 ? (s.clrUsed ? s.clrUsed : 1u << s.bits) : s.clrUsed;
    const bool bitFields = s.compression == 3;
    const uint32_t maskBytes = bitFields && s.infoSize == 40 ? 12 : 0;
    const uint32_t offBits = 14 + s.infoSize + maskBytes + 4 * entries + s.gap;
    const std::vector<uint8_t> rows = PictureRows(s);
    std::vector<uint8_t> b(offBits + rows.size(), 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, static_cast<uint32_t>(b.size()));
    Put32(b, 10, offBits);
    Put32(b, 14, s.infoSize);
    Put32(b, 18, s.width);
    Put32(b, 22, s.topDown ? static_cast<uint32_t>(-static_cast<int32_t>(s.height)) : s.height);
    Put16(b, 26, 1);
    Put16(b, 28, s.bits);
    Put32(b, 30, s.compression);
    Put32(b, 38, 3780);
    Put32(b, 42, 3780);
    Put32(b, 46, s.clrUsed);
    if (bitFields) {
        const size_t at = 54; // right after a 40-byte header, or inside a longer one
        for (int i = 0; i < 3; ++i) {
            Put32(b, at + 4 * i, s.masks[i]);
        }
    }
    for (uint32_t i = 0; i < 4 * entries; ++i) {
        b[14 + s.infoSize + maskBytes + i] = static_cast<uint8_t>(i * 13 + 1);
    }
    const uint32_t rowBytes = RowBytes(s);
    for (uint32_t r = 0; rowBytes != 0 && r < s.height; ++r) {
        const uint32_t stored = s.topDown ? r : s.height - 1 - r;
        memcpy(&b[offBits + size_t{stored} * rowBytes], &rows[size_t{r} * rowBytes], rowBytes);
    }
    return b;
}

std::vector<uint8_t> Store(const std::vector<uint8_t>& file, BmpFileLayout* layout) {
    if (AnalyseBmpFile(file.data(), file.size(), layout) != BMP_SHOWABLE) {
        return {};
    }
    GuardedBuffer image(layout->storedLength);
    StoreBmpImage(file.data(), layout, image.data());
    return std::vector<uint8_t>(image.data(), image.data() + image.size());
}

TEST(BmpFile, ClassicFilesAreStoredUnchangedByTheSizeRule) {
    const struct {
        uint32_t width, height, bits, clrUsed, length;
    } cases[] = {{3, 2, 8, 0, 54 + 1024 + 2 * 4}, {5, 3, 24, 0, 54 + 3 * 16}, {40, 2, 1, 0, 62 + 2 * 8},
                 {7, 2, 8, 12, 54 + 48 + 2 * 8},  {6, 2, 4, 0, 118 + 2 * 4},  {3, 3, 32, 0, 54 + 3 * 12}};
    for (const auto& c : cases) {
        BmpSpec s;
        s.width = c.width;
        s.height = c.height;
        s.bits = c.bits;
        s.clrUsed = c.clrUsed;
        const std::vector<uint8_t> file = BuildBmp(s);
        BmpFileLayout layout;
        const std::vector<uint8_t> image = Store(file, &layout);
        EXPECT_EQ(layout.unchanged, 1);
        EXPECT_EQ(image.size(), c.length);
        EXPECT_EQ(image, file);
    }
}

// Every other way of writing the same picture is stored as the classic file.
TEST(BmpFile, OtherLayoutsAreNormalisedToTheClassicImage) {
    for (uint32_t bits : {1u, 4u, 8u, 24u, 32u}) {
        BmpSpec classic;
        classic.bits = bits;
        classic.width = 9;
        classic.height = 4;
        const std::vector<uint8_t> expected = BuildBmp(classic);

        std::vector<BmpSpec> variants;
        for (uint32_t info : {40u, 108u, 124u}) {
            for (bool topDown : {false, true}) {
                for (uint32_t gap : {0u, 6u}) {
                    BmpSpec v = classic;
                    v.infoSize = info;
                    v.topDown = topDown;
                    v.gap = gap;
                    if (info != 40 || topDown || gap) {
                        variants.push_back(v);
                    }
                }
            }
        }
        for (const BmpSpec& v : variants) {
            BmpFileLayout layout;
            std::vector<uint8_t> image = Store(BuildBmp(v), &layout);
            ASSERT_FALSE(image.empty()) << bits << " bits, header " << v.infoSize;
            EXPECT_EQ(layout.unchanged, 0);
            // Fields a normalised copy states explicitly; the rest must match.
            EXPECT_EQ(Get32(image, 46), bits <= 8 ? 1u << bits : 0u); // colour count
            EXPECT_EQ(Get32(image, 34), RowBytes(v) * v.height);      // image size
            EXPECT_EQ(Get32(image, 2), image.size());                 // bfSize
            Put32(image, 46, 0);
            Put32(image, 34, 0);
            std::vector<uint8_t> want = expected;
            Put32(want, 2, static_cast<uint32_t>(want.size()));
            EXPECT_EQ(image, want) << bits << " bits, header " << v.infoSize << (v.topDown ? " top-down" : "")
                                   << " gap " << v.gap;
        }
    }
}

TEST(BmpFile, BitFieldImagesKeepTheirMasksAfterTheHeader) {
    for (uint32_t info : {40u, 108u, 124u}) {
        for (uint32_t bits : {16u, 32u}) {
            BmpSpec s;
            s.infoSize = info;
            s.bits = bits;
            s.compression = 3;
            s.topDown = info == 124;
            if (bits == 32) {
                s.masks[0] = 0x00FF0000;
                s.masks[1] = 0x0000FF00;
                s.masks[2] = 0x000000FF;
            }
            BmpFileLayout layout;
            const std::vector<uint8_t> image = Store(BuildBmp(s), &layout);
            ASSERT_FALSE(image.empty());
            EXPECT_EQ(Get32(image, 10), 66u); // bfOffBits: rows right after the masks
            EXPECT_EQ(Get32(image, 14), 40u);
            EXPECT_EQ(Get32(image, 30), 3u);
            EXPECT_EQ(Get32(image, 22), 3u); // bottom-up
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(Get32(image, 54 + 4 * i), s.masks[i]);
            }
            const std::vector<uint8_t> rows = PictureRows(s);
            const uint32_t rowBytes = RowBytes(s);
            for (uint32_t r = 0; r < s.height; ++r) {
                EXPECT_EQ(memcmp(&image[66 + (s.height - 1 - r) * rowBytes], &rows[r * rowBytes], rowBytes), 0);
            }
            EXPECT_EQ(image.size(), 66u + rowBytes * s.height);
        }
    }
}

TEST(BmpFile, RefusesWhatCannotBeShown) {
    std::vector<std::pair<const char*, std::vector<uint8_t>>> files;
    BmpSpec s;
    std::vector<uint8_t> f = BuildBmp(s);
    f[1] = 'A';
    files.push_back({"not BM", f});
    s = BmpSpec();
    s.bits = 4;
    s.compression = 1;
    files.push_back({"RLE8 at 4 bits", BuildBmp(s)});
    s.bits = 8;
    s.compression = 2;
    files.push_back({"RLE4 at 8 bits", BuildBmp(s)});
    s.compression = 1;
    s.topDown = true;
    files.push_back({"top-down RLE8", BuildBmp(s)});
    s = BmpSpec();
    s.compression = 3;
    files.push_back({"bit fields at 24 bits", BuildBmp(s)});
    s.bits = 8;
    files.push_back({"bit fields at 8 bits", BuildBmp(s)});
    s = BmpSpec();
    s.compression = 4;
    files.push_back({"embedded JPEG", BuildBmp(s)});
    s = BmpSpec();
    s.bits = 2;
    files.push_back({"2 bits", BuildBmp(s)});
    s = BmpSpec();
    s.bits = 8;
    s.clrUsed = 300;
    f = BuildBmp(s);
    files.push_back({"300 colours at 8 bits", f});
    s.bits = 4;
    s.clrUsed = 17;
    files.push_back({"17 colours at 4 bits", BuildBmp(s)});
    s = BmpSpec();
    f = BuildBmp(s);
    Put32(f, 14, 12); // the core header knows 1, 4, 8 and 24 bits only
    Put16(f, 18, 5);
    Put16(f, 20, 3);
    Put16(f, 22, 1);
    Put16(f, 24, 16);
    files.push_back({"core header at 16 bits", f});
    f = BuildBmp(s);
    Put32(f, 14, 64);
    files.push_back({"64-byte header", f});
    f = BuildBmp(BmpSpec());
    Put32(f, 18, 0xFFFFFFFF);
    files.push_back({"negative width", f});
    f = BuildBmp(BmpSpec());
    Put32(f, 18, 0x7FFFFFFF);
    Put32(f, 22, 0x7FFFFFFF);
    files.push_back({"length beyond 32 bits", f});
    s = BmpSpec();
    s.bits = 8;
    s.topDown = true;
    f = BuildBmp(s);
    Put32(f, 10, 54 + 512);
    files.push_back({"rows inside the colour table", f});
    for (const auto& file : files) {
        BmpFileLayout layout;
        EXPECT_EQ(AnalyseBmpFile(file.second.data(), UINT64_MAX, &layout), BMP_UNSUPPORTED) << file.first;
    }
}

// A picture of width 0 has no rows to copy, however many its header counts:
// storing it must not walk two billion empty rows.
TEST(BmpFile, ZeroWidthTopDownFileStoresNoRows) {
    BmpSpec s;
    s.width = 0;
    s.height = 1;
    s.topDown = true;
    std::vector<uint8_t> file = BuildBmp(s);
    Put32(file, 22, static_cast<uint32_t>(-0x7FFFFFFF));
    BmpFileLayout layout;
    const std::vector<uint8_t> image = Store(file, &layout);
    ASSERT_EQ(image.size(), 54u);
    EXPECT_EQ(Get32(image, 22), 0x7FFFFFFFu);
}

// A caller that knows the file's length learns whether the file holds every
// byte that showing it reads; nothing past that length is read.
TEST(BmpFile, TruncatedFilesAreToldApartWhenTheLengthIsKnown) {
    for (bool topDown : {false, true}) {
        BmpSpec s;
        s.topDown = topDown;
        s.bits = 8;
        const std::vector<uint8_t> file = BuildBmp(s);
        BmpFileLayout layout;
        EXPECT_EQ(AnalyseBmpFile(file.data(), file.size(), &layout), BMP_SHOWABLE);
        EXPECT_EQ(layout.fileLength, file.size());
        for (size_t available : {file.size() - 1, size_t{60}, size_t{40}, size_t{17}, size_t{1}}) {
            GuardedBuffer head(available);
            memcpy(head.data(), file.data(), available);
            EXPECT_EQ(AnalyseBmpFile(head.data(), available, &layout), BMP_TRUNCATED) << available;
        }
    }
    // Bit-field masks after a 40-byte header are part of what must be there.
    BmpSpec s;
    s.bits = 16;
    s.compression = 3;
    const std::vector<uint8_t> file = BuildBmp(s);
    GuardedBuffer head(60);
    memcpy(head.data(), file.data(), 60);
    BmpFileLayout layout;
    EXPECT_EQ(AnalyseBmpFile(head.data(), 60, &layout), BMP_TRUNCATED);
    const uint8_t notBitmap[2] = {'B', 'A'};
    EXPECT_EQ(AnalyseBmpFile(notBitmap, 2, &layout), BMP_UNSUPPORTED);
}

// A run-length file: the header and table of BuildBmp, then `stream`, whose
// length biSizeImage gives.
std::vector<uint8_t> RleFile(uint32_t width, uint32_t height, uint32_t bits, const std::vector<uint8_t>& stream) {
    BmpSpec s;
    s.width = width;
    s.height = 0; // no plain rows
    s.bits = bits;
    s.compression = bits == 8 ? 1 : 2;
    std::vector<uint8_t> b = BuildBmp(s);
    Put32(b, 22, height);
    b.insert(b.end(), stream.begin(), stream.end());
    Put32(b, 2, static_cast<uint32_t>(b.size()));
    Put32(b, 34, static_cast<uint32_t>(stream.size()));
    return b;
}

int Analyse(const std::vector<uint8_t>& file, uint64_t available, BmpFileLayout* layout) {
    GuardedCopy exact(file);
    return AnalyseBmpFile(exact.get(), available, layout);
}

// Every code, into plain rows of the same bit count. Runs may fill a row's
// padding (ImageMagick codes whole padded rows); the pixels no code sets are
// 0 whatever the buffer held before.
TEST(BmpFile, RunLengthCodesDecodeIntoPlainRows) {
    const struct {
        uint32_t width, height, bits;
        std::vector<uint8_t> stream, rows;
    } cases[] = {
        // clang-format off
        {6, 4, 8,
         {3, 7,                 // run of 7
          0, 3, 1, 2, 3, 0,     // absolute run, padded to 16 bits
          2, 9,                 // run into the row's padding
          0, 0,                 // end of line
          0, 2, 2, 1,           // delta from (0, 1) to (2, 2)
          1, 5, 0, 1},          // one pixel, end of bitmap with a row left
         {7, 7, 7, 1, 2, 3, 9, 9, /**/ 0, 0, 0, 0, 0, 0, 0, 0, /**/ 0, 0, 5, 0, 0, 0, 0, 0,
          /**/ 0, 0, 0, 0, 0, 0, 0, 0}},
        {5, 3, 4,
         {3, 0x12,                         // 1 2 1: the two colours alternate
          0, 3, 0x34, 0x50,                // absolute from an odd pixel
          0, 0,                            //
          0, 5, 0x67, 0x89, 0xA0, 0,       // absolute of 3 bytes, padded
          0, 0,                            //
          1, 0xDE, 0, 2, 2, 0, 2, 0xF1,    // delta over two pixels
          0, 1},
         {0x12, 0x13, 0x45, 0x00, /**/ 0x67, 0x89, 0xA0, 0x00, /**/ 0xD0, 0x0F, 0x10, 0x00}},
        {6, 2, 4,
         {1, 0xA0, 0, 4, 0x12, 0x34, 0, 0, // absolute of 4 from an odd pixel
          1, 0x70, 5, 0x56,                // run of 5 from an odd pixel
          0, 1},
         {0xA1, 0x23, 0x40, 0x00, /**/ 0x75, 0x65, 0x65, 0x00}},
        // clang-format on
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> file = RleFile(c.width, c.height, c.bits, c.stream);
        BmpFileLayout layout;
        ASSERT_EQ(Analyse(file, file.size(), &layout), BMP_SHOWABLE) << c.bits;
        EXPECT_EQ(layout.fileLength, file.size());
        const uint32_t table = 4u << c.bits;
        ASSERT_EQ(layout.storedLength, 54 + table + c.rows.size());
        GuardedBuffer image(layout.storedLength);
        memset(image.data(), 0xEE, image.size());
        StoreBmpImage(file.data(), &layout, image.data());
        const std::vector<uint8_t> stored(image.data(), image.data() + image.size());
        EXPECT_EQ(Get32(stored, 10), 54 + table);
        EXPECT_EQ(Get32(stored, 30), 0u); // uncompressed
        EXPECT_EQ(stored[28], c.bits);
        EXPECT_EQ(memcmp(&stored[54], &file[54], table), 0);
        EXPECT_EQ(std::vector<uint8_t>(stored.begin() + 54 + table, stored.end()), c.rows) << c.bits;
    }
}

// Streams that would write outside the image or run past their length are
// damaged, for the player and for the library alike; a file shorter than its
// stream is too short. Nothing is read past the file (guarded buffers).
TEST(BmpFile, DamagedRunLengthStreamsAreRefused) {
    const struct {
        const char* what;
        std::vector<uint8_t> stream;
    } damaged[] = {
        {"run past the padded row", {5, 1, 0, 1}},
        {"second run past the row", {3, 1, 2, 1, 0, 1}},
        {"absolute run past the row", {0, 5, 1, 2, 3, 4, 5, 0, 0, 1}},
        {"run above the top row", {0, 0, 0, 0, 1, 1, 0, 1}},
        {"end of line above the top row", {0, 0, 0, 0, 0, 0, 0, 1}},
        {"delta past the row", {2, 1, 0, 2, 3, 0, 0, 1}},
        {"delta above the top row", {0, 2, 0, 3, 0, 1}},
        {"no end of bitmap", {4, 1, 0, 0}},
        {"absolute run cut short", {0, 4, 1, 2}},
        {"delta cut short", {0, 2, 1}},
    };
    for (const auto& d : damaged) {
        const std::vector<uint8_t> file = RleFile(4, 2, 8, d.stream);
        BmpFileLayout layout;
        EXPECT_EQ(Analyse(file, file.size(), &layout), BMP_DAMAGED) << d.what;
        EXPECT_EQ(Analyse(file, UINT64_MAX, &layout), BMP_DAMAGED) << d.what;
    }

    const std::vector<uint8_t> good = RleFile(4, 2, 8, {4, 1, 0, 0, 0, 3, 1, 2, 3, 0, 0, 1});
    BmpFileLayout layout;
    ASSERT_EQ(Analyse(good, good.size(), &layout), BMP_SHOWABLE);
    for (ptrdiff_t cut = 1; cut <= 12; ++cut) {
        const std::vector<uint8_t> head(good.begin(), good.end() - cut);
        EXPECT_EQ(Analyse(head, head.size(), &layout), BMP_TRUNCATED) << cut;
    }
    // A biSizeImage beyond the file is not trusted further than the end of
    // bitmap: the stream ends inside the file.
    std::vector<uint8_t> longer = good;
    Put32(longer, 34, 1000);
    ASSERT_EQ(Analyse(longer, longer.size(), &layout), BMP_SHOWABLE);
    EXPECT_EQ(layout.fileLength, good.size());
    // Without biSizeImage the stream ends where bfSize says; without either
    // it has no length.
    std::vector<uint8_t> unsized = good;
    Put32(unsized, 34, 0);
    EXPECT_EQ(Analyse(unsized, UINT64_MAX, &layout), BMP_SHOWABLE);
    Put32(unsized, 2, 14);
    EXPECT_EQ(Analyse(unsized, UINT64_MAX, &layout), BMP_DAMAGED);
    // A few bytes can claim any size: the decoded image is kept bounded.
    const std::vector<uint8_t> huge = RleFile(10000, 10000, 8, {0, 1});
    EXPECT_EQ(Analyse(huge, huge.size(), &layout), BMP_UNSUPPORTED);
    const std::vector<uint8_t> large = RleFile(4096, 4096, 8, {0, 1});
    EXPECT_EQ(Analyse(large, large.size(), &layout), BMP_SHOWABLE);
}

} // namespace
