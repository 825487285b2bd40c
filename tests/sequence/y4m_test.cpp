// Y4M files: the header's tags to a layout, a size and a rate (or a refusal
// that names what was refused), and frames found behind their lines, at the
// fixed stride or by an index, in files made here in memory and on disk.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "display.h"
#include "test_support.h"
#include "y4m.h"

namespace {

struct Parsed {
    Y4mResult result;
    Y4mHeader header;
    std::string message;
};

Parsed Parse(const std::string& text) {
    const MemoryBytes bytes = {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
    Parsed p;
    char message[128];
    p.result = ReadY4mHeader(MemorySource(&bytes), &p.header, message, sizeof message);
    p.message = message;
    return p;
}

TEST(Y4mHeader, EveryColourSpaceGivesItsLayout) {
    const struct {
        const char* tag;
        uint32_t type, bits, alpha, frameBytes; // of an 8 x 4 frame
    } cases[] = {
        {"", TYPE_YUV420, 8, 0, 48},           {" C420jpeg", TYPE_YUV420, 8, 0, 48},
        {" C420mpeg2", TYPE_YUV420, 8, 0, 48}, {" C420paldv", TYPE_YUV420, 8, 0, 48},
        {" C420", TYPE_YUV420, 8, 0, 48},      {" C411", TYPE_YUV411, 8, 0, 48},
        {" C422", TYPE_YUV422, 8, 0, 64},      {" C444", TYPE_YUV444, 8, 0, 96},
        {" Cmono", TYPE_GRAY, 8, 0, 32},       {" C444alpha", TYPE_YUV444, 8, 1, 96},
    };
    for (const auto& c : cases) {
        const Parsed p = Parse(std::string("YUV4MPEG2 W8 H4") + c.tag + "\n");
        ASSERT_EQ(p.result, Y4M_OK) << c.tag << ": " << p.message;
        EXPECT_EQ(p.header.layout.type, c.type) << c.tag;
        EXPECT_EQ(p.header.layout.bits, c.bits) << c.tag;
        EXPECT_EQ(p.header.layout.packing, PACKING_PLANAR) << c.tag;
        EXPECT_EQ(p.header.alpha, c.alpha) << c.tag;
        EXPECT_EQ(p.header.frameBytes, c.frameBytes) << c.tag;
        EXPECT_EQ(p.header.alphaBytes, c.alpha * 32) << c.tag;
        EXPECT_EQ(p.message, "");
    }
    const struct {
        const char* prefix;
        uint32_t type, samples;
    } deep[] = {
        {"420p", TYPE_YUV420, 48}, {"422p", TYPE_YUV422, 64}, {"444p", TYPE_YUV444, 96}, {"mono", TYPE_GRAY, 32}};
    for (const auto& d : deep) {
        for (uint32_t bits = 9; bits <= 16; ++bits) {
            const std::string colour = d.prefix + std::to_string(bits);
            const Parsed p = Parse("YUV4MPEG2 W8 H4 C" + colour + "\n");
            ASSERT_EQ(p.result, Y4M_OK) << colour;
            EXPECT_EQ(p.header.layout.type, d.type) << colour;
            EXPECT_EQ(p.header.layout.bits, bits) << colour;
            EXPECT_EQ(p.header.frameBytes, 2 * d.samples) << colour;
            EXPECT_EQ(p.header.colour, colour);
        }
    }
}

TEST(Y4mHeader, RatesTextsAndSpacingAreKept) {
    const std::string line =
        "YUV4MPEG2 W64 H48 F30000:1001 Ip A128:117 C420jpeg XYSCSS=420JPEG XCOLORRANGE=LIMITED\n";
    Parsed p = Parse(line + "FRAME\n");
    ASSERT_EQ(p.result, Y4M_OK) << p.message;
    EXPECT_EQ(p.header.width, 64u);
    EXPECT_EQ(p.header.height, 48u);
    EXPECT_EQ(p.header.rateNum, 30000u);
    EXPECT_EQ(p.header.rateDen, 1001u);
    EXPECT_STREQ(p.header.interlace, "p");
    EXPECT_STREQ(p.header.aspect, "128:117");
    EXPECT_STREQ(p.header.colourRange, "LIMITED");
    EXPECT_EQ(p.header.headerBytes, line.size());

    // Any order, repeated and trailing spaces, X tags of any length.
    const std::string longX = " X" + std::string(250, 'x');
    p = Parse("YUV4MPEG2   C422  F25:1" + longX + " H6   W2 X XCOLORRANGE=FULL  \n");
    ASSERT_EQ(p.result, Y4M_OK) << p.message;
    EXPECT_EQ(p.header.width, 2u);
    EXPECT_EQ(p.header.height, 6u);
    EXPECT_EQ(p.header.layout.type, uint32_t{TYPE_YUV422});
    EXPECT_EQ(p.header.rateNum * 1000 + p.header.rateDen, 25001u);
    EXPECT_STREQ(p.header.colourRange, "FULL");
    EXPECT_STREQ(p.header.interlace, "");

    p = Parse("YUV4MPEG2 W2 H2 F0:0\n");
    ASSERT_EQ(p.result, Y4M_OK);
    EXPECT_EQ(p.header.rateNum + p.header.rateDen, 0u) << "0:0 is no rate";
    p = Parse("YUV4MPEG2 W2 H2 A" + std::string(40, '1') + " I\x01\n");
    ASSERT_EQ(p.result, Y4M_OK);
    EXPECT_EQ(p.header.aspect, std::string(Y4M_TEXT_SIZE - 1, '1')) << "cut to the field";
    EXPECT_STREQ(p.header.interlace, "?");
}

TEST(Y4mHeader, TheLineMayTakeFourKibibytes) {
    const std::string start = "YUV4MPEG2 W8 H4 X";
    const std::string exact = start + std::string(Y4M_LINE_LIMIT - start.size() - 1, 'y') + "\n";
    ASSERT_EQ(exact.size(), size_t{Y4M_LINE_LIMIT});
    const Parsed p = Parse(exact + "FRAME\n");
    ASSERT_EQ(p.result, Y4M_OK);
    EXPECT_EQ(p.header.headerBytes, uint32_t{Y4M_LINE_LIMIT});
    EXPECT_EQ(Parse("YUV4MPEG2 y" + exact).result, Y4M_LINE_TOO_LONG);
    EXPECT_EQ(Parse("YUV4MPEG2 W8 H4 X" + std::string(9000, 'y')).result, Y4M_LINE_TOO_LONG);
}

TEST(Y4mHeader, RefusalsNameWhatIsRefused) {
    const struct {
        std::string text;
        Y4mResult result;
        const char* message;
    } cases[] = {
        {"", Y4M_NOT_Y4M, "Not a Y4M file!"},
        {"YUV4MPEG2W8 H4\n", Y4M_NOT_Y4M, "Not a Y4M file!"},
        {"YUV4MPEG1 W8 H4\n", Y4M_NOT_Y4M, "Not a Y4M file!"},
        {"YUV4MPEG2 W8 H4", Y4M_SHORT, "Y4M file too short!"},
        {std::string("YUV4MPEG2 W8 H4\0 Q\n", 19), Y4M_BAD_HEADER, "Y4M header damaged!"},
        {"YUV4MPEG2 W8\n", Y4M_NO_SIZE, "Y4M header lacks the frame size!"},
        {"YUV4MPEG2 \n", Y4M_NO_SIZE, "Y4M header lacks the frame size!"},
        {"YUV4MPEG2 W0 H4\n", Y4M_BAD_SIZE, "Invalid Y4M frame size 'W0'!"},
        {"YUV4MPEG2 W8 H\n", Y4M_BAD_SIZE, "Invalid Y4M frame size 'H'!"},
        {"YUV4MPEG2 W8 H-4\n", Y4M_BAD_SIZE, "Invalid Y4M frame size 'H-4'!"},
        {"YUV4MPEG2 W8x H4\n", Y4M_BAD_SIZE, "Invalid Y4M frame size 'W8x'!"},
        {"YUV4MPEG2 W4294967304 H4\n", Y4M_BAD_SIZE, "Invalid Y4M frame size 'W4294967304'!"},
        {"YUV4MPEG2 W16385 H4\n", Y4M_BAD_SIZE, "Y4M frame size 'W16385' too large!"},
        {"YUV4MPEG2 W8 H4 F30\n", Y4M_BAD_RATE, "Invalid Y4M frame rate 'F30'!"},
        {"YUV4MPEG2 W8 H4 F0:1\n", Y4M_BAD_RATE, "Invalid Y4M frame rate 'F0:1'!"},
        {"YUV4MPEG2 W8 H4 F25:0\n", Y4M_BAD_RATE, "Invalid Y4M frame rate 'F25:0'!"},
        {"YUV4MPEG2 W8 H4 F:1\n", Y4M_BAD_RATE, "Invalid Y4M frame rate 'F:1'!"},
        {"YUV4MPEG2 W8 H4 F1:1:1\n", Y4M_BAD_RATE, "Invalid Y4M frame rate 'F1:1:1'!"},
        {"YUV4MPEG2 W8 H4 Cxyz\n", Y4M_BAD_COLOUR, "Unsupported Y4M colour space 'xyz'!"},
        {"YUV4MPEG2 W8 H4 C420p8\n", Y4M_BAD_COLOUR, "Unsupported Y4M colour space '420p8'!"},
        {"YUV4MPEG2 W8 H4 C444p17\n", Y4M_BAD_COLOUR, "Unsupported Y4M colour space '444p17'!"},
        {"YUV4MPEG2 W8 H4 Cmono010\n", Y4M_BAD_COLOUR, "Unsupported Y4M colour space 'mono010'!"},
        {"YUV4MPEG2 W8 H4 C411p10\n", Y4M_BAD_COLOUR, "Unsupported Y4M colour space '411p10'!"},
        {"YUV4MPEG2 W8 H4 C\n", Y4M_BAD_COLOUR, "Unsupported Y4M colour space ''!"},
        {"YUV4MPEG2 W8 H4 C" + std::string(40, 'z') + "\n", Y4M_BAD_COLOUR,
         "Unsupported Y4M colour space 'zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz...'!"},
        {"YUV4MPEG2 W8 H4 C4\x7f\x80\n", Y4M_BAD_COLOUR,
         "Unsupported Y4M colour space '4?"
         "?'!"},
        {"YUV4MPEG2 W8 H4 Q5\n", Y4M_BAD_TAG, "Unsupported Y4M header tag 'Q5'!"},
        {"YUV4MPEG2 W8 H4 W8\n", Y4M_REPEATED_TAG, "Y4M header repeats the tag 'W8'!"},
        {"YUV4MPEG2 W8 H4 C420 C444\n", Y4M_REPEATED_TAG, "Y4M header repeats the tag 'C444'!"},
        {"YUV4MPEG2 W6 H4 C411\n", Y4M_SIZE_NOT_SAMPLED, "Unsupported Y4M frame size 6 x 4 for 4:1:1!"},
        {"YUV4MPEG2 W8 H3\n", Y4M_SIZE_NOT_SAMPLED, "Unsupported Y4M frame size 8 x 3 for 4:2:0!"},
        {"YUV4MPEG2 W7 H4 C422p10\n", Y4M_SIZE_NOT_SAMPLED, "Unsupported Y4M frame size 7 x 4 for 4:2:2 10-bit!"},
    };
    for (const auto& c : cases) {
        const Parsed p = Parse(c.text);
        EXPECT_EQ(p.result, c.result) << c.text;
        EXPECT_EQ(p.message, c.message) << c.text;
    }
    EXPECT_EQ(Parse("YUV4MPEG2 W7 H3 C444\n").result, Y4M_OK) << "no chroma subsampling";
    EXPECT_EQ(Parse("YUV4MPEG2 W7 H3 Cmono\n").result, Y4M_OK);
    EXPECT_EQ(Parse("YUV4MPEG2 W16384 H16384 C444p16\n").header.frameBytes, 3u * 2 * 16384 * 16384);

    // A short message buffer takes what fits.
    const std::string text = "YUV4MPEG2 W8 H4 Cxyz\n";
    const MemoryBytes bytes = {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
    GuardedBuffer small(8);
    Y4mHeader header;
    EXPECT_EQ(ReadY4mHeader(MemorySource(&bytes), &header, reinterpret_cast<char*>(small.data()), 8),
              Y4M_BAD_COLOUR);
    EXPECT_STREQ(reinterpret_cast<char*>(small.data()), "Unsuppo");
}

// A Y4M file of gray 4 x 2 frames (8 bytes each, every byte telling its
// frame and place) behind the given lines.
std::vector<uint8_t> GrayFile(const std::vector<std::string>& lines, size_t cutLast = 0) {
    const std::string header = "YUV4MPEG2 W4 H2 Cmono F25:1\n";
    std::vector<uint8_t> file(header.begin(), header.end());
    for (size_t f = 0; f < lines.size(); ++f) {
        file.insert(file.end(), lines[f].begin(), lines[f].end());
        for (int i = 0; i < 8; ++i) {
            file.push_back(static_cast<uint8_t>(16 * f + i));
        }
    }
    file.resize(file.size() - cutLast);
    return file;
}

struct Opened {
    std::vector<uint8_t> content;
    MemoryBytes bytes;
    Y4mHeader header;
    FrameSource frames;
    StoredFramePlan plan;

    explicit Opened(std::vector<uint8_t> file) : content(std::move(file)) {
        bytes = MemoryBytes{content.data(), content.size()};
        EXPECT_EQ(ReadY4mHeader(MemorySource(&bytes), &header, nullptr, 0), Y4M_OK);
        frames = Y4mFrameSource(MemorySource(&bytes), header);
        plan = StoredFramePlan{header.layout, header.width, header.height, header.frameBytes, 0};
    }
    ~Opened() { CloseSource(&frames); }

    // Indexes one frame a step; the steps end in DONE.
    void Index() {
        uint32_t steps = 0;
        while (Y4mIndexStep(frames, 1) == Y4M_INDEX_MORE) {
            ASSERT_LT(++steps, 100u);
        }
        EXPECT_FALSE(Y4mSourceStatus(frames).needsIndex);
    }

    // Frames 0 .. count - 1 read as they were written, and no more.
    void ExpectFrames(uint32_t count) {
        ASSERT_EQ(CountFrames(frames, plan), count);
        uint8_t frame[8];
        for (uint32_t f = 0; f < count; ++f) {
            ASSERT_TRUE(ReadFrame(frames, plan, f, frame, sizeof frame)) << f;
            for (int i = 0; i < 8; ++i) {
                ASSERT_EQ(frame[i], 16 * f + i) << "frame " << f;
            }
        }
        EXPECT_FALSE(ReadFrame(frames, plan, count, frame, sizeof frame));
    }
};

TEST(Y4mFrames, PlainLinesAreReadAtTheStride) {
    Opened y(GrayFile({"FRAME\n", "FRAME\n", "FRAME\n"}));
    Y4mStatus s = Y4mSourceStatus(y.frames);
    EXPECT_TRUE(s.isY4m);
    EXPECT_FALSE(s.needsIndex);
    EXPECT_EQ(s.frames, 3u);
    EXPECT_EQ(Y4mIndexStep(y.frames, 10), Y4M_INDEX_DONE);
    y.ExpectFrames(3);
    // A read across two frames, and one past the end, as a short file gives it.
    uint8_t bytes[6];
    ASSERT_EQ(y.frames.read(y.frames.context, 5, bytes, 6), 6u);
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 6), (std::vector<uint8_t>{5, 6, 7, 16, 17, 18}));
    EXPECT_EQ(y.frames.read(y.frames.context, 21, bytes, 6), 3u);
    EXPECT_EQ(y.frames.read(y.frames.context, 24, bytes, 6), 0u);
    EXPECT_FALSE(s.damaged);
    EXPECT_FALSE(Y4mSourceStatus(MemorySource(&y.bytes)).isY4m);
}

TEST(Y4mFrames, LinesWithParametersAreFoundByIndexing) {
    for (const auto& lines : std::vector<std::vector<std::string>>{
             {"FRAME Ip XA=1\n", "FRAME Ip XA=1\n", "FRAME Ip XA=1\n"},
             {"FRAME\n", "FRAME Ib\n", "FRAME\n"}, // only the last line is off the stride
             {"FRAME\n", "FRAME X" + std::string(100, 'x') + "\n", "FRAME\n"},
             // the longest line taken, and one byte more
             {"FRAME\n", "FRAME X" + std::string(Y4M_LINE_LIMIT - 8, 'x') + "\n", "FRAME\n"},
             {"FRAME\n", "FRAME X" + std::string(Y4M_LINE_LIMIT - 7, 'x') + "\n", "FRAME\n"}}) {
        Opened y(GrayFile(lines));
        Y4mStatus s = Y4mSourceStatus(y.frames);
        EXPECT_TRUE(s.needsIndex);
        EXPECT_EQ(CountFrames(y.frames, y.plan), 0u) << "nothing before the index";
        EXPECT_EQ(s.scanned, y.header.headerBytes) << "indexing starts at the first line";
        y.Index();
        s = Y4mSourceStatus(y.frames);
        const bool tooLong = lines[1].size() > Y4M_LINE_LIMIT;
        EXPECT_EQ(s.damaged, tooLong);
        y.ExpectFrames(tooLong ? 1 : 3);
        EXPECT_EQ(s.scanned, s.fileBytes);
    }
}

TEST(Y4mFrames, ALastFrameCutShortIsMissing) {
    for (size_t cut : {1, 8, 9, 13}) { // in its samples, at its line, inside the line
        SCOPED_TRACE(cut);
        Opened plain(GrayFile({"FRAME\n", "FRAME\n", "FRAME\n"}, cut));
        plain.ExpectFrames(2);
        EXPECT_FALSE(Y4mSourceStatus(plain.frames).damaged);
        Opened indexed(GrayFile({"FRAME X\n", "FRAME X\n", "FRAME X\n"}, cut));
        indexed.Index();
        indexed.ExpectFrames(2);
        EXPECT_FALSE(Y4mSourceStatus(indexed.frames).damaged);
    }
    Opened empty(GrayFile({}));
    empty.ExpectFrames(0);
    EXPECT_FALSE(Y4mSourceStatus(empty.frames).needsIndex);
}

TEST(Y4mFrames, ADamagedLineEndsTheSequenceBeforeIt) {
    Opened y(GrayFile({"FRAME\n", "FRAME\n", "FRAMX\n", "FRAME\n", "FRAME\n"}));
    EXPECT_FALSE(Y4mSourceStatus(y.frames).needsIndex) << "the first and last lines are in place";
    EXPECT_EQ(CountFrames(y.frames, y.plan), 5u);
    uint8_t frame[8];
    EXPECT_TRUE(ReadFrame(y.frames, y.plan, 4, frame, sizeof frame));
    EXPECT_FALSE(ReadFrame(y.frames, y.plan, 2, frame, sizeof frame)) << "never read from behind a bad line";
    Y4mStatus s = Y4mSourceStatus(y.frames);
    EXPECT_TRUE(s.needsIndex);
    EXPECT_EQ(s.frames, 0u);
    y.Index();
    EXPECT_TRUE(Y4mSourceStatus(y.frames).damaged);
    y.ExpectFrames(2);

    for (const char* bad : {"FRAME", "XFRAME\n", "\n"}) { // a line broken or lost in the middle
        Opened z(GrayFile({"FRAME Ip\n", bad, "FRAME\n"}));
        z.Index();
        EXPECT_TRUE(Y4mSourceStatus(z.frames).damaged) << bad;
        z.ExpectFrames(1);
    }
}

TEST(Y4mFrames, TheAlphaPlaneIsSkipped) {
    // 4 x 1 pixels: Y, U, V and alpha planes of 4 bytes, each byte naming
    // its frame and plane.
    for (const char* line : {"FRAME\n", "FRAME Ip\n"}) { // at the stride, and indexed
        std::string file = "YUV4MPEG2 W4 H1 C444alpha\n";
        for (int f = 0; f < 3; ++f) {
            file += line;
            for (int plane = 0; plane < 4; ++plane) {
                file += std::string(4, static_cast<char>(16 * f + plane));
            }
        }
        Opened y(std::vector<uint8_t>(file.begin(), file.end()));
        y.Index();
        ASSERT_EQ(y.header.frameBytes, 12u);
        ASSERT_EQ(CountFrames(y.frames, y.plan), 3u) << line;
        uint8_t frame[12];
        for (uint32_t f = 0; f < 3; ++f) {
            ASSERT_TRUE(ReadFrame(y.frames, y.plan, f, frame, sizeof frame));
            for (int i = 0; i < 12; ++i) {
                EXPECT_EQ(frame[i], 16 * f + i / 4) << line << " frame " << f << " byte " << i;
            }
        }
    }
}

TEST(Y4mFrames, MillionsOfFramesAreIndexedInSteps) {
    const uint32_t count = 1100000;
    const std::string header = "YUV4MPEG2 W1 H1 Cmono\n", line = "FRAME Ip\n";
    std::vector<uint8_t> file(header.begin(), header.end());
    file.reserve(file.size() + size_t{count} * (line.size() + 1));
    for (uint32_t f = 0; f < count; ++f) {
        file.insert(file.end(), line.begin(), line.end());
        file.push_back(static_cast<uint8_t>(f * 7));
    }
    Opened y(file);
    uint32_t steps = 0;
    Y4mIndexResult r;
    while ((r = Y4mIndexStep(y.frames, 100000)) == Y4M_INDEX_MORE) {
        const Y4mStatus s = Y4mSourceStatus(y.frames);
        EXPECT_EQ(s.frames, 100000 * ++steps);
        EXPECT_EQ(s.scanned, header.size() + s.frames * (line.size() + 1));
    }
    EXPECT_EQ(r, Y4M_INDEX_DONE);
    ASSERT_EQ(CountFrames(y.frames, y.plan), count);
    for (uint32_t f : {0u, 1u, 654321u, count - 1}) {
        uint8_t sample;
        ASSERT_TRUE(ReadFrame(y.frames, y.plan, f, &sample, 1));
        EXPECT_EQ(sample, static_cast<uint8_t>(f * 7));
    }
}

// Four frames of 1.5 GiB in a sparse file: lines and samples beyond 4 GiB,
// at the stride and by the index.
TEST(Y4mFrames, PositionsPassFourGibibytes) {
    const std::string header = "YUV4MPEG2 W16384 H16384 C444p16\n";
    const uint64_t frameBytes = 3ull * 2 * 16384 * 16384;
    for (const std::string second : {"FRAME\n", "FRAME Ip\n"}) {
        TempFile file;
        ASSERT_TRUE(file.WriteAt(0, header.data(), header.size()));
        uint64_t lines[4] = {header.size(), header.size() + 6 + frameBytes};
        lines[2] = lines[1] + second.size() + frameBytes;
        lines[3] = lines[2] + 6 + frameBytes;
        ASSERT_GT(lines[3], 0xFFFFFFFFu);
        for (int f = 0; f < 4; ++f) {
            const std::string& line = f == 1 ? second : std::string("FRAME\n");
            ASSERT_TRUE(file.WriteAt(lines[f], line.data(), line.size()));
            const uint8_t ends[2] = {static_cast<uint8_t>(f + 1), static_cast<uint8_t>(f + 101)};
            ASSERT_TRUE(file.WriteAt(lines[f] + line.size(), &ends[0], 1));
            ASSERT_TRUE(file.WriteAt(lines[f] + line.size() + frameBytes - 1, &ends[1], 1));
        }
        FrameSource disk = OpenFileSource(file.path());
        Y4mHeader h;
        ASSERT_EQ(ReadY4mHeader(disk, &h, nullptr, 0), Y4M_OK);
        FrameSource frames = Y4mFrameSource(disk, h);
        EXPECT_EQ(Y4mSourceStatus(frames).needsIndex, second.size() != 6) << "plain lines are at the stride";
        while (Y4mIndexStep(frames, 1) == Y4M_INDEX_MORE) {
        }
        const StoredFramePlan plan = {h.layout, h.width, h.height, h.frameBytes, 0};
        EXPECT_EQ(CountFrames(frames, plan), 4u) << second;
        for (uint32_t f = 0; f < 4; ++f) {
            uint8_t first = 0, last = 0;
            EXPECT_EQ(frames.read(frames.context, f * frameBytes, &first, 1), 1u);
            EXPECT_EQ(frames.read(frames.context, (f + 1) * frameBytes - 1, &last, 1), 1u);
            EXPECT_EQ(first, f + 1) << second << f;
            EXPECT_EQ(last, f + 101) << second << f;
        }
        CloseSource(&frames);
    }
}

} // namespace
