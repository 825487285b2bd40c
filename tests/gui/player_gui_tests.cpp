// The main window and playback, driven as a user would: start state,
// opening a sequence, play, pause, stop, single frames, the Y-only view, the
// frame rate, and exit.
#include <algorithm>
#include <string>
#include <vector>

#include "display.h"
#include "gui_fixture.h"

namespace {

const int kQcifW = 176, kQcifH = 144;

// Frame bytes of frame n of a sequence held whole.
const uint8_t* FrameOf(const std::vector<uint8_t>& sequence, uint32_t type, int w, int h, int n) {
    return sequence.data() + FrameBytes(type, w, h) * n;
}

double Now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * double(count.QuadPart) / double(frequency.QuadPart);
}

// Milliseconds per frame of the playback on screen, from the first frame
// change seen to the last one within `ms`; 0 when fewer than two changes
// were seen.
double MeasureFramePeriod(HWND window, int w, int h, double ms) {
    int last = ReadFrameNumber(window, w, h), first = -1, latest = -1;
    double firstAt = 0, latestAt = 0;
    for (const double end = Now() + ms; Now() < end; Sleep(2)) {
        const int n = ReadFrameNumber(window, w, h);
        if (n < 0 || n == last) {
            continue;
        }
        last = n;
        if (first < 0) {
            first = n;
            firstAt = Now();
        } else {
            latest = n;
            latestAt = Now();
        }
    }
    return latest > first ? (latestAt - firstAt) / (latest - first) : 0;
}

TEST_F(PlayerTest, StartsCentredForQcifWithControlGreyed) {
    EXPECT_EQ(WindowText(player_.window), "Vorlex");
    ExpectFitted(kQcifW, kQcifH);

    EXPECT_TRUE(ControlGrayed());
    // Every item starts enabled and unchecked.
    for (UINT id : {CMD_OPEN_SEQUENCE, CMD_OPEN_IMAGE, CMD_EXIT, CMD_PLAY, CMD_STOP, CMD_PAUSE,
                    CMD_SHOW_FRAME, CMD_SAVE_RAW, CMD_SAVE_BITMAP, CMD_FRAME_OPTIONS, CMD_IMAGE_OPTION,
                    CMD_SEQUENCE_OPTION, CMD_Y_ONLY}) {
        EXPECT_FALSE(Grayed(id)) << id;
        EXPECT_FALSE(MenuChecked(id)) << id;
    }
}

TEST_F(PlayerTest, OpeningASequenceShowsFrame0AsTheLibraryConvertsIt) {
    const std::vector<uint8_t> file = WriteSequence("open 420.yuv", TYPE_YUV420, kQcifW, kQcifH, 10);
    OpenSequence(WorkPath("open 420.yuv"));
    EXPECT_TRUE(Shows(kQcifW, kQcifH, ExpectedFramePixels(TYPE_YUV420, kQcifW, kQcifH, file.data())));
    EXPECT_FALSE(ControlGrayed());
    ExpectArrangement(false);
    ExpectNoDialog();

    // A file shorter than one frame has no frame 0.
    WriteFileBytes(WorkPath("short.yuv"), std::vector<uint8_t>(38015, 0x80));
    OpenSequence(WorkPath("short.yuv"));
    ExpectPlayerMessage("Frame number too large!");
}

TEST_F(PlayerTest, PlayRunsThroughTenFramesAndStopsSilently) {
    const std::vector<uint8_t> file = WriteSequence("ten.yuv", TYPE_YUV420, kQcifW, kQcifH, 10);
    SetSequenceOptions(0, nullptr, "10"); // 100 ms a frame: every frame can be seen
    OpenSequence(WorkPath("ten.yuv"));
    ASSERT_TRUE(WaitForFrame(kQcifW, kQcifH, [](int n) { return n == 0; }));
    PostCommand(player_, CMD_PLAY);

    // Frames follow one another from 0 to 9; then the stopped arrangement
    // comes back.
    std::vector<int> seen;
    bool arrangementSeen = false;
    WaitUntil(
        [&] {
            const int n = FrameOnScreen(kQcifW, kQcifH);
            if (n >= 0 && (seen.empty() || n != seen.back())) {
                seen.push_back(n);
            }
            if (n == 2 && !arrangementSeen) {
                arrangementSeen = true;
                ExpectArrangement(true);
            }
            return n == 9 && !Grayed(CMD_PLAY);
        },
        5000);
    EXPECT_TRUE(arrangementSeen);
    // A busy machine may keep the poll from seeing every frame, so only the
    // order, the first and the last are required.
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), 9);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end())) << ::testing::PrintToString(seen);

    ExpectArrangement(false);
    EXPECT_FALSE(MenuChecked(CMD_PAUSE));
    ExpectNoDialog();
    EXPECT_TRUE(Shows(kQcifW, kQcifH,
                      ExpectedFramePixels(TYPE_YUV420, kQcifW, kQcifH,
                                          FrameOf(file, TYPE_YUV420, kQcifW, kQcifH, 9))));

    // Playback stopped at the first missing frame, which cannot be shown.
    HWND dialog = OpenDialog(CMD_SHOW_FRAME, "Frame Number");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Field(dialog, 101), "10");
    ConfirmDialog(dialog);
    ExpectPlayerMessage("Frame number too large!");
}

