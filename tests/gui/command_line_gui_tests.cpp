// The player's command line as Windows passes it: a file alone opens as a
// dropped file does, two files compare, bad arguments get the usage, and
// without arguments the player starts as it always has (the other tests).
#include <string>
#include <vector>

#include "display.h"
#include "gui_fixture.h"

namespace {

const int kW = 176, kH = 144;

class CommandLineTest : public PlayerTest {
protected:
    // The player again, started with `arguments`.
    void Relaunch(const std::string& arguments) {
        EndPlayer(&player_);
        ASSERT_TRUE(LaunchPlayer(&player_, nullptr, arguments)) << arguments;
    }
};

TEST_F(CommandLineTest, AFileAloneOpensAndTwoFilesCompare) {
    const std::vector<uint8_t> frames = WriteSequence("a.yuv", TYPE_YUV420, kW, kH, 3);
    std::vector<uint8_t> b = frames;
    b[kW * kH * 3 / 2 + 5] ^= 4; // frame 1, luma (5, 0)
    ASSERT_TRUE(WriteFileBytes(WorkPath("b file.yuv"), b));

    Relaunch("\"" + WorkPath("a.yuv") + "\"");
    EXPECT_TRUE(WaitUntil([&] { return WindowText(player_.window) == "Vorlex - " + WorkPath("a.yuv"); }))
        << WindowText(player_.window);
    EXPECT_TRUE(Shows(kW, kH, ExpectedFramePixels(TYPE_YUV420, kW, kH, frames.data())));

    // Options are taken before the files open.
    Relaunch("-s 176x144 -r 25 \"" + WorkPath("a.yuv") + "\" \"" + WorkPath("b file.yuv") + "\"");
    HWND inspector = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (inspector = PlayerWindow(player_, "VORLEX_INSPECTOR")) != nullptr; }));
    PressKey(player_, 'N');
    EXPECT_TRUE(WaitUntil([&] {
        return inspector &&
               Field(inspector, 1).find("Frame 1: first difference in Y at (5, 0)") != std::string::npos;
    })) << (inspector ? Field(inspector, 1) : "no Inspector");
    ExpectNoDialog();
}

TEST_F(CommandLineTest, BadArgumentsGetTheUsageAndNothingOpens) {
    Relaunch("-l yuv999 a.yuv");
    const std::string text = TakeMessageBox(player_, nullptr, 5000);
    EXPECT_EQ(text.rfind("Unknown layout: yuv999\n\nUsage: vorlex.exe [options] [A [B]]", 0), 0u) << text;
    EXPECT_EQ(WindowText(player_.window), "Vorlex");
    EXPECT_TRUE(ControlGrayed());
}

} // namespace
