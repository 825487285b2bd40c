// The main window's rules without a window: each state against each event,
// what a display request does in each state, opening files, the menu drawn
// from the state, and what follows each dialog's OK.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "display.h"
#include "file_names.h"
#include "frame_access.h"
#include "option_rules.h"
#include "playback.h"
#include "player_state.h"
#include "test_support.h"

namespace {

const uint32_t kW = 8, kH = 4, kFrames = 4;
const uint32_t kFrameBytes = kW * kH * 3 / 2;
const uint32_t kNone = 0xFFFFFFFF; // no display request

const char* ModeName(int mode) {
    static const char* const names[] = {"Idle", "Stopped", "Playing", "Paused"};
    return names[mode];
}

// A player with a four-frame 8 x 4 sequence of type 103 on disk, brought
// into each state the way a user gets there.
class PlaybackTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Reset());
        for (uint32_t i = 0; i < kFrameBytes * kFrames; ++i) {
            sequence_.push_back(static_cast<uint8_t>(i * 7 + i / kFrameBytes));
        }
        ASSERT_TRUE(file_.WriteAt(0, sequence_.data(), sequence_.size()));
    }
    void TearDown() override { ReleasePlayerState(); }

    // The start settings, with 8 x 4 frames.
    static bool Reset() {
        if (!InitPlayerState()) {
            return false;
        }
        Player.framePreset = FRAME_PRESET_CUSTOM;
        Player.frameWidth = kW;
        Player.frameHeight = kH;
        ApplyFramePreset();
        return true;
    }

    // Carries out a display request the way the window does.
    WindowActions Follow(const WindowActions& a) {
        return a.requestFrame ? ShowSequenceFrame(a.frame, a.source) : a;
    }

    void Enter(int mode) {
        if (mode == PLAYBACK_IDLE) {
            return;
        }
        Follow(OpenSequence(file_.path()));
        if (mode != PLAYBACK_STOPPED) {
            Follow(PlayCommand()); // frame 0 shown, 1 next
        }
        if (mode == PLAYBACK_PAUSED) {
            PauseCommand();
        }
        ASSERT_EQ(ModeOf(Player), mode);
    }

    std::vector<uint8_t> sequence_;
    TempFile file_;
};