TEST_F(PlayerTest, YOnlyShowsTheLumaWithNeutralColourFromTheNextFrameOn) {
    const std::vector<uint8_t> file = WriteSequence("yonly.yuv", TYPE_YUV411, kQcifW, kQcifH, 3);
    SetSequenceOptions(104, nullptr, nullptr); // "Y:U:V = 4:2:0", type 102
    OpenSequence(WorkPath("yonly.yuv"));
    const std::vector<uint8_t> colour0 =
        ExpectedFramePixels(TYPE_YUV411, kQcifW, kQcifH, FrameOf(file, TYPE_YUV411, kQcifW, kQcifH, 0));
    ASSERT_TRUE(Shows(kQcifW, kQcifH, colour0));

    PostCommand(player_, CMD_Y_ONLY);
    ASSERT_TRUE(WaitUntil([&] { return MenuChecked(CMD_Y_ONLY); }));
    EXPECT_TRUE(Shows(kQcifW, kQcifH, colour0)) << "nothing is shown again";
    ShowFrame(1);
    const uint8_t* frame1 = FrameOf(file, TYPE_YUV411, kQcifW, kQcifH, 1);
    EXPECT_TRUE(Shows(kQcifW, kQcifH, ExpectedFramePixels(TYPE_YUV411, kQcifW, kQcifH, frame1, true)));

    PostCommand(player_, CMD_Y_ONLY);
    ASSERT_TRUE(WaitUntil([&] { return !MenuChecked(CMD_Y_ONLY); }));
    ShowFrame(1);
    EXPECT_TRUE(Shows(kQcifW, kQcifH, ExpectedFramePixels(TYPE_YUV411, kQcifW, kQcifH, frame1)));
}

TEST_F(PlayerTest, GrayRgbAndBgrSequencesShowTheirOwnPixels) {
    struct {
        int radio;
        uint32_t type;
        const char* name;
    } cases[] = {{101, TYPE_GRAY, "seq.gray"},
                 {106, TYPE_RGB, "seq.rgb"},
                 {107, TYPE_BGR, "seq.bgr"},
                 {102, TYPE_YUV444, "seq444.yuv"},
                 {103, TYPE_YUV422, "seq422.yuv"}};
    for (const auto& c : cases) {
        const std::vector<uint8_t> file = WriteSequence(c.name, c.type, kQcifW, kQcifH, 3);
        SetSequenceOptions(c.radio, nullptr, nullptr);
        OpenSequence(WorkPath(c.name));
        EXPECT_TRUE(Shows(kQcifW, kQcifH, ExpectedFramePixels(c.type, kQcifW, kQcifH, file.data()))) << c.name;
        ShowFrame(2);
        EXPECT_TRUE(Shows(kQcifW, kQcifH,
                          ExpectedFramePixels(c.type, kQcifW, kQcifH, FrameOf(file, c.type, kQcifW, kQcifH, 2))))
            << c.name;
    }
    ExpectNoDialog();
}

TEST_F(PlayerTest, FrameRateChangeRestartsTheTimerAtTheNewPeriod) {
    WriteSequence("rate.yuv", TYPE_YUV420, kQcifW, kQcifH, 400);
    OpenSequence(WorkPath("rate.yuv"));
    PostCommand(player_, CMD_PLAY);
    const double before = MeasureFramePeriod(player_.window, kQcifW, kQcifH, 1500);
    EXPECT_NEAR(before, 33.0, 3.0); // 30 fps: 33 ms

    // Changed during playback, through the dialog: 12.5 fps is 80 ms.
    SetSequenceOptions(0, nullptr, "12.5");
    const double after = MeasureFramePeriod(player_.window, kQcifW, kQcifH, 2000);
    EXPECT_NEAR(after, 80.0, 6.0);
    EXPECT_TRUE(Grayed(CMD_PLAY)) << "still playing";
}

TEST_F(PlayerTest, ExitThroughTheMenuEndsTheProgram) {
    PostCommand(player_, CMD_EXIT);
    DWORD code = 1;
    ASSERT_TRUE(WaitForExit(player_, 5000, &code));
    EXPECT_EQ(code, 0u);
}

