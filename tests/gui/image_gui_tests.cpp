// Images and saved frames: bitmap, packed-format and raw images on the
// screen, every malformed file refused with its message while the picture
// stays, and frames saved as raw bytes or as bitmap files.
//
// Saved bitmaps are compared here byte for byte with display.dll's own
// conversion; each is also listed, with the pixels it must hold, in
// saved-bitmaps.txt, which check_saved_bitmaps.py reads back with
// independent decoders after this program has ended.
#include <stdio.h>
#include <string.h>

#include <random>
#include <string>
#include <vector>

#include "display.h"
#include "gui_fixture.h"
#include "test_support.h"

namespace {

const int kQcifW = 176, kQcifH = 144;
const int kImageSide = 512; // the raw image settings' default size

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    Put16(b, at, v);
    Put16(b, at + 2, v >> 16);
}

size_t RowBytes(int w, int bits) { return (size_t(w) * bits / 8 + 3) & ~size_t(3); }

// A classic bottom-up bitmap file with random pixels (and for 8 bits a
// colour table of random colours), rows padded to 4 bytes.
std::vector<uint8_t> BitmapFile(int w, int h, int bits, uint32_t seed) {
    const uint32_t table = bits == 8 ? 1024 : 0;
    const uint32_t pixels = uint32_t(RowBytes(w, bits) * h);
    std::vector<uint8_t> b(54 + table + pixels);
    std::mt19937 rng(seed);
    for (size_t i = 54; i < b.size(); ++i) {
        b[i] = uint8_t(rng());
    }
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, uint32_t(b.size()));
    Put32(b, 6, 0);
    Put32(b, 10, 54 + table);
    Put32(b, 14, 40);
    Put32(b, 18, w);
    Put32(b, 22, h);
    Put16(b, 26, 1);
    Put16(b, 28, bits);
    Put32(b, 30, 0);
    Put32(b, 34, pixels);
    Put32(b, 38, 2835);
    Put32(b, 42, 2835);
    Put32(b, 46, 0);
    Put32(b, 50, 0);
    for (uint32_t i = 0; i < table; i += 4) {
        b[54 + i + 3] = 0;
    }
    return b;
}

// The bottom-up 24-bit rows, without padding, that a bitmap file shows.
std::vector<uint8_t> BitmapPixels(const std::vector<uint8_t>& file, int w, int h, int bits) {
    std::vector<uint8_t> out(3 * size_t(w) * h);
    const size_t start = bits == 8 ? 1078 : 54;
    for (int r = 0; r < h; ++r) {
        const uint8_t* row = &file[start + RowBytes(w, bits) * r];
        for (int x = 0; x < w; ++x) {
            const uint8_t* bgr = bits == 8 ? &file[54 + 4 * row[x]] : row + 3 * x;
            memcpy(&out[3 * (size_t(r) * w + x)], bgr, 3);
        }
    }
    return out;
}

std::vector<uint8_t> Solid(int w, int h, uint8_t value) {
    return std::vector<uint8_t>(3 * size_t(w) * h, value);
}

// A packed-format file of random pixel groups.
std::vector<uint8_t> MmpFile(int w, int h, uint32_t seed) {
    std::vector<uint8_t> b(16 + 6 * size_t((w + 3) / 4) * h);
    std::mt19937 rng(seed);
    for (size_t i = 16; i < b.size(); ++i) {
        b[i] = uint8_t(rng());
    }
    Put16(b, 12, w);
    Put16(b, 14, h);
    return b;
}

// Gray rows as the screen shows them: bottom row first, three equal bytes.
std::vector<uint8_t> GrayPixels(const uint8_t* plane, int w, int h) {
    std::vector<uint8_t> out(3 * size_t(w) * h);
    for (int r = 0; r < h; ++r) {
        for (int x = 0; x < w; ++x) {
            memset(&out[3 * (size_t(r) * w + x)], plane[size_t(h - 1 - r) * w + x], 3);
        }
    }
    return out;
}