TEST_F(PlaybackTest, EachStateAgainstEachCommandAndKey) {
    enum Event { PLAY, STOP, PAUSE, TICK, LUMA, KEY_SPACE, KEY_NEXT, KEY_PREVIOUS, KEY_FIRST, KEY_LAST };
    struct {
        int from;
        int event;
        int to;
        uint32_t request; // the frame asked for, kNone for none
        int source;
        uint32_t currentFrame; // afterwards
    } cases[] = {
        // With no sequence nothing plays and no key acts.
        {PLAYBACK_IDLE, PLAY, PLAYBACK_IDLE, kNone, 0, 0},
        {PLAYBACK_IDLE, STOP, PLAYBACK_IDLE, kNone, 0, 0},
        {PLAYBACK_IDLE, PAUSE, PLAYBACK_IDLE, kNone, 0, 0},
        {PLAYBACK_IDLE, TICK, PLAYBACK_IDLE, kNone, 0, 0},
        {PLAYBACK_IDLE, KEY_SPACE, PLAYBACK_IDLE, kNone, 0, 0},
        {PLAYBACK_IDLE, KEY_LAST, PLAYBACK_IDLE, kNone, 0, 0},
        // Stopped at frame 0: Play starts from 0; greyed commands do nothing.
        {PLAYBACK_STOPPED, PLAY, PLAYBACK_PLAYING, 0, REQUEST_BY_PLAYBACK, 0},
        {PLAYBACK_STOPPED, STOP, PLAYBACK_STOPPED, kNone, 0, 0},
        {PLAYBACK_STOPPED, PAUSE, PLAYBACK_STOPPED, kNone, 0, 0},
        {PLAYBACK_STOPPED, TICK, PLAYBACK_STOPPED, kNone, 0, 0},
        {PLAYBACK_STOPPED, LUMA, PLAYBACK_STOPPED, kNone, 0, 0},
        {PLAYBACK_STOPPED, KEY_SPACE, PLAYBACK_PLAYING, 0, REQUEST_BY_PLAYBACK, 0},
        {PLAYBACK_STOPPED, KEY_NEXT, PLAYBACK_STOPPED, 1, REQUEST_BY_COMMAND, 1},
        {PLAYBACK_STOPPED, KEY_PREVIOUS, PLAYBACK_STOPPED, kNone, 0, 0}, // at frame 0
        {PLAYBACK_STOPPED, KEY_FIRST, PLAYBACK_STOPPED, 0, REQUEST_BY_COMMAND, 0},
        {PLAYBACK_STOPPED, KEY_LAST, PLAYBACK_STOPPED, 3, REQUEST_BY_COMMAND, 3},
        // Playing, frame 0 shown and 1 next: a frame key pauses first, and
        // playback will resume after the frame stepped to.
        {PLAYBACK_PLAYING, PLAY, PLAYBACK_PLAYING, kNone, 0, 1},
        {PLAYBACK_PLAYING, STOP, PLAYBACK_STOPPED, kNone, 0, 1},
        {PLAYBACK_PLAYING, PAUSE, PLAYBACK_PAUSED, kNone, 0, 1},
        {PLAYBACK_PLAYING, TICK, PLAYBACK_PLAYING, 1, REQUEST_BY_PLAYBACK, 1},
        {PLAYBACK_PLAYING, KEY_SPACE, PLAYBACK_PAUSED, kNone, 0, 1},
        {PLAYBACK_PLAYING, KEY_NEXT, PLAYBACK_PAUSED, 1, REQUEST_BY_COMMAND, 2},
        {PLAYBACK_PLAYING, KEY_PREVIOUS, PLAYBACK_PAUSED, kNone, 0, 1},
        {PLAYBACK_PLAYING, KEY_LAST, PLAYBACK_PAUSED, 3, REQUEST_BY_COMMAND, 4},
        // Paused at frame 0: Pause and Space resume with the next frame.
        {PLAYBACK_PAUSED, PLAY, PLAYBACK_PAUSED, kNone, 0, 1},
        {PLAYBACK_PAUSED, STOP, PLAYBACK_STOPPED, kNone, 0, 1},
        {PLAYBACK_PAUSED, PAUSE, PLAYBACK_PLAYING, 1, REQUEST_BY_PLAYBACK, 1},
        {PLAYBACK_PAUSED, TICK, PLAYBACK_PAUSED, kNone, 0, 1},
        {PLAYBACK_PAUSED, KEY_SPACE, PLAYBACK_PLAYING, 1, REQUEST_BY_PLAYBACK, 1},
        {PLAYBACK_PAUSED, KEY_NEXT, PLAYBACK_PAUSED, 1, REQUEST_BY_COMMAND, 2},
        {PLAYBACK_PAUSED, KEY_FIRST, PLAYBACK_PAUSED, 0, REQUEST_BY_COMMAND, 1},
        {PLAYBACK_PAUSED, KEY_LAST, PLAYBACK_PAUSED, 3, REQUEST_BY_COMMAND, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(ModeName(c.from)) + ", event " + std::to_string(c.event));
        ASSERT_TRUE(Reset());
        Enter(c.from);
        const uint32_t count = SequenceFrameCount();
        WindowActions a;
        switch (c.event) {
        case PLAY: a = PlayCommand(); break;
        case STOP: a = StopCommand(); break;
        case PAUSE: a = PauseCommand(); break;
        case TICK: a = TimerTick(); break;
        case LUMA: a = ToggleLumaOnly(); break;
        case KEY_SPACE: a = PressKey(KEY_PLAY_PAUSE, count); break;
        case KEY_NEXT: a = PressKey(FRAME_KEY_NEXT, count); break;
        case KEY_PREVIOUS: a = PressKey(FRAME_KEY_PREVIOUS, count); break;
        case KEY_FIRST: a = PressKey(FRAME_KEY_FIRST, count); break;
        default: a = PressKey(FRAME_KEY_LAST, count); break;
        }
        EXPECT_EQ(ModeOf(Player), c.to) << ModeName(ModeOf(Player));
        EXPECT_EQ(a.requestFrame ? a.frame : kNone, c.request);
        if (a.requestFrame) {
            EXPECT_EQ(a.source, c.source);
        }
        EXPECT_EQ(Player.currentFrame, c.currentFrame);
        EXPECT_EQ(a.message, nullptr);
        EXPECT_EQ(a.display.call, DISPLAY_NOTHING);
    }
}

