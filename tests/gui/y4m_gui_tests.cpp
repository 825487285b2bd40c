// Y4M files in the real player: every format ffmpeg's writer takes shows
// as the raw frames of the same picture, a damaged frame line gets its
// message and never a slid picture, and a long index shows its progress
// with Cancel. The ffmpeg files are written by run_gui_tests.sh into the
// work folder's "ffmpeg" folder.
#include <string>
#include <vector>

#include "display.h"
#include "gui_fixture.h"
#include "sequence_layout.h"
#include "test_support.h"

namespace {

const int kW = 176, kH = 144;

// Waits for the title of a Y4M file opened through the dialog.
::testing::AssertionResult Titled(const PlayerProcess& player, const std::string& title) {
    if (WaitUntil([&] { return WindowText(player.window) == title; })) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "the title is " << WindowText(player.window);
}

// A QCIF 4:2:0 Y4M file of NumberedFrame frames 0, 1, 2 after `lines`.
std::vector<uint8_t> NumberedY4m(const std::vector<std::string>& lines) {
    const std::string header = "YUV4MPEG2 W176 H144 F25:1 C420mpeg2\n";
    std::vector<uint8_t> file(header.begin(), header.end());
    for (size_t n = 0; n < lines.size(); ++n) {
        const std::vector<uint8_t> frame = NumberedFrame(TYPE_YUV420, kW, kH, static_cast<int>(n));
        file.insert(file.end(), lines[n].begin(), lines[n].end());
        file.insert(file.end(), frame.begin(), frame.end());
    }
    return file;
}

using Y4mTest = PlayerTest;

TEST_F(Y4mTest, EveryFormatFfmpegWritesShowsAsItsRawFrames) {
    const struct {
        const char* format;
        SequenceLayout layout;
        const char* described;
    } formats[] = {
        {"yuv420p", {TYPE_YUV420, 8, PACKING_PLANAR}, "4:2:0"},
        {"yuv422p", {TYPE_YUV422, 8, PACKING_PLANAR}, "4:2:2"},
        {"yuv444p", {TYPE_YUV444, 8, PACKING_PLANAR}, "4:4:4"},
        {"yuv411p", {TYPE_YUV411, 8, PACKING_PLANAR}, "4:1:1"},
        {"gray", {TYPE_GRAY, 8, PACKING_PLANAR}, "Gray"},
        {"yuv420p10le", {TYPE_YUV420, 10, PACKING_PLANAR}, "4:2:0 10-bit"},
        {"yuv422p12le", {TYPE_YUV422, 12, PACKING_PLANAR}, "4:2:2 12-bit"},
        {"yuv444p16le", {TYPE_YUV444, 16, PACKING_PLANAR}, "4:4:4 16-bit"},
        {"gray16le", {TYPE_GRAY, 16, PACKING_PLANAR}, "Gray 16-bit"},
        {"yuva444p", {TYPE_YUV444, 8, PACKING_PLANAR}, "4:4:4"}, // the alpha plane is not shown
    };
    for (const auto& f : formats) {
        SCOPED_TRACE(f.format);
        // Frame 0 of ffmpeg's raw samples, in the 8-bit form the player shows.
        const std::vector<uint8_t> raw = ReadWholeFile(WorkFolder + "ffmpeg\\" + f.format + ".raw");
        const size_t stored = static_cast<size_t>(LayoutFrameBytes(f.layout, kW, kH));
        ASSERT_GE(raw.size(), stored) << "ffmpeg's raw file";
        std::vector<uint8_t> shown(FrameBytes(f.layout.type, kW, kH));
        if (IsExtendedLayout(f.layout)) {
            UnpackFrame(f.layout, kW, kH, raw.data(), shown.data());
        } else {
            shown.assign(raw.begin(), raw.begin() + static_cast<std::ptrdiff_t>(shown.size()));
        }
        const std::string path = WorkFolder + "ffmpeg\\" + f.format + ".y4m";
        ASSERT_TRUE(OpenThroughDialog(player_, CMD_OPEN_SEQUENCE, path));
        EXPECT_TRUE(Titled(player_, "Vorlex - " + path + " [176x144, " + f.described +
                                        ", 29.97 fps from the Y4M header]"));
        EXPECT_TRUE(Shows(kW, kH, ExpectedFramePixels(f.layout.type, kW, kH, shown.data())));
    }
}

TEST_F(Y4mTest, ADamagedFrameLineGetsItsMessageAndNeverASlidPicture) {
    // Frame 1's line is broken; frames 0 and 2 have theirs in place.
    const std::string path = WorkPath("damaged.y4m");
    ASSERT_TRUE(WriteFileBytes(path, NumberedY4m({"FRAME\n", "FRAMX\n", "FRAME\n"})));
    ASSERT_TRUE(OpenThroughDialog(player_, CMD_OPEN_SEQUENCE, path));
    EXPECT_TRUE(Titled(player_, "Vorlex - " + path + " [176x144, 4:2:0, 25 fps from the Y4M header]"));
    EXPECT_TRUE(WaitForFrame(kW, kH, [](int n) { return n == 0; }));
    PressKey(player_, VK_RIGHT);
    ExpectPlayerMessage("Damaged Y4M frame line after frame 0: the sequence ends there.");
    EXPECT_EQ(SettledFrame(kW, kH), 0);
    PressKey(player_, VK_END); // the last frame is now frame 0
    EXPECT_EQ(SettledFrame(kW, kH), 0);
    ExpectNoDialog();
}

TEST_F(Y4mTest, ALongIndexShowsItsProgressAndCancelKeepsTheFramesFound) {
    // 16 x 16 gray frames whose lines carry 3 KB of parameters: they are
    // found one by one, reading each line in small steps, which takes about
    // 1.5 s for 25000 frames (82 MB) under Wine.
    const std::string header = "YUV4MPEG2 W16 H16 Cmono\n";
    const std::string frame = "FRAME X" + std::string(3000, 'x') + "\n" + std::string(256, '\x80');
    std::string content = header;
    content.reserve(header.size() + 25000 * frame.size());
    for (int n = 0; n < 25000; ++n) {
        content += frame;
    }
    const std::string path = WorkPath("long index.y4m");
    ASSERT_TRUE(WriteFileBytes(path, std::vector<uint8_t>(content.begin(), content.end())));
    ASSERT_TRUE(OpenThroughDialog(player_, CMD_OPEN_SEQUENCE, path));
    HWND dialog = WaitForDialog(player_, "Indexing Y4M Frames", player_.window, 5000);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return Field(dialog, 110).find("Finding the frames: ") == 0; }));
    PressButton(dialog, IDCANCEL);
    EXPECT_TRUE(WaitUntilGone(dialog));
    EXPECT_TRUE(Titled(player_, "Vorlex - " + path + " [16x16, Gray from the Y4M header]"));
    const std::vector<uint8_t> gray(256, 0x80);
    EXPECT_TRUE(Shows(16, 16, ExpectedFramePixels(TYPE_GRAY, 16, 16, gray.data())));
    ExpectNoDialog();
}

} // namespace
