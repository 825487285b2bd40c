// Frame sources: frames counted and read by the stored plan, the same from a
// file on disk and from memory, never into a buffer too small for them.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "display.h"
#include "frame_source.h"
#include "test_support.h"

namespace {

// 10 header bytes, then frames of 8 bytes: two whole, and 5 bytes of a third.
std::vector<uint8_t> Content() {
    std::vector<uint8_t> v(10 + 2 * 8 + 5);
    for (size_t i = 0; i < v.size(); ++i) {
        v[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    return v;
}

const StoredFramePlan kPlan = {{TYPE_GRAY, 8, PACKING_PLANAR}, 4, 2, 8, 10};

void ExpectFramesOf(const FrameSource& source, const std::vector<uint8_t>& content) {
    EXPECT_EQ(CountFrames(source, kPlan), 2u);
    EXPECT_EQ(FramePosition(kPlan, 1), 18u);
    std::vector<uint8_t> frame(9, 0xEE);
    ASSERT_TRUE(ReadFrame(source, kPlan, 1, frame.data(), 9));
    EXPECT_EQ(std::vector<uint8_t>(frame.begin(), frame.begin() + 8),
              std::vector<uint8_t>(content.begin() + 18, content.begin() + 26));
    EXPECT_EQ(frame[8], 0xEE) << "one frame, no more";
    EXPECT_FALSE(ReadFrame(source, kPlan, 2, frame.data(), 9)) << "the part of a frame at the end";
    EXPECT_FALSE(ReadFrame(source, kPlan, 0xFFFFFFFFu, frame.data(), 9));
    std::fill(frame.begin(), frame.end(), 0xEE);
    EXPECT_FALSE(ReadFrame(source, kPlan, 0, frame.data(), 7)) << "a buffer too small";
    EXPECT_EQ(frame, std::vector<uint8_t>(9, 0xEE)) << "nothing read into it";

    StoredFramePlan past = kPlan;
    past.header = content.size() + 1;
    EXPECT_EQ(CountFrames(source, past), 0u);
    past = kPlan;
    past.frameBytes = 0;
    EXPECT_EQ(CountFrames(source, past), 0u);
}

TEST(FrameSource, FileAndMemoryGiveTheSameFrames) {
    const std::vector<uint8_t> content = Content();
    const MemoryBytes bytes = {content.data(), content.size()};
    FrameSource memory = MemorySource(&bytes);
    {
        SCOPED_TRACE("memory");
        ExpectFramesOf(memory, content);
    }
    TempFile file;
    ASSERT_TRUE(file.WriteAt(0, content.data(), content.size()));
    FrameSource disk = OpenFileSource(file.path());
    ASSERT_TRUE(SourceOpen(disk));
    {
        SCOPED_TRACE("file");
        ExpectFramesOf(disk, content);
    }
    CloseSource(&disk);
    CloseSource(&disk);
    EXPECT_FALSE(SourceOpen(disk));
    CloseSource(&memory);
}

TEST(FrameSource, NothingToReadWithoutASource) {
    FrameSource none = OpenFileSource((std::string(TempFile().path()) + ".missing").c_str());
    EXPECT_FALSE(SourceOpen(none));
    EXPECT_FALSE(SourceOpen(OpenFileSource(nullptr)));
    uint8_t frame[8];
    EXPECT_EQ(CountFrames(none, kPlan), 0u);
    EXPECT_FALSE(ReadFrame(none, kPlan, 0, frame, sizeof frame));
    CloseSource(&none);
}

} // namespace