TEST_F(PlaybackTest, DisplayRequestsInEachState) {
    struct {
        int state;
        uint32_t frame;
        int source;
        bool shown;
        const char* message;
        int to;
        uint32_t currentFrame; // afterwards
    } cases[] = {
        {PLAYBACK_STOPPED, 2, REQUEST_BY_COMMAND, true, nullptr, PLAYBACK_STOPPED, 0},
        {PLAYBACK_STOPPED, 4, REQUEST_BY_COMMAND, false, "Frame number too large!", PLAYBACK_STOPPED, 0},
        // Playback that was paused or stopped since it asked shows nothing.
        {PLAYBACK_STOPPED, 1, REQUEST_BY_PLAYBACK, false, nullptr, PLAYBACK_STOPPED, 0},
        {PLAYBACK_PAUSED, 1, REQUEST_BY_PLAYBACK, false, nullptr, PLAYBACK_PAUSED, 1},
        {PLAYBACK_PAUSED, 3, REQUEST_BY_COMMAND, true, nullptr, PLAYBACK_PAUSED, 1},
        {PLAYBACK_PAUSED, 4, REQUEST_BY_COMMAND, false, "Frame number too large!", PLAYBACK_PAUSED, 1},
        // While playing each frame shown advances; the first missing one
        // ends playback silently.
        {PLAYBACK_PLAYING, 1, REQUEST_BY_PLAYBACK, true, nullptr, PLAYBACK_PLAYING, 2},
        {PLAYBACK_PLAYING, 4, REQUEST_BY_PLAYBACK, false, nullptr, PLAYBACK_STOPPED, 1},
        {PLAYBACK_PLAYING, 2, REQUEST_BY_COMMAND, true, nullptr, PLAYBACK_PLAYING, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(ModeName(c.state)) + ", frame " + std::to_string(c.frame));
        ASSERT_TRUE(Reset());
        Enter(c.state);
        const uint32_t shownBefore = Player.frameShown;
        const WindowActions a = ShowSequenceFrame(c.frame, c.source);
        EXPECT_EQ(a.display.call, c.shown ? DISPLAY_YUV_IMAGE : DISPLAY_NOTHING);
        EXPECT_EQ(Player.frameShown, c.shown ? c.frame : shownBefore);
        if (c.message) {
            EXPECT_STREQ(a.message, c.message);
        } else {
            EXPECT_EQ(a.message, nullptr);
        }
        EXPECT_EQ(ModeOf(Player), c.to);
        EXPECT_EQ(Player.currentFrame, c.currentFrame);
        EXPECT_FALSE(a.requestFrame);
    }
}

