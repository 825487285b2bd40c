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
                    CMD_SHOW_FRAME, CMD_SAVE_RAW, CMD_SAVE_BITMAP, CMD_FRAME_OPTIONS,
                    CMD_IMAGE_OPTION, CMD_SEQUENCE_OPTION, CMD_Y_ONLY}) {
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
    EXPECT_TRUE(Shows(kQcifW, kQcifH, ExpectedFramePixels(TYPE_YUV420, kQcifW, kQcifH,
                                                          FrameOf(file, TYPE_YUV420, kQcifW, kQcifH, 9))));

    // Playback stopped at the first missing frame, which cannot be shown.
    HWND dialog = OpenDialog(CMD_SHOW_FRAME, "Frame Number");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Field(dialog, 101), "10");
    ConfirmDialog(dialog);
    ExpectPlayerMessage("Frame number too large!");
}

TEST_F(PlayerTest, PauseHoldsTheFrameResumesAfterItAndPlayAfterStopStartsAt0) {
    WriteSequence("long.yuv", TYPE_YUV420, kQcifW, kQcifH, 200);
    // 500 ms a frame: even on a busy machine the poll sees each one.
    SetSequenceOptions(0, nullptr, "2");
    OpenSequence(WorkPath("long.yuv"));
    PostCommand(player_, CMD_PLAY);
    ASSERT_TRUE(WaitForFrame(kQcifW, kQcifH, [](int n) { return n >= 2; }));

    PostCommand(player_, CMD_PAUSE);
    ASSERT_TRUE(WaitUntil([&] { return MenuChecked(CMD_PAUSE); }));
    ExpectArrangement(true);
    // A frame asked for just before the pause may still arrive; then the
    // picture holds for two periods and more.
    const int held = SettledFrame(kQcifW, kQcifH, 1100);
    ASSERT_GE(held, 2);

    PostCommand(player_, CMD_PAUSE);
    ASSERT_TRUE(WaitUntil([&] { return !MenuChecked(CMD_PAUSE); }));
    int next = -1;
    ASSERT_TRUE(WaitForFrame(kQcifW, kQcifH, [&](int n) { return (next = n) != held; }));
    EXPECT_EQ(next, held + 1);
    ASSERT_TRUE(WaitForFrame(kQcifW, kQcifH, [&](int n) { return n >= held + 2; }));

    // Pause, then Stop: the stopped arrangement, and the check mark goes.
    PostCommand(player_, CMD_PAUSE);
    ASSERT_TRUE(WaitUntil([&] { return MenuChecked(CMD_PAUSE); }));
    PostCommand(player_, CMD_STOP);
    ASSERT_TRUE(WaitUntil([&] { return !Grayed(CMD_PLAY); }));
    ExpectArrangement(false);
    EXPECT_FALSE(MenuChecked(CMD_PAUSE));
    const int stopped = SettledFrame(kQcifW, kQcifH);
    ASSERT_GT(stopped, 0);

    PostCommand(player_, CMD_PLAY);
    ASSERT_TRUE(WaitForFrame(kQcifW, kQcifH, [&](int n) { return (next = n) != stopped; }));
    EXPECT_EQ(next, 0);
    ExpectArrangement(true);
    ExpectNoDialog();
}

TEST_F(PlayerTest, OpeningAFileWhilePlayingStopsPlayback) {
    WriteSequence("playing.yuv", TYPE_YUV420, kQcifW, kQcifH, 200);
    const std::vector<uint8_t> next = WriteSequence("next.yuv", TYPE_YUV420, kQcifW, kQcifH, 200);
    SetSequenceOptions(0, nullptr, "20");
    OpenSequence(WorkPath("playing.yuv"));
    PostCommand(player_, CMD_PLAY);
    ASSERT_TRUE(WaitForFrame(kQcifW, kQcifH, [](int n) { return n >= 2; }));

    OpenSequence(WorkPath("next.yuv"));
    ExpectArrangement(false);
    const std::vector<uint8_t> frame0 = ExpectedFramePixels(TYPE_YUV420, kQcifW, kQcifH, next.data());
    EXPECT_TRUE(Shows(kQcifW, kQcifH, frame0));
    Sleep(300);
    EXPECT_TRUE(Shows(kQcifW, kQcifH, frame0, 0)) << "frame 0 stays";

    PostCommand(player_, CMD_PLAY);
    ASSERT_TRUE(WaitForFrame(kQcifW, kQcifH, [](int n) { return n >= 2; }));
    const int w = 200, h = 120;
    std::vector<uint8_t> bmp(54 + 3 * w * h, 0x3C);
    const uint8_t header[54] = {'B', 'M', 0x36, 0x19, 0x01, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0,
                                200, 0, 0, 0, 120, 0, 0, 0, 1, 0, 24, 0};
    std::copy(header, header + 30, bmp.begin());
    std::fill(bmp.begin() + 30, bmp.begin() + 54, 0);
    ASSERT_TRUE(WriteFileBytes(WorkPath("while playing.bmp"), bmp));
    ASSERT_TRUE(OpenThroughDialog(player_, CMD_OPEN_IMAGE, WorkPath("while playing.bmp")));
    const std::vector<uint8_t> image(bmp.begin() + 54, bmp.end());
    EXPECT_TRUE(Shows(w, h, image));
    EXPECT_TRUE(ControlGrayed());
    Sleep(300);
    EXPECT_TRUE(Shows(w, h, image, 0)) << "no frame comes after the image";
    ExpectNoDialog();
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
    } cases[] = {{101, TYPE_GRAY, "seq.gray"}, {106, TYPE_RGB, "seq.rgb"}, {107, TYPE_BGR, "seq.bgr"},
                 {102, TYPE_YUV444, "seq444.yuv"}, {103, TYPE_YUV422, "seq422.yuv"}};
    for (const auto& c : cases) {
        const std::vector<uint8_t> file = WriteSequence(c.name, c.type, kQcifW, kQcifH, 3);
        SetSequenceOptions(c.radio, nullptr, nullptr);
        OpenSequence(WorkPath(c.name));
        EXPECT_TRUE(Shows(kQcifW, kQcifH, ExpectedFramePixels(c.type, kQcifW, kQcifH, file.data())))
            << c.name;
        ShowFrame(2);
        EXPECT_TRUE(Shows(kQcifW, kQcifH, ExpectedFramePixels(c.type, kQcifW, kQcifH,
                                                              FrameOf(file, c.type, kQcifW, kQcifH, 2))))
            << c.name;
    }
    ExpectNoDialog();
}