// Top-down red-green-blue bytes of bottom-up blue-green-red rows: what an
// image reader gives for them.
std::vector<uint8_t> TopDownRgb(const std::vector<uint8_t>& bottomUp, int w, int h) {
    std::vector<uint8_t> out(bottomUp.size());
    for (int r = 0; r < h; ++r) {
        for (int x = 0; x < w; ++x) {
            const uint8_t* in = &bottomUp[3 * (size_t(h - 1 - r) * w + x)];
            uint8_t* o = &out[3 * (size_t(r) * w + x)];
            o[0] = in[2];
            o[1] = in[1];
            o[2] = in[0];
        }
    }
    return out;
}

// Lists a saved bitmap for the independent check.
void ListForIndependentCheck(const std::string& saved, const std::vector<uint8_t>& bottomUpBgr, int w, int h) {
    const std::string expected = saved + ".expected-rgb";
    ASSERT_TRUE(WriteFileBytes(WorkPath(expected), TopDownRgb(bottomUpBgr, w, h)));
    FILE* list = fopen(WorkPath("saved-bitmaps.txt").c_str(), "a");
    ASSERT_NE(list, nullptr);
    fprintf(list, "%s\t%s\t%d\t%d\n", saved.c_str(), expected.c_str(), w, h);
    fclose(list);
}

class ImageTest : public PlayerTest {
protected:
    // Saves frame n through the save dialog of `command` under `name`; with
    // `size`, waits until the file has that many bytes (the player writes it
    // after its dialog has gone).
    void Save(int command, int n, const std::string& name, size_t size = 0) {
        HWND dialog = OpenDialog(command, "Frame Number");
        ASSERT_NE(dialog, nullptr);
        SetField(dialog, 101, std::to_string(n));
        SetField(dialog, 102, WorkPath(name));
        ConfirmDialog(dialog);
        if (size) {
            EXPECT_TRUE(WaitUntil([&] { return FileSize(WorkPath(name)) == size; })) << name;
        }
    }

    // Opens `file` (written under `name`) as an image and expects `message`;
    // the window still shows `pixels` (w x h at the top left).
    void ExpectRefusedImage(const std::string& name, const std::vector<uint8_t>& file, const char* message,
                            int w, int h, const std::vector<uint8_t>& pixels) {
        ASSERT_TRUE(WriteFileBytes(WorkPath(name), file));
        OpenImage(WorkPath(name));
        ExpectPlayerMessage(message);
        EXPECT_TRUE(Shows(w, h, pixels)) << name;
        ExpectNoDialog();
    }
};

TEST_F(ImageTest, BitmapFilesGetA512WindowWhateverTheirSize) {
    WriteSequence("before image.yuv", TYPE_YUV420, kQcifW, kQcifH, 1);
    OpenSequence(WorkPath("before image.yuv"));

    const int w = 200, h = 120;
    const std::vector<uint8_t> bmp24 = BitmapFile(w, h, 24, 1);
    ASSERT_TRUE(WriteFileBytes(WorkPath("colour 200x120.bmp"), bmp24));
    OpenImage(WorkPath("colour 200x120.bmp"));
    ExpectFitted(kImageSide, kImageSide);
    EXPECT_TRUE(Shows(w, h, BitmapPixels(bmp24, w, h, 24)));
    // The rest of the client area keeps the white background.
    EXPECT_EQ(ReadClient(player_.window, w, 0, 100, h), Solid(100, h, 255));
    EXPECT_TRUE(ControlGrayed());

    const std::vector<uint8_t> bmp8 = BitmapFile(100, 60, 8, 2);
    ASSERT_TRUE(WriteFileBytes(WorkPath("indexed.DIB"), bmp8));
    OpenImage(WorkPath("indexed.DIB"));
    EXPECT_TRUE(Shows(100, 60, BitmapPixels(bmp8, 100, 60, 8)));
    ExpectFitted(kImageSide, kImageSide);
    ExpectNoDialog();
}