TEST_F(PlaybackTest, PlaybackRunsToTheEndPausesResumesAndRestartsAtZero) {
    Follow(OpenSequence(file_.path()));
    std::vector<uint32_t> shown;
    WindowActions a = PlayCommand();
    // The window's loop: a request is shown, the next tick asks again.
    for (int tick = 0; tick < 10 && ModeOf(Player) == PLAYBACK_PLAYING; ++tick) {
        Follow(a);
        if (Player.playing) {
            shown.push_back(Player.frameShown);
        }
        a = TimerTick();
    }
    EXPECT_EQ(shown, (std::vector<uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(ModeOf(Player), PLAYBACK_STOPPED);
    EXPECT_EQ(Player.currentFrame, kFrames); // the first missing frame
    EXPECT_FALSE(Player.paused);

    // Pause twice resumes with the frame after the one shown; a pause and a
    // stop leave playback to start again at 0.
    Follow(PlayCommand());
    Follow(TimerTick());
    ASSERT_EQ(Player.frameShown, 1u);
    PauseCommand();
    a = TimerTick();
    EXPECT_FALSE(a.requestFrame) << "the picture holds";
    a = PauseCommand();
    EXPECT_EQ(a.frame, 2u);
    Follow(a);
    EXPECT_EQ(Player.frameShown, 2u);
    PauseCommand();
    StopCommand();
    a = PlayCommand();
    EXPECT_EQ(a.frame, 0u);
    EXPECT_EQ(ModeOf(Player), PLAYBACK_PLAYING);
}

TEST_F(PlaybackTest, TheMenuIsDrawnFromTheState) {
    struct {
        int mode;
        bool control, play, stop, pause, showFrame, paused;
    } cases[] = {
        {PLAYBACK_IDLE, false, true, true, true, true, false}, // as at start
        {PLAYBACK_STOPPED, true, true, false, false, true, false},
        {PLAYBACK_PLAYING, true, false, true, true, false, false},
        {PLAYBACK_PAUSED, true, false, true, true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ModeName(c.mode));
        ASSERT_TRUE(Reset());
        Enter(c.mode);
        const MenuLook look = MenuFor(Player);
        EXPECT_EQ(look.controlEnabled, c.control);
        EXPECT_EQ(look.playEnabled, c.play);
        EXPECT_EQ(look.stopEnabled, c.stop);
        EXPECT_EQ(look.pauseEnabled, c.pause);
        EXPECT_EQ(look.showFrameEnabled, c.showFrame);
        EXPECT_TRUE(look.saveEnabled);
        EXPECT_EQ(look.pauseChecked, c.paused);
        EXPECT_FALSE(look.lumaOnlyChecked);
        EXPECT_EQ(CanShowSingleFrame(), c.mode == PLAYBACK_STOPPED);
        EXPECT_EQ(CanSaveFrame(), c.mode != PLAYBACK_IDLE);
    }
    ToggleLumaOnly();
    EXPECT_TRUE(MenuFor(Player).lumaOnlyChecked);
    EXPECT_TRUE(Player.lumaOnly);
}

TEST_F(PlaybackTest, OpeningFilesFromEachState) {
    const std::string image = std::string(file_.path()) + " picture.BMP";
    FILE* f = fopen(image.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fclose(f);
    for (int from : {PLAYBACK_IDLE, PLAYBACK_STOPPED, PLAYBACK_PLAYING, PLAYBACK_PAUSED}) {
        SCOPED_TRACE(ModeName(from));
        ASSERT_TRUE(Reset());
        Enter(from);
        Player.frameWidth = 176; // the frame settings of QCIF
        Player.frameHeight = 144;

        // A sequence: Stopped at frame 0, shown at once, window fitted.
        WindowActions a = OpenSequence(file_.path());
        EXPECT_EQ(ModeOf(Player), PLAYBACK_STOPPED);
        EXPECT_TRUE(a.requestFrame && a.frame == 0 && a.source == REQUEST_BY_COMMAND);
        EXPECT_EQ(Player.currentFrame, 0u);
        EXPECT_TRUE(a.setTitle);
        EXPECT_EQ(std::string(Player.title), std::string("Vorlex - ") + file_.path());
        EXPECT_TRUE(a.fitWindow && a.fitWidth == 176 && a.fitHeight == 144);

        // A bitmap, dropped: Idle, the image asked for, the image size.
        a = OpenDroppedFile(image.c_str());
        EXPECT_EQ(ModeOf(Player), PLAYBACK_IDLE);
        EXPECT_EQ(a.requestImage, IMAGE_FILE_BMP);
        EXPECT_FALSE(a.requestFrame);
        EXPECT_TRUE(a.fitWindow && a.fitWidth == 512 && a.fitHeight == 512);
        EXPECT_EQ(std::string(Player.title), "Vorlex - " + image);
        EXPECT_TRUE(Player.imageOpened && Player.sequenceOpened);

        // Any other name dropped opens as a sequence; a raw image by menu.
        EXPECT_TRUE(OpenDroppedFile(file_.path()).requestFrame);
        EXPECT_EQ(OpenImage(file_.path()).requestImage, IMAGE_FILE_RAW);
    }
    // A file that cannot be opened changes nothing.
    Enter(PLAYBACK_STOPPED);
    const std::string title = Player.title;
    const WindowActions a = OpenImage("/no such folder/x.bmp");
    EXPECT_STREQ(a.message, "Cannot open file for reading!");
    EXPECT_FALSE(a.setTitle || a.fitWindow || a.requestImage || a.requestFrame);
    EXPECT_EQ(ModeOf(Player), PLAYBACK_STOPPED);
    EXPECT_EQ(Player.title, title);
    EXPECT_STREQ(OpenSequence("/no such folder/x.yuv").message, "Cannot open file for reading!");
    remove(image.c_str());
}

TEST_F(PlaybackTest, SettingsFromTheNameWhenAsked) {
    const std::string named = std::string(file_.path()) + "_352x288_25fps_nv12.yuv";
    const std::string huge = std::string(file_.path()) + "_3840x2160.yuv";
    const std::string fast = std::string(file_.path()) + "_176x144_2000fps.yuv";
    for (const std::string& name : {named, huge, fast}) {
        FILE* f = fopen(name.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fclose(f);
    }
    // Unchecked, as at every start: the name is only a name.
    WindowActions a = OpenSequence(named.c_str());
    EXPECT_EQ(std::string(Player.title), "Vorlex - " + named);
    EXPECT_EQ(Player.frameWidth, kW);
    EXPECT_FALSE(a.restartTimer);

    ToggleSettingsFromName();
    EXPECT_TRUE(MenuFor(Player).settingsFromNameChecked);
    a = OpenSequence(named.c_str());
    EXPECT_EQ(std::string(Player.title), "Vorlex - " + named + " [352x288, NV12, 25 fps from the name]");
    EXPECT_EQ(Player.framePreset, 2u); // the size is CIF's
    EXPECT_EQ(Player.frameWidth, 352u);
    EXPECT_EQ(Player.sequencePacking, int{PACKING_NV12});
    EXPECT_EQ(Player.storedPlan.frameBytes, 352u * 288 * 3 / 2);
    EXPECT_STREQ(Player.frameRateText, "25");
    EXPECT_TRUE(a.restartTimer);
    EXPECT_EQ(Player.timerPeriod, 40u);
    EXPECT_TRUE(a.fitWindow && a.fitWidth == 352 && a.fitHeight == 288);

    // A size Frame Options would refuse: its message, and nothing opens.
    a = OpenSequence(huge.c_str());
    EXPECT_STREQ(a.message, "Frame size too large!");
    EXPECT_FALSE(a.setTitle || a.requestFrame);
    EXPECT_EQ(Player.frameWidth, 352u);

    // A rate the Sequence dialog would refuse is not taken, nor claimed.
    a = OpenSequence(fast.c_str());
    EXPECT_EQ(std::string(Player.title), "Vorlex - " + fast + " [176x144 from the name]");
    EXPECT_STREQ(Player.frameRateText, "25");
    EXPECT_FALSE(a.restartTimer);
    remove(named.c_str());
    remove(huge.c_str());
    remove(fast.c_str());
}

// Sequence B equals A but for one sample of frame 2: V at (1, 1).
TEST_F(PlaybackTest, ComparingViewsJumpsAndTheReadout) {
    std::vector<uint8_t> b = sequence_;
    const uint32_t vAt = 2 * kFrameBytes + kW * kH + kW * kH / 4 + 1 * (kW / 2) + 1;
    b[vAt] ^= 0x10;
    TempFile fileB;
    ASSERT_TRUE(fileB.WriteAt(0, b.data(), b.size()));
    EXPECT_FALSE(CompareWithSequence(fileB.path()).requestFrame) << "no sequence open";
    Follow(OpenSequence(file_.path()));
    EXPECT_FALSE(MenuFor(Player).comparisonEnabled);
    EXPECT_STREQ(CompareWithSequence("/no such folder/b.yuv").message, "Cannot open file for reading!");
    // A B without one whole frame starts nothing, and ends nothing that runs.
    TempFile empty, partial;
    ASSERT_TRUE(empty.Resize(0));
    ASSERT_TRUE(partial.WriteAt(0, b.data(), kFrameBytes - 1));
    for (const TempFile* f : {&empty, &partial}) {
        EXPECT_STREQ(CompareWithSequence(f->path()).message, "Sequence B has no whole frame!");
        EXPECT_FALSE(ComparisonActive() || Inspector.shown || MenuFor(Player).comparisonEnabled);
    }

    WindowActions a = CompareWithSequence(fileB.path());
    EXPECT_TRUE(Inspector.shown && a.updateInspector);
    EXPECT_TRUE(MenuFor(Player).comparisonEnabled && MenuFor(Player).inspectorChecked);
    EXPECT_TRUE(a.requestFrame && a.frame == 0) << "the frame shows again, compared";
    Follow(a);
    EXPECT_TRUE(Inspector.hasDiff);
    EXPECT_FALSE(AnyDifference(Inspector.diff));

    // N from frame 0 finds frame 2 and names the sample; then no more.
    a = PressCompareKey(KEY_NEXT_DIFFERENCE);
    EXPECT_TRUE(a.requestFrame && a.frame == 2);
    EXPECT_STREQ(Inspector.status, "Frame 2: first difference in V at (1, 1): A 221, B 205");
    Follow(a);
    EXPECT_EQ(Player.frameShown, 2u);
    EXPECT_EQ(Inspector.diff.planes[2].sse, 256u);
    EXPECT_FALSE(PressCompareKey(KEY_NEXT_DIFFERENCE).requestFrame);
    EXPECT_STREQ(Inspector.status, "No more differences.");
    EXPECT_EQ(PressCompareKey(KEY_PREVIOUS_DIFFERENCE).requestFrame, false) << "none before frame 2";
    Follow(PressKey(FRAME_KEY_LAST, SequenceFrameCount()));
    EXPECT_EQ(PressCompareKey(KEY_PREVIOUS_DIFFERENCE).frame, 2u);

    // The readout of pixel (3, 2) of frame 2: Y, and the chroma sample (1, 1)
    // that differs.
    Follow(ShowSequenceFrame(2, REQUEST_BY_COMMAND));
    PointerMoved(true, 3, 2);
    const std::string text = InspectorText(nullptr, 0);
    EXPECT_NE(text.find("Pixel 3, 2 of frame 2"), std::string::npos) << text;
    EXPECT_NE(text.find("V  A 221  B 205  A-B +16 at 1, 1"), std::string::npos) << text;

    // A new view shows the frame again (the views' pictures are tested
    // with the comparison).
    EXPECT_TRUE(PressCompareKey(KEY_DIFFERENCE_VIEW).requestFrame);
    EXPECT_TRUE(PressCompareKey(KEY_GAIN_UP).requestFrame) << "a new gain shows in the difference view";
    EXPECT_TRUE(PressCompareKey(KEY_FLIP_VIEW).requestFrame);
    EXPECT_FALSE(PressCompareKey(KEY_GAIN_DOWN).requestFrame) << "and only there";

    EXPECT_STREQ(CompareWithSequence(partial.path()).message, "Sequence B has no whole frame!");
    EXPECT_EQ(ComparedFrameCount(), kFrames) << "the running comparison stays";

    // Opening a sequence ends the comparison.
    Follow(OpenSequence(file_.path()));
    EXPECT_FALSE(ComparisonActive());
    EXPECT_FALSE(Inspector.hasDiff);
    ToggleInspector();
    EXPECT_FALSE(Inspector.shown);
}

// Extended layouts are compared as stored: a one-level difference of a
// 10-bit sample that looks the same at 8 bits is found, P010 by its value in
// the high 10 bits, packed 4:2:2 in the right plane and place.
TEST_F(PlaybackTest, ExtendedLayoutsCompareAtFullDepth) {
    const struct {
        SequenceLayout layout;
        uint32_t byteAt;          // of the stored frame 1 that B changes
        uint8_t change;           // added to that byte
        const char* first;        // the jump's report
        const char* planeLine;    // the start of the plane's metrics line
    } cases[] = {
        {{TYPE_YUV420, 10, PACKING_PLANAR}, 2 * 9, 1, "Frame 1: first difference in Y at (1, 1): A ",
         "Y  PSNR 75.25 dB  max 1\n   SSE 1, 1 of 32 differ"},
        {{TYPE_YUV420, 10, PACKING_P010}, 2 * (32 + 2 * 3 + 1) + 1, 1, "Frame 1: first difference in V at (3, 0)",
         "max 4\n   SSE 16, 1 of 8 differ"},
        {{TYPE_YUV422, 8, PACKING_YUYV}, 16 + 4 + 1, 2, "Frame 1: first difference in U at (1, 1)",
         "max 2\n   SSE 4, 1 of 16 differ"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        ASSERT_TRUE(Reset());
        ASSERT_EQ(SequenceOptionOk(c.layout, NumberEntry{true, 0}, "30").message, nullptr);
        SequenceOptionAccepted();
        const uint32_t frameBytes = Player.storedPlan.frameBytes;
        std::vector<uint8_t> a(2 * frameBytes);
        for (size_t i = 0; i < a.size(); ++i) {
            a[i] = static_cast<uint8_t>(i & 1 ? 1 : i * 4); // words below 2^10, P010's high bits aside
        }
        std::vector<uint8_t> b = a;
        b[frameBytes + c.byteAt] = static_cast<uint8_t>(b[frameBytes + c.byteAt] + c.change);
        TempFile fa, fb;
        ASSERT_TRUE(fa.WriteAt(0, a.data(), a.size()) && fb.WriteAt(0, b.data(), b.size()));
        Follow(OpenSequence(fa.path()));
        Follow(CompareWithSequence(fb.path()));
        EXPECT_FALSE(AnyDifference(Inspector.diff));
        Follow(PressCompareKey(KEY_NEXT_DIFFERENCE));
        EXPECT_EQ(Player.frameShown, 1u);
        EXPECT_EQ(std::string(Inspector.status).rfind(c.first, 0), 0u) << Inspector.status;
        const std::string text = InspectorText(nullptr, 0);
        EXPECT_NE(text.find(c.planeLine), std::string::npos) << text;
    }
    EndComparisonCommand();
}

// An extended layout's frames are read into a buffer obtained on first use.
// Without it the user is told of the missing memory, not of a missing frame,
// also when playback ends for it; once memory is there, the frame shows.
TEST_F(PlaybackTest, NoMemoryForStoredSamplesIsABufferFailure) {
    ASSERT_EQ(SequenceOptionOk({TYPE_YUV420, 10, PACKING_PLANAR}, NumberEntry{true, 0}, "30").message, nullptr);
    SequenceOptionAccepted();
    void* (*const saved)(size_t) = PlayerBufferAllocator;
    PlayerBufferAllocator = [](size_t) -> void* { return nullptr; };
    EXPECT_STREQ(Follow(OpenSequence(file_.path())).message, "Frame buffer failure!");
    EXPECT_STREQ(Follow(PlayCommand()).message, "Frame buffer failure!");
    EXPECT_EQ(ModeOf(Player), PLAYBACK_STOPPED);
    EXPECT_STREQ(SaveFrameAccepted(false).message, "Frame buffer failure!");
    PlayerBufferAllocator = saved;
    EXPECT_EQ(Follow(PressKey(FRAME_KEY_FIRST, SequenceFrameCount())).message, nullptr);
}

TEST_F(PlaybackTest, FramesAndImagesGoToTheirLibraryCalls) {
    Enter(PLAYBACK_STOPPED);
    // A sequence frame: its colour planes signed, or the neutral planes in
    // the Y-only view; gray as 4:4:4 with the neutral planes.
    WindowActions a = ShowSequenceFrame(1, REQUEST_BY_COMMAND);
    const DisplayCall& c = a.display;
    EXPECT_EQ(c.call, DISPLAY_YUV_IMAGE);
    EXPECT_EQ(c.type, uint32_t{TYPE_YUV420});
    EXPECT_EQ(c.width, kW);
    EXPECT_EQ(c.data, Player.frameBuffer);
    EXPECT_EQ(memcmp(Player.frameBuffer, &sequence_[kFrameBytes], kW * kH), 0);
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(c.u), Player.frameBuffer + kW * kH);
    EXPECT_EQ(static_cast<uint8_t>(c.u[0]), sequence_[kFrameBytes + kW * kH] ^ 0x80);
    ToggleLumaOnly();
    a = ShowSequenceFrame(1, REQUEST_BY_COMMAND);
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(a.display.u), Player.neutralU);
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(a.display.v), Player.neutralV);
    Player.sequenceType = TYPE_GRAY;
    a = ShowSequenceFrame(1, REQUEST_BY_COMMAND);
    EXPECT_EQ(a.display.type, uint32_t{TYPE_YUV444});
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(a.display.u), Player.neutralU);
    Player.sequenceType = TYPE_BGR;
    a = ShowSequenceFrame(1, REQUEST_BY_COMMAND);
    EXPECT_EQ(a.display.call, DISPLAY_IMAGE);
    EXPECT_EQ(a.display.type, uint32_t{TYPE_BGR});

    // Raw images: gray through the image path, YUV through the YUV path
    // (the Y-only view does not apply), a short file refused.
    Player.imageWidth = kW;
    Player.imageHeight = kH;
    Player.imageHeader = 0;
    Player.imageType = TYPE_GRAY;
    Player.imagePlan = ComputeFramePlan(kW, kH, TYPE_GRAY);
    ASSERT_FALSE(OpenImage(file_.path()).message);
    a = ShowOpenedImage(IMAGE_FILE_RAW);
    EXPECT_EQ(a.display.call, DISPLAY_IMAGE);
    EXPECT_EQ(a.display.type, uint32_t{TYPE_GRAY});
    Player.imageType = TYPE_YUV422;
    Player.imagePlan = ComputeFramePlan(kW, kH, TYPE_YUV422);
    a = ShowOpenedImage(IMAGE_FILE_RAW);
    EXPECT_EQ(a.display.call, DISPLAY_YUV_IMAGE);
    EXPECT_EQ(a.display.type, uint32_t{TYPE_YUV422});
    EXPECT_NE(reinterpret_cast<const uint8_t*>(a.display.u), Player.neutralU);
    Player.imageHeader = kFrameBytes * kFrames;
    EXPECT_STREQ(ShowOpenedImage(IMAGE_FILE_RAW).message, "Image file too short!");
    // A bitmap file that is not one is refused with the checks' message.
    EXPECT_NE(ShowOpenedImage(IMAGE_FILE_BMP).message, nullptr);
}

TEST_F(PlaybackTest, WhatFollowsEachDialogsOk) {
    Enter(PLAYBACK_STOPPED);
    Player.currentFrame = 2;
    WindowActions a = FrameNumberAccepted();
    EXPECT_TRUE(a.requestFrame && a.frame == 2 && a.source == REQUEST_BY_COMMAND);

    Player.framePreset = 2; // CIF
    a = FrameOptionsAccepted();
    EXPECT_TRUE(a.fitWindow && a.fitWidth == 352 && a.fitHeight == 288);
    EXPECT_EQ(Player.sequencePlan.frameBytes, 352u * 288 * 3 / 2);

    Player.sequenceType = TYPE_GRAY;
    Player.frameRate = 12.5;
    a = SequenceOptionAccepted();
    EXPECT_TRUE(a.restartTimer);
    EXPECT_EQ(Player.timerPeriod, 80u);
    EXPECT_EQ(Player.sequencePlan.frameBytes, 352u * 288);
    EXPECT_FALSE(a.requestFrame) << "no frame is shown again";

    Player.imageType = TYPE_RGB;
    ImageOptionAccepted();
    EXPECT_EQ(Player.imagePlan.frameBytes, 3u * 512 * 512);
}

TEST_F(PlaybackTest, SavingAFrame) {
    Enter(PLAYBACK_PLAYING);
    TempFile out;
    snprintf(Player.saveFileName, sizeof Player.saveFileName, "%s", out.path());

    // Raw: the frame's bytes as in the file, then the frame is shown.
    Player.currentFrame = 3;
    WindowActions a = SaveFrameAccepted(false);
    EXPECT_EQ(a.message, nullptr);
    EXPECT_TRUE(a.requestFrame && a.frame == 3);
    EXPECT_EQ(ReadWholeFile(out.path()),
              std::vector<uint8_t>(sequence_.begin() + 3 * kFrameBytes, sequence_.begin() + 4 * kFrameBytes));

    // Bitmap: the library's 24-bit image of it.
    a = SaveFrameAccepted(true);
    EXPECT_EQ(a.message, nullptr);
    EXPECT_EQ(ReadWholeFile(out.path()).size(), 54u + 3 * kW * kH);

    // A missing frame writes nothing, in any state.
    remove(out.path());
    Player.currentFrame = kFrames;
    EXPECT_STREQ(SaveFrameAccepted(true).message, "Frame number too large!");
    EXPECT_STREQ(SaveFrameAccepted(false).message, "Frame number too large!");
    EXPECT_TRUE(ReadWholeFile(out.path()).empty());

    Player.currentFrame = 0;
    snprintf(Player.saveFileName, sizeof Player.saveFileName, "/no such folder/frame.raw");
    a = SaveFrameAccepted(false);
    EXPECT_STREQ(a.message, "Cannot create file!");
    EXPECT_FALSE(a.requestFrame);
}

} // namespace
