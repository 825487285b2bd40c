#include <gtest/gtest.h>
#include <string.h>

#include <vector>

#include "file_names.h"
#include "frame_access.h"
#include "playback.h"
#include "player_state.h"
#include "test_support.h"

namespace {

// Bytes that differ from frame to frame and within a frame.
std::vector<uint8_t> Pattern(size_t n, uint32_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) {
        v[i] = static_cast<uint8_t>(i * 131 + (i >> 8) + seed * 29);
    }
    return v;
}

bool BufferHolds(const PlayerState& s, const std::vector<uint8_t>& bytes) {
    return memcmp(s.frameBuffer, bytes.data(), bytes.size()) == 0;
}

class FrameAccessTest : public ::testing::Test {
protected:
    PlayerState s{};
    void SetUp() override { ASSERT_TRUE(InitPlayerState(s)); }
    void TearDown() override { ReleasePlayerState(s); }
};

TEST_F(FrameAccessTest, FramePositionsFollowHeaderAndFrameSize) {
    EXPECT_EQ(SequenceFramePosition(s, 0), 0u);
    EXPECT_EQ(SequenceFramePosition(s, 2), 76032u);
    s.sequenceHeader = 100;
    EXPECT_EQ(SequenceFramePosition(s, 0), 100u);
    EXPECT_EQ(SequenceFramePosition(s, 1), 38116u);
    // No 32-bit step anywhere: 113000 x 38016 passes 2^32.
    EXPECT_EQ(SequenceFramePosition(s, 113000), 4295808100ull);
    s.sequenceHeader = 0xFFFFFFFFu;
    s.sequencePlan.frameBytes = 0xFFFFFFFFu;
    EXPECT_EQ(SequenceFramePosition(s, 0xFFFFFFFFu), 0xFFFFFFFFull * 0xFFFFFFFFull + 0xFFFFFFFFull);
}

TEST_F(FrameAccessTest, FramesArePresentUpToTheIncompleteLast) {
    for (uint32_t header : {0u, 100u}) {
        for (uint32_t type : {TYPE_YUV411, TYPE_YUV420}) {
            s.sequenceHeader = header;
            s.sequenceType = type;
            ApplyFramePreset(s);
            const uint32_t size = s.sequencePlan.frameBytes;
            ASSERT_EQ(size, 38016u);

            TempFile file;
            const std::vector<uint8_t> head(header, 0xEE);
            ASSERT_TRUE(file.WriteAt(0, head.data(), head.size()));
            for (uint32_t n = 0; n < 3; ++n) {
                ASSERT_TRUE(file.WriteAt(header + n * size, Pattern(size, n).data(), size));
            }
            ASSERT_TRUE(file.WriteAt(header + 3 * size, Pattern(size - 1, 3).data(), size - 1));
            ASSERT_TRUE(OpenInputFile(s, file.path()));

            for (uint32_t n = 0; n < 3; ++n) {
                EXPECT_TRUE(ReadSequenceFrame(s, n)) << n;
                EXPECT_TRUE(BufferHolds(s, Pattern(size, n))) << n;
            }
            EXPECT_FALSE(ReadSequenceFrame(s, 3));
            EXPECT_FALSE(ReadSequenceFrame(s, 4));
            // The keys count the same frames: 0 to 2.
            EXPECT_EQ(SequenceFrameCount(s), 3u);
            EXPECT_FALSE(ReadSequenceFrame(s, 0xFFFFFFFFu));
            // Reaching the end does not spoil later reads.
            EXPECT_TRUE(ReadSequenceFrame(s, 1));
            EXPECT_TRUE(BufferHolds(s, Pattern(size, 1)));
            CloseSource(&s.openFile);
        }
    }
}

TEST_F(FrameAccessTest, FileShorterThanOneFrameHasNoFrame0) {
    s.sequenceHeader = 100;
    const uint32_t size = s.sequencePlan.frameBytes;
    TempFile file;
    // Frame 0 is bytes 100 to 38115; one byte short of that is no frame.
    ASSERT_TRUE(file.WriteAt(100, Pattern(size - 1, 5).data(), size - 1));
    ASSERT_TRUE(OpenInputFile(s, file.path()));
    EXPECT_FALSE(ReadSequenceFrame(s, 0));
    const uint8_t last = Pattern(size, 5)[size - 1];
    ASSERT_TRUE(file.WriteAt(100 + size - 1, &last, 1));
    ASSERT_TRUE(OpenInputFile(s, file.path()));
    EXPECT_TRUE(ReadSequenceFrame(s, 0));
    EXPECT_TRUE(BufferHolds(s, Pattern(size, 5)));
    EXPECT_FALSE(ReadSequenceFrame(s, 1));
}