TEST_F(PlayerTest, AFileThatCannotBeOpenedKeepsTitleAndPicture) {
    const std::vector<uint8_t> file = WriteSequence("kept.yuv", TYPE_YUV420, kQcifW, kQcifH, 2);
    WriteSequence("locked.yuv", TYPE_YUV420, kQcifW, kQcifH, 2);
    OpenSequence(WorkPath("kept.yuv"));
    const std::vector<uint8_t> shown = ExpectedFramePixels(TYPE_YUV420, kQcifW, kQcifH, file.data());
    ASSERT_TRUE(Shows(kQcifW, kQcifH, shown));

    // Held open with no sharing, the file exists but cannot be opened.
    HANDLE lock = CreateFileA(WorkPath("locked.yuv").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(OpenThroughDialog(player_, CMD_OPEN_SEQUENCE, WorkPath("locked.yuv")));
    ExpectPlayerMessage("Cannot open file for reading!");
    CloseHandle(lock);
    EXPECT_EQ(WindowText(player_.window), "Vorlex - " + WorkPath("kept.yuv"));
    EXPECT_TRUE(Shows(kQcifW, kQcifH, shown));
    ShowFrame(1);
    EXPECT_TRUE(Shows(kQcifW, kQcifH,
                      ExpectedFramePixels(TYPE_YUV420, kQcifW, kQcifH,
                                          FrameOf(file, TYPE_YUV420, kQcifW, kQcifH, 1))));
}

TEST_F(PlayerTest, ASequenceInADeepFolderOpens) {
    // About 200 characters of folder, as project folders of test material
    // easily have; the file's full path is longer than 127 characters.
    std::string folder;
    while (WorkPath(folder).size() < 200) {
        folder += "conformance material, downscaled\\";
        ASSERT_TRUE(CreateDirectoryA(WorkPath(folder).c_str(), nullptr)) << WorkPath(folder);
    }
    const std::string name = folder + "bars 176x144 4-2-0.yuv";
    const std::vector<uint8_t> file = WriteSequence(name, TYPE_YUV420, kQcifW, kQcifH, 2);
    OpenSequence(WorkPath(name));
    EXPECT_TRUE(Shows(kQcifW, kQcifH, ExpectedFramePixels(TYPE_YUV420, kQcifW, kQcifH, file.data())));
    ExpectNoDialog();
}

// The keys reach the rules through the window's key table; which frame each
// key chooses in each state is tested without a window.
TEST_F(PlayerTest, ArrowsHomeAndEndStepThroughTheSequence) {
    WriteSequence("three.yuv", TYPE_YUV420, kQcifW, kQcifH, 3);
    OpenSequence(WorkPath("three.yuv"));
    ASSERT_TRUE(WaitForFrame(kQcifW, kQcifH, [](int n) { return n == 0; }));
    const struct {
        UINT key;
        int frame;
    } steps[] = {{VK_END, 2}, {VK_LEFT, 1}, {VK_HOME, 0}, {VK_RIGHT, 1}};
    for (const auto& step : steps) {
        PressKey(player_, step.key);
        EXPECT_TRUE(WaitForFrame(kQcifW, kQcifH, [&](int n) { return n == step.frame; })) << "key " << step.key;
    }
    ExpectNoDialog();
    ExpectArrangement(false);
}

TEST_F(PlayerTest, SpacePlaysAndPausesAndNoKeyActsWhileADialogIsOpen) {
    WriteSequence("long keys.yuv", TYPE_YUV420, kQcifW, kQcifH, 200);
    SetSequenceOptions(0, nullptr, "5"); // 200 ms a frame
    OpenSequence(WorkPath("long keys.yuv"));
    PressKey(player_, VK_SPACE);
    ASSERT_TRUE(WaitUntil([&] { return Grayed(CMD_PLAY); }));
    ExpectArrangement(true);
    ASSERT_TRUE(WaitForFrame(kQcifW, kQcifH, [](int n) { return n >= 2; }));
    PressKey(player_, VK_SPACE);
    ASSERT_TRUE(WaitUntil([&] { return MenuChecked(CMD_PAUSE); }));
    const int held = SettledFrame(kQcifW, kQcifH);

    // A dialog runs its own message loop, which has no key table.
    PostCommand(player_, CMD_SEQUENCE_OPTION);
    HWND dialog = WaitForDialog(player_, "Sequence Option", player_.window);
    ASSERT_NE(dialog, nullptr);
    PressKey(player_, VK_END);
    PressKey(player_, VK_SPACE);
    Sleep(300);
    CancelDialog(dialog);
    EXPECT_EQ(SettledFrame(kQcifW, kQcifH), held);
    EXPECT_TRUE(MenuChecked(CMD_PAUSE));
    ExpectNoDialog();
}

} // namespace