TEST_F(ImageTest, PackedFormatAndRawImagesShowAsTheLibraryConvertsThem) {
    const int mw = 64, mh = 48;
    const std::vector<uint8_t> mmp = MmpFile(mw, mh, 3);
    ASSERT_TRUE(WriteFileBytes(WorkPath("packed.mmp"), mmp));
    OpenImage(WorkPath("packed.mmp"));
    std::vector<uint8_t> image(54 + 3 * mw * mh);
    ConvertMMP2Bitmap(mw, mh, mmp.data() + 16, image.data());
    EXPECT_TRUE(Shows(mw, mh, std::vector<uint8_t>(image.begin() + 54, image.end())));
    ExpectFitted(kImageSide, kImageSide);

    // Type 3 by default: 512 x 512 gray after a 64-byte header; any name
    // that is not a bitmap or packed-format one is a raw image.
    std::vector<uint8_t> raw(64 + kImageSide * kImageSide);
    std::mt19937 rng(4);
    for (uint8_t& b : raw) {
        b = uint8_t(rng());
    }
    ASSERT_TRUE(WriteFileBytes(WorkPath("gray image.yuv"), raw));
    OpenImage(WorkPath("gray image.yuv"));
    EXPECT_TRUE(Shows(kImageSide, kImageSide, GrayPixels(&raw[64], kImageSide, kImageSide)));

    // Type 101 (radio "Y:U:V = 4:2:2"), no header: the window takes the
    // image settings' size.
    SetImageOptions(103, "176", "144", "0");
    const std::vector<uint8_t> yuv = NumberedFrame(TYPE_YUV422, kQcifW, kQcifH, 5);
    ASSERT_TRUE(WriteFileBytes(WorkPath("image422.raw"), yuv));
    OpenImage(WorkPath("image422.raw"));
    ExpectFitted(kQcifW, kQcifH);
    EXPECT_TRUE(Shows(kQcifW, kQcifH, ExpectedFramePixels(TYPE_YUV422, kQcifW, kQcifH, yuv.data())));

    // Type 104, RGB top row first, behind a 10-byte header.
    SetImageOptions(106, "176", "144", "10");
    std::vector<uint8_t> rgb(10, 0xAA);
    const std::vector<uint8_t> pixels = NumberedFrame(TYPE_RGB, kQcifW, kQcifH, 6);
    rgb.insert(rgb.end(), pixels.begin(), pixels.end());
    ASSERT_TRUE(WriteFileBytes(WorkPath("image.rgb"), rgb));
    OpenImage(WorkPath("image.rgb"));
    EXPECT_TRUE(Shows(kQcifW, kQcifH, ExpectedFramePixels(TYPE_RGB, kQcifW, kQcifH, pixels.data())));
    ExpectNoDialog();
}