// The sparse files below have an apparent size of several GiB but hold only
// the bytes written. Each also holds a decoy frame where a position computed
// in 32 bits would land.
TEST_F(FrameAccessTest, FrameBeyond4GiBIsReadExactly) {
    s.sequenceHeader = 100;
    const uint32_t size = s.sequencePlan.frameBytes;
    const uint32_t n = 113000;
    const uint64_t position = 100 + uint64_t{n} * size;
    ASSERT_GT(position, 0x100000000ull);

    TempFile file;
    ASSERT_TRUE(file.WriteAt(position & 0xFFFFFFFFu, Pattern(size, 8).data(), size));
    ASSERT_TRUE(file.WriteAt(position, Pattern(size, 7).data(), size));
    ASSERT_TRUE(OpenInputFile(s, file.path()));
    EXPECT_TRUE(ReadSequenceFrame(s, n));
    EXPECT_TRUE(BufferHolds(s, Pattern(size, 7)));
    EXPECT_FALSE(ReadSequenceFrame(s, n + 1));
}

TEST_F(FrameAccessTest, LargestFrameNumberDoesNotWrap) {
    // Custom 4 x 1 gray frames of 4 bytes: frame 2^32 - 1 starts 16 GiB in.
    s.framePreset = FRAME_PRESET_CUSTOM;
    s.frameWidth = 4;
    s.frameHeight = 1;
    s.sequenceType = TYPE_GRAY;
    s.sequenceHeader = 3;
    ApplyFramePreset(s);
    ASSERT_EQ(s.sequencePlan.frameBytes, 4u);
    const uint64_t position = 3 + 4 * 0xFFFFFFFFull;

    TempFile file;
    const uint8_t decoy[4] = {9, 9, 9, 9};
    const uint8_t frame[4] = {1, 2, 3, 4};
    ASSERT_TRUE(file.WriteAt(position & 0xFFFFFFFFu, decoy, 4));
    ASSERT_TRUE(file.WriteAt(position, frame, 4));
    ASSERT_TRUE(OpenInputFile(s, file.path()));
    EXPECT_TRUE(ReadSequenceFrame(s, 0xFFFFFFFFu));
    EXPECT_EQ(memcmp(s.frameBuffer, frame, 4), 0);
}

TEST_F(FrameAccessTest, RawImageIsReadAfterItsHeaderAndAShortOneIsReported) {
    const uint32_t size = s.imagePlan.frameBytes; // 512 x 512 gray
    TempFile file;
    const std::vector<uint8_t> head(64, 0xEE);
    ASSERT_TRUE(file.WriteAt(0, head.data(), head.size()));
    ASSERT_TRUE(file.WriteAt(64, Pattern(size - 1, 2).data(), size - 1));
    ASSERT_TRUE(OpenInputFile(s, file.path()));
    EXPECT_FALSE(ReadRawImage(s));

    // Bytes 64 to 262207 complete it.
    const uint8_t last = Pattern(size, 2)[size - 1];
    ASSERT_TRUE(file.WriteAt(64 + size - 1, &last, 1));
    ASSERT_TRUE(OpenInputFile(s, file.path()));
    EXPECT_TRUE(ReadRawImage(s));
    EXPECT_TRUE(BufferHolds(s, Pattern(size, 2)));

    s.imageHeader = 0xFFFFFFFFu;
    EXPECT_FALSE(ReadRawImage(s));
}

TEST_F(FrameAccessTest, WholeFileIsReadFromItsStartWithItsExactSize) {
    TempFile file;
    ASSERT_TRUE(file.WriteAt(0, Pattern(1000, 4).data(), 1000));
    ASSERT_TRUE(OpenInputFile(s, file.path()));
    uint32_t count = 12345;
    for (int again = 0; again < 2; ++again) {
        EXPECT_EQ(ReadWholeImageFile(s, &count), WHOLE_FILE_READ);
        EXPECT_EQ(count, 1000u);
        EXPECT_TRUE(BufferHolds(s, Pattern(1000, 4)));
    }

    TempFile empty;
    ASSERT_TRUE(OpenInputFile(s, empty.path()));
    EXPECT_EQ(ReadWholeImageFile(s, &count), WHOLE_FILE_READ);
    EXPECT_EQ(count, 0u);
}

TEST_F(FrameAccessTest, WholeFileFillsTheBufferExactly) {
    TempFile file;
    ASSERT_TRUE(file.Resize(FRAME_BUFFER_SIZE - 16));
    ASSERT_TRUE(file.WriteAt(FRAME_BUFFER_SIZE - 16, Pattern(16, 6).data(), 16));
    memset(s.frameBuffer, 0x5A, FRAME_BUFFER_SIZE);
    ASSERT_TRUE(OpenInputFile(s, file.path()));
    uint32_t count = 0;
    EXPECT_EQ(ReadWholeImageFile(s, &count), WHOLE_FILE_READ);
    EXPECT_EQ(count, uint32_t{FRAME_BUFFER_SIZE});
    EXPECT_EQ(s.frameBuffer[0], 0);
    EXPECT_EQ(memcmp(s.frameBuffer + FRAME_BUFFER_SIZE - 16, Pattern(16, 6).data(), 16), 0);
}