TEST_F(PlayerTest, SequenceHeaderIsSkipped) {
    std::vector<uint8_t> file(100, 0xEE);
    const std::vector<uint8_t> frames = WriteSequence("unused.yuv", TYPE_YUV420, kQcifW, kQcifH, 2);
    file.insert(file.end(), frames.begin(), frames.end());
    ASSERT_TRUE(WriteFileBytes(WorkPath("header100.yuv"), file));
    SetSequenceOptions(0, "100", nullptr);
    OpenSequence(WorkPath("header100.yuv"));
    ShowFrame(1);
    EXPECT_TRUE(Shows(kQcifW, kQcifH, ExpectedFramePixels(TYPE_YUV420, kQcifW, kQcifH,
                                                          FrameOf(frames, TYPE_YUV420, kQcifW, kQcifH, 1))));
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
    EXPECT_TRUE(Shows(kQcifW, kQcifH, ExpectedFramePixels(TYPE_YUV420, kQcifW, kQcifH,
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

TEST_F(PlayerTest, ArrowsHomeAndEndStepThroughTheSequenceAndStopAtItsEnds) {
    // Without a sequence no key acts.
    for (UINT key : {VK_RIGHT, VK_LEFT, VK_HOME, VK_END, VK_SPACE}) {
        PressKey(player_, key);
    }
    Sleep(300);
    EXPECT_TRUE(ControlGrayed());
    EXPECT_EQ(WindowText(player_.window), "Vorlex");
    ExpectNoDialog();

    WriteSequence("three.yuv", TYPE_YUV420, kQcifW, kQcifH, 3);
    OpenSequence(WorkPath("three.yuv"));
    ASSERT_TRUE(WaitForFrame(kQcifW, kQcifH, [](int n) { return n == 0; }));
    // Each key, then the frame it must leave on screen; at the ends the keys
    // do nothing and say nothing.
    const struct {
        UINT key;
        int frame;
    } steps[] = {{VK_LEFT, 0}, {VK_RIGHT, 1}, {VK_RIGHT, 2}, {VK_RIGHT, 2}, {VK_HOME, 0},
                 {VK_END, 2}, {VK_LEFT, 1}, {VK_LEFT, 0}, {VK_LEFT, 0}};
    for (const auto& step : steps) {
        PressKey(player_, step.key);
        EXPECT_EQ(SettledFrame(kQcifW, kQcifH, 250), step.frame) << "key " << step.key;
    }
    ExpectNoDialog();
    ExpectArrangement(false);
}

TEST_F(PlayerTest, SpacePlaysPausesAndResumesAndAnArrowWhilePlayingPausesFirst) {
    WriteSequence("long keys.yuv", TYPE_YUV420, kQcifW, kQcifH, 200);
    SetSequenceOptions(0, nullptr, "5"); // 200 ms a frame
    OpenSequence(WorkPath("long keys.yuv"));
    PressKey(player_, VK_SPACE);
    ASSERT_TRUE(WaitUntil([&] { return Grayed(CMD_PLAY); }));
    ExpectArrangement(true);
    ASSERT_TRUE(WaitForFrame(kQcifW, kQcifH, [](int n) { return n >= 2; }));

    // Space pauses and resumes exactly as Control > Pause does.
    PressKey(player_, VK_SPACE);
    ASSERT_TRUE(WaitUntil([&] { return MenuChecked(CMD_PAUSE); }));
    const int held = SettledFrame(kQcifW, kQcifH);
    PressKey(player_, VK_SPACE);
    ASSERT_TRUE(WaitUntil([&] { return !MenuChecked(CMD_PAUSE); }));
    ASSERT_TRUE(WaitForFrame(kQcifW, kQcifH, [&](int n) { return n > held; }));

    // Right while playing: paused, then one frame on from the one shown.
    PressKey(player_, VK_RIGHT);
    ASSERT_TRUE(WaitUntil([&] { return MenuChecked(CMD_PAUSE); }));
    const int stepped = SettledFrame(kQcifW, kQcifH);
    ExpectArrangement(true);
    PressKey(player_, VK_LEFT);
    EXPECT_EQ(SettledFrame(kQcifW, kQcifH), stepped - 1);
    PressKey(player_, VK_HOME);
    EXPECT_EQ(SettledFrame(kQcifW, kQcifH), 0);
    EXPECT_TRUE(MenuChecked(CMD_PAUSE));

    // Keys do not act while a dialog is open.
    PostCommand(player_, CMD_SEQUENCE_OPTION);
    HWND dialog = WaitForDialog(player_, "Sequence Option", player_.window);
    ASSERT_NE(dialog, nullptr);
    PressKey(player_, VK_END);
    PressKey(player_, VK_SPACE);
    Sleep(300);
    CancelDialog(dialog);
    EXPECT_EQ(SettledFrame(kQcifW, kQcifH), 0);
    EXPECT_TRUE(MenuChecked(CMD_PAUSE));
    ExpectNoDialog();
}

} // namespace