TEST_F(ImageTest, MalformedFilesAreRefusedAndThePictureStays) {
    const int w = 200, h = 120;
    const std::vector<uint8_t> good = BitmapFile(w, h, 24, 7);
    ASSERT_TRUE(WriteFileBytes(WorkPath("good.bmp"), good));
    OpenImage(WorkPath("good.bmp"));
    const std::vector<uint8_t> shown = BitmapPixels(good, w, h, 24);
    ASSERT_TRUE(Shows(w, h, shown));

    // Larger than the frame buffer (3 x 1920 x 1088 bytes).
    std::vector<uint8_t> huge = good;
    huge.resize(3 * 1920 * 1088 + 1, 0);
    ExpectRefusedImage("huge.bmp", huge, "Image file too large!", w, h, shown);

    // Each message the checks give (every file they refuse is tested in the
    // core tests): a header the library cannot show (bit fields at 8 bits),
    // a run-length stream that would write past a row, headers that promise
    // more than the file holds, a packed file shorter than 16 + 6 x G x
    // height.
    std::vector<uint8_t> fields = BitmapFile(w, h, 8, 8);
    Put32(fields, 30, 3);
    ExpectRefusedImage("fields.bmp", fields, "Unsupported bitmap file!", w, h, shown);
    std::vector<uint8_t> rle = BitmapFile(w, h, 8, 8);
    Put32(rle, 30, 1);
    rle[54 + 1024] = 255; // a run of 255 pixels in a row of 200
    ExpectRefusedImage("rle.bmp", rle, "Bitmap file damaged!", w, h, shown);
    std::vector<uint8_t> cut = good;
    cut.pop_back();
    ExpectRefusedImage("cut.bmp", cut, "Bitmap file too short!", w, h, shown);
    std::vector<uint8_t> farRows = good;
    Put32(farRows, 10, 54 + 4096);
    ExpectRefusedImage("far rows.bmp", farRows, "Bitmap file too short!", w, h, shown);
    std::vector<uint8_t> mmp = MmpFile(64, 48, 9);
    mmp.pop_back();
    ExpectRefusedImage("cut.mmp", mmp, "MMP file too short!", w, h, shown);
    // Complete, but without a pixel to show.
    ExpectRefusedImage("empty.mmp", MmpFile(0, 20, 11), "Empty MMP image!", w, h, shown);

    // A raw image shorter than imageHeader + frameBytes (64 + 512 x 512).
    ExpectRefusedImage("short.raw", std::vector<uint8_t>(64 + kImageSide * kImageSide - 1, 0x40),
                       "Image file too short!", w, h, shown);

    // The player still opens good files.
    const std::vector<uint8_t> other = BitmapFile(w, h, 24, 10);
    ASSERT_TRUE(WriteFileBytes(WorkPath("other.bmp"), other));
    OpenImage(WorkPath("other.bmp"));
    EXPECT_TRUE(Shows(w, h, BitmapPixels(other, w, h, 24)));
}

TEST_F(ImageTest, SavesRawFramesAndBitmapsOfEveryKind) {
    const std::vector<uint8_t> file = WriteSequence("to save 420.yuv", TYPE_YUV420, kQcifW, kQcifH, 10);
    const size_t frameBytes = FrameBytes(TYPE_YUV420, kQcifW, kQcifH);
    OpenSequence(WorkPath("to save 420.yuv"));

    // Raw: the frame's bytes exactly as in the file; then the frame is shown.
    Save(CMD_SAVE_RAW, 3, "frame3.yuv", 38016);
    const std::vector<uint8_t> raw = ReadWholeFile(WorkPath("frame3.yuv"));
    EXPECT_EQ(raw.size(), 38016u);
    EXPECT_TRUE(raw == std::vector<uint8_t>(file.begin() + 3 * frameBytes, file.begin() + 4 * frameBytes));
    EXPECT_TRUE(WaitForFrame(kQcifW, kQcifH, [](int n) { return n == 3; }));

    // Bitmap of a 4:2:0 frame: the library's conversion, written whole.
    const uint8_t* frame2 = &file[2 * frameBytes];
    const std::vector<uint8_t> colours = ExpectedFramePixels(TYPE_YUV420, kQcifW, kQcifH, frame2);
    Save(CMD_SAVE_BITMAP, 2, "frame2 420.bmp", 76086);
    std::vector<uint8_t> saved = ReadWholeFile(WorkPath("frame2 420.bmp"));
    ASSERT_EQ(saved.size(), 76086u);
    EXPECT_EQ(saved[0], 'B');
    EXPECT_EQ(saved[1], 'M');
    EXPECT_TRUE(std::vector<uint8_t>(saved.begin() + 54, saved.end()) == colours);
    ListForIndependentCheck("frame2 420.bmp", colours, kQcifW, kQcifH);

    // Frame 10 of a 10-frame file: a message and no file.
    Save(CMD_SAVE_BITMAP, 10, "frame10.bmp");
    ExpectPlayerMessage("Frame number too large!");
    EXPECT_FALSE(FileExists(WorkPath("frame10.bmp")));
    Save(CMD_SAVE_RAW, 10, "frame10.yuv");
    ExpectPlayerMessage("Frame number too large!");
    EXPECT_FALSE(FileExists(WorkPath("frame10.yuv")));

    // A file that cannot be created.
    Save(CMD_SAVE_RAW, 1, "no such folder\\frame1.yuv");
    ExpectPlayerMessage("Cannot create file!");
    ExpectNoDialog();
}