TEST_F(FrameAccessTest, WholeFileLargerThanTheBufferIsRefusedUnread) {
    // One byte over, and 4 GiB + 10 (10 bytes to a 32-bit size).
    for (uint64_t size : {uint64_t{FRAME_BUFFER_SIZE} + 1, uint64_t{0x10000000A}}) {
        TempFile file;
        ASSERT_TRUE(file.Resize(size));
        memset(s.frameBuffer, 0x5A, FRAME_BUFFER_SIZE);
        ASSERT_TRUE(OpenInputFile(s, file.path()));
        uint32_t count = 12345;
        EXPECT_EQ(ReadWholeImageFile(s, &count), WHOLE_FILE_TOO_LARGE) << size;
        EXPECT_EQ(count, 0u);
        EXPECT_EQ(s.frameBuffer[0], 0x5A);
        EXPECT_EQ(s.frameBuffer[FRAME_BUFFER_SIZE - 1], 0x5A);
        CloseSource(&s.openFile);
    }
}

TEST_F(FrameAccessTest, NothingIsReadWithoutAnOpenFile) {
    uint32_t count = 12345;
    EXPECT_FALSE(ReadSequenceFrame(s, 0));
    EXPECT_FALSE(ReadRawImage(s));
    EXPECT_EQ(ReadWholeImageFile(s, &count), WHOLE_FILE_FAILED);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(SequenceFrameCount(s), 0u); // so no frame key acts

    // A failed open with nothing open before leaves nothing to read.
    TempFile file;
    ASSERT_TRUE(file.Resize(FRAME_BUFFER_SIZE));
    std::string missing = std::string(file.path()) + ".missing";
    EXPECT_FALSE(OpenInputFile(s, missing.c_str()));
    EXPECT_FALSE(SourceOpen(s.openFile));
    EXPECT_FALSE(ReadSequenceFrame(s, 0));
    EXPECT_FALSE(ReadRawImage(s));
    EXPECT_EQ(ReadWholeImageFile(s, &count), WHOLE_FILE_FAILED);
    EXPECT_FALSE(OpenInputFile(s, nullptr));

    // A failed open keeps the file that was open: the player goes on showing it.
    ASSERT_TRUE(OpenInputFile(s, file.path()));
    const void* open = s.openFile.context;
    EXPECT_FALSE(OpenInputFile(s, missing.c_str()));
    EXPECT_EQ(s.openFile.context, open);
    EXPECT_TRUE(ReadSequenceFrame(s, 0));

    // Releasing the state closes the file.
    ASSERT_TRUE(OpenInputFile(s, file.path()));
    ReleasePlayerState(s);
    EXPECT_FALSE(SourceOpen(s.openFile));
}

TEST_F(FrameAccessTest, OpeningAFileReplacesTheOpenOne) {
    const uint32_t size = s.sequencePlan.frameBytes;
    TempFile a, b;
    ASSERT_TRUE(a.WriteAt(0, Pattern(size, 1).data(), size));
    ASSERT_TRUE(b.WriteAt(0, Pattern(size, 2).data(), size));
    ASSERT_TRUE(OpenInputFile(s, a.path()));
    ASSERT_TRUE(OpenInputFile(s, b.path()));
    EXPECT_TRUE(ReadSequenceFrame(s, 0));
    EXPECT_TRUE(BufferHolds(s, Pattern(size, 2)));
}

TEST(FrameAccessWithoutBuffers, ReadsRefuseWhatCannotBeHeld) {
    PlayerState s{};
    TempFile file;
    ASSERT_TRUE(file.Resize(2 * uint64_t{FRAME_BUFFER_SIZE}));
    uint32_t count;
    // After a failed InitPlayerState there are no buffers to read into.
    ReleasePlayerState(s);
    s.files = DiskFiles();
    ASSERT_TRUE(OpenInputFile(s, file.path()));
    s.sequencePlan = ComputeFramePlan(10, 10, TYPE_GRAY);
    s.imagePlan = s.sequencePlan;
    EXPECT_FALSE(ReadSequenceFrame(s, 0));
    EXPECT_FALSE(ReadRawImage(s));
    EXPECT_EQ(ReadWholeImageFile(s, &count), WHOLE_FILE_FAILED);

    // Plans larger than the buffer read nothing.
    ASSERT_TRUE(InitPlayerState(s));
    ASSERT_TRUE(OpenInputFile(s, file.path()));
    s.sequencePlan = ComputeFramePlan(MAX_FRAME_WIDTH, MAX_FRAME_HEIGHT + 1, TYPE_RGB);
    s.imagePlan = s.sequencePlan;
    EXPECT_FALSE(ReadSequenceFrame(s, 0));
    EXPECT_FALSE(ReadRawImage(s));
    ReleasePlayerState(s);
}

TEST(ClassifyImageFile, ByExtensionOfTheLastComponent) {
    struct {
        const char* path;
        int kind;
    } cases[] = {
        {"clip.bmp", 1},
        {"C:\\video\\CLIP.Dib", 1},
        {"/home/u/clip.BMP", 1},
        {"C:clip.dib", 1},
        {"x.mmp", 2},
        {"Z:\\a b\\x.MmP", 2},
        {"foo.yuv", 3},
        {"noextension", 3},
        {"C:\\a.bmp\\name", 3},
        {"/a.bmp/name", 3},
        {"a.bmp:name", 3},
        {"x.yuv.bmp", 1},
        {"x.bmp.yuv", 3},
        {"x.bmpx", 3},
        {"x.bm", 3},
        {"x.", 3},
        {"dir.mmp/", 3},
        {"", 3},
        {nullptr, 3},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClassifyImageFile(c.path), c.kind) << (c.path ? c.path : "(null)");
    }
}

TEST(FrameForKey, StepsInsideTheSequenceAndStopsAtItsEnds) {
    EXPECT_EQ(FrameForKey(FRAME_KEY_NEXT, 0, 3), 1);
    EXPECT_EQ(FrameForKey(FRAME_KEY_NEXT, 2, 3), -1);
    EXPECT_EQ(FrameForKey(FRAME_KEY_PREVIOUS, 2, 3), 1);
    EXPECT_EQ(FrameForKey(FRAME_KEY_PREVIOUS, 0, 3), -1);
    EXPECT_EQ(FrameForKey(FRAME_KEY_FIRST, 2, 3), 0);
    EXPECT_EQ(FrameForKey(FRAME_KEY_LAST, 0, 3), 2);
    // A frame shown beyond the end (the file shrank): Left and Home still lead back in.
    EXPECT_EQ(FrameForKey(FRAME_KEY_NEXT, 7, 3), -1);
    EXPECT_EQ(FrameForKey(FRAME_KEY_PREVIOUS, 7, 3), 2);
    EXPECT_EQ(FrameForKey(FRAME_KEY_NEXT, 0xFFFFFFFEu, 0xFFFFFFFFu), -1);
    for (FrameKey key : {FRAME_KEY_NEXT, FRAME_KEY_PREVIOUS, FRAME_KEY_FIRST, FRAME_KEY_LAST}) {
        EXPECT_EQ(FrameForKey(key, 0, 0), -1) << key;
    }
}

void PutWord(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

TEST(ExtendedLayoutFrames, AreReadCountedAndSavedAsStored) {
    PlayerState s{};
    ASSERT_TRUE(InitPlayerState(s));
    s.framePreset = FRAME_PRESET_CUSTOM;
    s.frameWidth = 8;
    s.frameHeight = 4;
    s.sequenceType = TYPE_YUV420;
    s.sequenceBits = 10;
    s.sequenceHeader = 5;
    ApplyFramePreset(s);
    EXPECT_EQ(s.storedPlan.frameBytes, 96u); // 48 samples of 2 bytes
    EXPECT_EQ(s.sequencePlan.frameBytes, 48u);

    // Two frames and a half; the samples count 0, 1, 2, ... in 10 bits.
    std::vector<uint8_t> file(5, 0xEE);
    for (uint32_t i = 0; i < 48 * 5 / 2; ++i) {
        PutWord(file, (i * 4) & 0x3FF);
    }
    TempFile f;
    ASSERT_TRUE(f.WriteAt(0, file.data(), file.size()));
    ASSERT_TRUE(OpenInputFile(s, f.path()));
    EXPECT_EQ(SequenceFrameCount(s), 2u);
    EXPECT_EQ(SequenceFramePosition(s, 1), 5u + 96);
    ASSERT_TRUE(ReadSequenceFrame(s, 1));
    EXPECT_EQ(s.frameBuffer[0], 48); // the 49th sample: 192 of 10 bits
    EXPECT_EQ(std::vector<uint8_t>(StoredFrame(s), StoredFrame(s) + StoredFrameBytes(s)),
              std::vector<uint8_t>(file.begin() + 5 + 96, file.begin() + 5 + 192));
    EXPECT_FALSE(ReadSequenceFrame(s, 2));

    // A setting stored without new plans does not change how frames are read.
    s.sequencePacking = PACKING_YUYV;
    EXPECT_EQ(StoredFrameBytes(s), 96u);
    ReleasePlayerState(s);
}

} // namespace