// Gray frames are saved as 8-bit bitmaps; every type's saved bitmap is tested
// in the core tests (frame_bitmap_test.cpp).
TEST_F(ImageTest, SavesGrayFramesAsEightBitBitmaps) {
    const std::vector<uint8_t> gray = WriteSequence("to save.gray", TYPE_GRAY, kQcifW, kQcifH, 3);
    SetSequenceOptions(101, nullptr, nullptr);
    OpenSequence(WorkPath("to save.gray"));
    Save(CMD_SAVE_BITMAP, 1, "frame1 gray.bmp", 26422);
    const uint8_t* plane = &gray[size_t(kQcifW) * kQcifH];
    std::vector<uint8_t> image(1078 + kQcifW * kQcifH);
    ConvertRaw2Bitmap(kQcifW, kQcifH, plane, image.data());
    const std::vector<uint8_t> saved = ReadWholeFile(WorkPath("frame1 gray.bmp"));
    EXPECT_EQ(saved.size(), 26422u);
    EXPECT_TRUE(saved == image);
    ListForIndependentCheck("frame1 gray.bmp", GrayPixels(plane, kQcifW, kQcifH), kQcifW, kQcifH);
}

TEST_F(ImageTest, DroppedFilesOpenAsTheirMenuCommandsWouldOpenThem) {
    // A bitmap opens as an image; of two dropped files, the first.
    const int w = 64, h = 48;
    const std::vector<uint8_t> bmp = BitmapFile(w, h, 24, 5);
    ASSERT_TRUE(WriteFileBytes(WorkPath("dropped.bmp"), bmp));
    const std::vector<uint8_t> sequence = WriteSequence("dropped 420.yuv", TYPE_YUV420, kQcifW, kQcifH, 2);
    ASSERT_TRUE(DropFiles(player_, {WorkPath("dropped.bmp"), WorkPath("dropped 420.yuv")}));
    ASSERT_TRUE(WaitUntil([&] { return WindowText(player_.window) == "Vorlex - " + WorkPath("dropped.bmp"); }));
    ExpectFitted(kImageSide, kImageSide);
    EXPECT_TRUE(Shows(w, h, BitmapPixels(bmp, w, h, 24)));
    EXPECT_TRUE(ControlGrayed());

    // Any other name opens as a sequence, with the frame settings.
    ASSERT_TRUE(DropFiles(player_, {WorkPath("dropped 420.yuv")}));
    ASSERT_TRUE(WaitUntil([&] { return !ControlGrayed(); }));
    EXPECT_EQ(WindowText(player_.window), "Vorlex - " + WorkPath("dropped 420.yuv"));
    const std::vector<uint8_t> frame0 = ExpectedFramePixels(TYPE_YUV420, kQcifW, kQcifH, sequence.data());
    EXPECT_TRUE(Shows(kQcifW, kQcifH, frame0));

    // A file that cannot be read is refused as the menus refuse it, and
    // dropping while playing stops playback first.
    HANDLE lock = CreateFileA(WorkPath("dropped.bmp").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(DropFiles(player_, {WorkPath("dropped.bmp")}));
    ExpectPlayerMessage("Cannot open file for reading!");
    CloseHandle(lock);
    EXPECT_EQ(WindowText(player_.window), "Vorlex - " + WorkPath("dropped 420.yuv"));
    EXPECT_TRUE(Shows(kQcifW, kQcifH, frame0));
    EXPECT_FALSE(ControlGrayed());
}

} // namespace
