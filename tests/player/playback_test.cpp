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
#include "memory_files.h"
#include "option_rules.h"
#include "playback.h"
#include "player_state.h"
#include "test_support.h"

namespace {

const uint32_t kW = 8, kH = 4, kFrames = 4;
const uint32_t kFrameBytes = kW * kH * 3 / 2;
const uint32_t kNone = 0xFFFFFFFF; // no display request
const char* const kSequence = "/samples/sequence";

const char* ModeName(int mode) {
    static const char* const names[] = {"Idle", "Stopped", "Playing", "Paused"};
    return names[mode];
}

// A player with a four-frame 8 x 4 sequence of type 103 in its files (in
// memory), brought into each state the way a user gets there.
class PlaybackTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Reset());
        for (uint32_t i = 0; i < kFrameBytes * kFrames; ++i) {
            sequence_.push_back(static_cast<uint8_t>(i * 7 + i / kFrameBytes));
        }
        files_.Put(kSequence, sequence_);
    }
    void TearDown() override { ReleasePlayerState(s); }

    // The start settings, with 8 x 4 frames.
    bool Reset() {
        if (!InitPlayerState(s)) {
            return false;
        }
        s.files = files_.Access();
        s.framePreset = FRAME_PRESET_CUSTOM;
        s.frameWidth = kW;
        s.frameHeight = kH;
        ApplyFramePreset(s);
        return true;
    }

    // Carries out a display request the way the window does.
    WindowActions Follow(const WindowActions& a) {
        return a.requestFrame ? ShowSequenceFrame(s, a.frame, a.source) : a;
    }

    void Enter(int mode) {
        if (mode == PLAYBACK_IDLE) {
            return;
        }
        Follow(OpenSequence(s, kSequence));
        if (mode != PLAYBACK_STOPPED) {
            Follow(PlayCommand(s)); // frame 0 shown, 1 next
        }
        if (mode == PLAYBACK_PAUSED) {
            PauseCommand(s);
        }
        ASSERT_EQ(ModeOf(s), mode);
    }

    PlayerState s{};
    MemoryFiles files_;
    std::vector<uint8_t> sequence_;
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
        const uint32_t count = SequenceFrameCount(s);
        WindowActions a;
        switch (c.event) {
        case PLAY: a = PlayCommand(s); break;
        case STOP: a = StopCommand(s); break;
        case PAUSE: a = PauseCommand(s); break;
        case TICK: a = TimerTick(s); break;
        case LUMA: a = ToggleLumaOnly(s); break;
        case KEY_SPACE: a = PressKey(s, KEY_PLAY_PAUSE, count); break;
        case KEY_NEXT: a = PressKey(s, FRAME_KEY_NEXT, count); break;
        case KEY_PREVIOUS: a = PressKey(s, FRAME_KEY_PREVIOUS, count); break;
        case KEY_FIRST: a = PressKey(s, FRAME_KEY_FIRST, count); break;
        default: a = PressKey(s, FRAME_KEY_LAST, count); break;
        }
        EXPECT_EQ(ModeOf(s), c.to) << ModeName(ModeOf(s));
        EXPECT_EQ(a.requestFrame ? a.frame : kNone, c.request);
        if (a.requestFrame) {
            EXPECT_EQ(a.source, c.source);
        }
        EXPECT_EQ(s.currentFrame, c.currentFrame);
        EXPECT_EQ(a.message, nullptr);
        EXPECT_EQ(a.display.call, DISPLAY_NOTHING);
    }
}

TEST_F(PlaybackTest, DisplayRequestsInEachState) {
    struct {
        int state;
        uint32_t frame;
        FrameRequestSource source;
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
        const uint32_t shownBefore = s.frameShown;
        const WindowActions a = ShowSequenceFrame(s, c.frame, c.source);
        EXPECT_EQ(a.display.call, c.shown ? DISPLAY_YUV_IMAGE : DISPLAY_NOTHING);
        EXPECT_EQ(s.frameShown, c.shown ? c.frame : shownBefore);
        if (c.message) {
            EXPECT_STREQ(a.message, c.message);
        } else {
            EXPECT_EQ(a.message, nullptr);
        }
        EXPECT_EQ(ModeOf(s), c.to);
        EXPECT_EQ(s.currentFrame, c.currentFrame);
        EXPECT_FALSE(a.requestFrame);
    }
}

TEST_F(PlaybackTest, PlaybackRunsToTheEndPausesResumesAndRestartsAtZero) {
    Follow(OpenSequence(s, kSequence));
    std::vector<uint32_t> shown;
    WindowActions a = PlayCommand(s);
    // The window's loop: a request is shown, the next tick asks again.
    for (int tick = 0; tick < 10 && ModeOf(s) == PLAYBACK_PLAYING; ++tick) {
        Follow(a);
        if (s.playing) {
            shown.push_back(s.frameShown);
        }
        a = TimerTick(s);
    }
    EXPECT_EQ(shown, (std::vector<uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(ModeOf(s), PLAYBACK_STOPPED);
    EXPECT_EQ(s.currentFrame, kFrames); // the first missing frame
    EXPECT_FALSE(s.paused);

    // Pause twice resumes with the frame after the one shown; a pause and a
    // stop leave playback to start again at 0.
    Follow(PlayCommand(s));
    Follow(TimerTick(s));
    ASSERT_EQ(s.frameShown, 1u);
    PauseCommand(s);
    a = TimerTick(s);
    EXPECT_FALSE(a.requestFrame) << "the picture holds";
    a = PauseCommand(s);
    EXPECT_EQ(a.frame, 2u);
    Follow(a);
    EXPECT_EQ(s.frameShown, 2u);
    PauseCommand(s);
    StopCommand(s);
    a = PlayCommand(s);
    EXPECT_EQ(a.frame, 0u);
    EXPECT_EQ(ModeOf(s), PLAYBACK_PLAYING);
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
        const MenuLook look = MenuFor(s);
        EXPECT_EQ(look.controlEnabled, c.control);
        EXPECT_EQ(look.playEnabled, c.play);
        EXPECT_EQ(look.stopEnabled, c.stop);
        EXPECT_EQ(look.pauseEnabled, c.pause);
        EXPECT_EQ(look.showFrameEnabled, c.showFrame);
        EXPECT_TRUE(look.saveEnabled);
        EXPECT_EQ(look.pauseChecked, c.paused);
        EXPECT_FALSE(look.lumaOnlyChecked);
        EXPECT_EQ(CanShowSingleFrame(s), c.mode == PLAYBACK_STOPPED);
        EXPECT_EQ(CanSaveFrame(s), c.mode != PLAYBACK_IDLE);
    }
    ToggleLumaOnly(s);
    EXPECT_TRUE(MenuFor(s).lumaOnlyChecked);
    EXPECT_TRUE(s.lumaOnly);
}

TEST_F(PlaybackTest, OpeningFilesFromEachState) {
    const std::string image = std::string(kSequence) + " picture.BMP";
    files_.Put(image, {});
    for (int from : {PLAYBACK_IDLE, PLAYBACK_STOPPED, PLAYBACK_PLAYING, PLAYBACK_PAUSED}) {
        SCOPED_TRACE(ModeName(from));
        ASSERT_TRUE(Reset());
        Enter(from);
        s.frameWidth = 176; // the frame settings of QCIF
        s.frameHeight = 144;

        // A sequence: Stopped at frame 0, shown at once, window fitted.
        WindowActions a = OpenSequence(s, kSequence);
        EXPECT_EQ(ModeOf(s), PLAYBACK_STOPPED);
        EXPECT_TRUE(a.requestFrame && a.frame == 0 && a.source == REQUEST_BY_COMMAND);
        EXPECT_EQ(s.currentFrame, 0u);
        EXPECT_TRUE(a.setTitle);
        EXPECT_EQ(std::string(s.title), std::string("Vorlex - ") + kSequence);
        EXPECT_TRUE(a.fitWindow && a.fitWidth == 176 && a.fitHeight == 144);

        // A bitmap, dropped: Idle, the image asked for, the image size.
        a = OpenDroppedFile(s, image.c_str());
        EXPECT_EQ(ModeOf(s), PLAYBACK_IDLE);
        EXPECT_EQ(a.requestImage, IMAGE_FILE_BMP);
        EXPECT_FALSE(a.requestFrame);
        EXPECT_TRUE(a.fitWindow && a.fitWidth == 512 && a.fitHeight == 512);
        EXPECT_EQ(std::string(s.title), "Vorlex - " + image);
        EXPECT_TRUE(s.imageOpened && s.sequenceOpened);

        // Any other name dropped opens as a sequence; a raw image by menu.
        EXPECT_TRUE(OpenDroppedFile(s, kSequence).requestFrame);
        EXPECT_EQ(OpenImage(s, kSequence).requestImage, IMAGE_FILE_RAW);
    }
    // A file that cannot be opened changes nothing.
    Enter(PLAYBACK_STOPPED);
    const std::string title = s.title;
    const WindowActions a = OpenImage(s, "/no such folder/x.bmp");
    EXPECT_STREQ(a.message, "Cannot open file for reading!");
    EXPECT_FALSE(a.setTitle || a.fitWindow || a.requestImage || a.requestFrame);
    EXPECT_EQ(ModeOf(s), PLAYBACK_STOPPED);
    EXPECT_EQ(s.title, title);
    EXPECT_STREQ(OpenSequence(s, "/no such folder/x.yuv").message, "Cannot open file for reading!");
}

TEST_F(PlaybackTest, SettingsFromTheNameWhenAsked) {
    const std::string named = std::string(kSequence) + "_352x288_25fps_nv12.yuv";
    const std::string huge = std::string(kSequence) + "_3840x2160.yuv";
    const std::string fast = std::string(kSequence) + "_176x144_2000fps.yuv";
    for (const std::string& name : {named, huge, fast}) {
        files_.Put(name, {});
    }
    // Unchecked, as at every start: the name is only a name.
    WindowActions a = OpenSequence(s, named.c_str());
    EXPECT_EQ(std::string(s.title), "Vorlex - " + named);
    EXPECT_EQ(s.frameWidth, kW);
    EXPECT_FALSE(a.restartTimer);

    ToggleSettingsFromName(s);
    EXPECT_TRUE(MenuFor(s).settingsFromNameChecked);
    a = OpenSequence(s, named.c_str());
    EXPECT_EQ(std::string(s.title), "Vorlex - " + named + " [352x288, NV12, 25 fps from the name]");
    EXPECT_EQ(s.framePreset, 2u); // the size is CIF's
    EXPECT_EQ(s.frameWidth, 352u);
    EXPECT_EQ(s.sequencePacking, int{PACKING_NV12});
    EXPECT_EQ(s.storedPlan.frameBytes, 352u * 288 * 3 / 2);
    EXPECT_STREQ(s.frameRateText, "25");
    EXPECT_TRUE(a.restartTimer);
    EXPECT_EQ(s.timerPeriod, 40u);
    EXPECT_TRUE(a.fitWindow && a.fitWidth == 352 && a.fitHeight == 288);

    // A size Frame Options would refuse: its message, and nothing opens.
    a = OpenSequence(s, huge.c_str());
    EXPECT_STREQ(a.message, "Frame size too large!");
    EXPECT_FALSE(a.setTitle || a.requestFrame);
    EXPECT_EQ(s.frameWidth, 352u);

    // A rate the Sequence dialog would refuse is not taken, nor claimed.
    a = OpenSequence(s, fast.c_str());
    EXPECT_EQ(std::string(s.title), "Vorlex - " + fast + " [176x144 from the name]");
    EXPECT_STREQ(s.frameRateText, "25");
    EXPECT_FALSE(a.restartTimer);
}

// Sequence B equals A but for one sample of frame 2: V at (1, 1).
TEST_F(PlaybackTest, ComparingViewsJumpsAndTheReadout) {
    std::vector<uint8_t> b = sequence_;
    const uint32_t vAt = 2 * kFrameBytes + kW * kH + kW * kH / 4 + 1 * (kW / 2) + 1;
    b[vAt] ^= 0x10;
    files_.Put("b", b);
    EXPECT_FALSE(CompareWithSequence(s, "b").requestFrame) << "no sequence open";
    Follow(OpenSequence(s, kSequence));
    EXPECT_FALSE(MenuFor(s).comparisonEnabled);
    EXPECT_STREQ(CompareWithSequence(s, "/no such folder/b.yuv").message, "Cannot open file for reading!");
    // A B without one whole frame starts nothing, and ends nothing that runs.
    files_.Put("empty", {});
    files_.Put("partial", std::vector<uint8_t>(b.begin(), b.begin() + kFrameBytes - 1));
    for (const char* name : {"empty", "partial"}) {
        EXPECT_STREQ(CompareWithSequence(s, name).message, "Sequence B has no whole frame!");
        EXPECT_FALSE(ComparisonActive(s) || s.inspector.shown || MenuFor(s).comparisonEnabled);
    }

    WindowActions a = CompareWithSequence(s, "b");
    EXPECT_TRUE(s.inspector.shown && a.updateInspector);
    EXPECT_TRUE(MenuFor(s).comparisonEnabled && MenuFor(s).inspectorChecked);
    EXPECT_TRUE(a.requestFrame && a.frame == 0) << "the frame shows again, compared";
    Follow(a);
    EXPECT_TRUE(s.inspector.hasDiff);
    EXPECT_FALSE(AnyDifference(s.inspector.diff));

    // N from frame 0 finds frame 2 and names the sample; then no more.
    a = PressCompareKey(s, KEY_NEXT_DIFFERENCE);
    EXPECT_TRUE(a.requestFrame && a.frame == 2);
    EXPECT_STREQ(s.inspector.status, "Frame 2: first difference in V at (1, 1): A 221, B 205");
    Follow(a);
    EXPECT_EQ(s.frameShown, 2u);
    EXPECT_EQ(s.inspector.diff.planes[2].sse, 256u);
    EXPECT_FALSE(PressCompareKey(s, KEY_NEXT_DIFFERENCE).requestFrame);
    EXPECT_STREQ(s.inspector.status, "No more differences.");
    EXPECT_EQ(PressCompareKey(s, KEY_PREVIOUS_DIFFERENCE).requestFrame, false) << "none before frame 2";
    Follow(PressKey(s, FRAME_KEY_LAST, SequenceFrameCount(s)));
    EXPECT_EQ(PressCompareKey(s, KEY_PREVIOUS_DIFFERENCE).frame, 2u);

    // The readout of pixel (3, 2) of frame 2: Y, and the chroma sample (1, 1)
    // that differs.
    Follow(ShowSequenceFrame(s, 2, REQUEST_BY_COMMAND));
    PointerMoved(s, true, 3, 2);
    const std::string text = InspectorText(s, nullptr, 0);
    EXPECT_NE(text.find("Pixel 3, 2 of frame 2"), std::string::npos) << text;
    EXPECT_NE(text.find("V  A 221  B 205  A-B +16 at 1, 1"), std::string::npos) << text;

    // A new view shows the frame again (the views' pictures are tested
    // with the comparison).
    EXPECT_TRUE(PressCompareKey(s, KEY_DIFFERENCE_VIEW).requestFrame);
    EXPECT_TRUE(PressCompareKey(s, KEY_GAIN_UP).requestFrame) << "a new gain shows in the difference view";
    EXPECT_TRUE(PressCompareKey(s, KEY_FLIP_VIEW).requestFrame);
    EXPECT_FALSE(PressCompareKey(s, KEY_GAIN_DOWN).requestFrame) << "and only there";

    EXPECT_STREQ(CompareWithSequence(s, "partial").message, "Sequence B has no whole frame!");
    EXPECT_EQ(ComparedFrameCount(s), kFrames) << "the running comparison stays";

    // Opening a sequence ends the comparison.
    Follow(OpenSequence(s, kSequence));
    EXPECT_FALSE(ComparisonActive(s));
    EXPECT_FALSE(s.inspector.hasDiff);
    ToggleInspector(s);
    EXPECT_FALSE(s.inspector.shown);
}

// Extended layouts are compared as stored: a one-level difference of a
// 10-bit sample that looks the same at 8 bits is found, P010 by its value in
// the high 10 bits, packed 4:2:2 in the right plane and place.
TEST_F(PlaybackTest, ExtendedLayoutsCompareAtFullDepth) {
    const struct {
        SequenceLayout layout;
        uint32_t byteAt;       // of the stored frame 1 that B changes
        uint8_t change;        // added to that byte
        const char* first;     // the jump's report
        const char* planeLine; // the start of the plane's metrics line
    } cases[] = {
        {{TYPE_YUV420, 10, PACKING_PLANAR},
         2 * 9,
         1,
         "Frame 1: first difference in Y at (1, 1): A ",
         "Y  PSNR 75.25 dB  max 1\n   SSE 1, 1 of 32 differ"},
        {{TYPE_YUV420, 10, PACKING_P010},
         2 * (32 + 2 * 3 + 1) + 1,
         1,
         "Frame 1: first difference in V at (3, 0)",
         "max 4\n   SSE 16, 1 of 8 differ"},
        {{TYPE_YUV422, 8, PACKING_YUYV},
         16 + 4 + 1,
         2,
         "Frame 1: first difference in U at (1, 1)",
         "max 2\n   SSE 4, 1 of 16 differ"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        ASSERT_TRUE(Reset());
        ASSERT_EQ(SequenceOptionOk(s, c.layout, NumberEntry{true, 0}, "30").message, nullptr);
        SequenceOptionAccepted(s);
        const uint32_t frameBytes = s.storedPlan.frameBytes;
        std::vector<uint8_t> a(2 * frameBytes);
        for (size_t i = 0; i < a.size(); ++i) {
            a[i] = static_cast<uint8_t>(i & 1 ? 1 : i * 4); // words below 2^10, P010's high bits aside
        }
        std::vector<uint8_t> b = a;
        b[frameBytes + c.byteAt] = static_cast<uint8_t>(b[frameBytes + c.byteAt] + c.change);
        files_.Put("a", a);
        files_.Put("b", b);
        Follow(OpenSequence(s, "a"));
        Follow(CompareWithSequence(s, "b"));
        EXPECT_FALSE(AnyDifference(s.inspector.diff));
        Follow(PressCompareKey(s, KEY_NEXT_DIFFERENCE));
        EXPECT_EQ(s.frameShown, 1u);
        EXPECT_EQ(std::string(s.inspector.status).rfind(c.first, 0), 0u) << s.inspector.status;
        const std::string text = InspectorText(s, nullptr, 0);
        EXPECT_NE(text.find(c.planeLine), std::string::npos) << text;
    }
    EndComparisonCommand(s);
}

// An extended layout's frames are read into a buffer obtained on first use.
// Without it the user is told of the missing memory, not of a missing frame,
// also when playback ends for it; once memory is there, the frame shows.
TEST_F(PlaybackTest, NoMemoryForStoredSamplesIsABufferFailure) {
    ASSERT_EQ(SequenceOptionOk(s, {TYPE_YUV420, 10, PACKING_PLANAR}, NumberEntry{true, 0}, "30").message,
              nullptr);
    SequenceOptionAccepted(s);
    void* (*const saved)(size_t) = PlayerBufferAllocator;
    PlayerBufferAllocator = [](size_t) -> void* { return nullptr; };
    EXPECT_STREQ(Follow(OpenSequence(s, kSequence)).message, "Frame buffer failure!");
    EXPECT_STREQ(Follow(PlayCommand(s)).message, "Frame buffer failure!");
    EXPECT_EQ(ModeOf(s), PLAYBACK_STOPPED);
    EXPECT_STREQ(SaveFrameAccepted(s, false).message, "Frame buffer failure!");
    PlayerBufferAllocator = saved;
    EXPECT_EQ(Follow(PressKey(s, FRAME_KEY_FIRST, SequenceFrameCount(s))).message, nullptr);
}

TEST_F(PlaybackTest, FramesAndImagesGoToTheirLibraryCalls) {
    Enter(PLAYBACK_STOPPED);
    // A sequence frame: its colour planes signed, or the neutral planes in
    // the Y-only view; gray as 4:4:4 with the neutral planes.
    WindowActions a = ShowSequenceFrame(s, 1, REQUEST_BY_COMMAND);
    const DisplayCall& c = a.display;
    EXPECT_EQ(c.call, DISPLAY_YUV_IMAGE);
    EXPECT_EQ(c.type, uint32_t{TYPE_YUV420});
    EXPECT_EQ(c.width, kW);
    EXPECT_EQ(c.data, s.frameBuffer);
    EXPECT_EQ(memcmp(s.frameBuffer, &sequence_[kFrameBytes], kW * kH), 0);
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(c.u), s.frameBuffer + kW * kH);
    EXPECT_EQ(static_cast<uint8_t>(c.u[0]), sequence_[kFrameBytes + kW * kH] ^ 0x80);
    ToggleLumaOnly(s);
    a = ShowSequenceFrame(s, 1, REQUEST_BY_COMMAND);
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(a.display.u), s.neutralU);
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(a.display.v), s.neutralV);
    s.sequenceType = TYPE_GRAY;
    a = ShowSequenceFrame(s, 1, REQUEST_BY_COMMAND);
    EXPECT_EQ(a.display.type, uint32_t{TYPE_YUV444});
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(a.display.u), s.neutralU);
    s.sequenceType = TYPE_BGR;
    a = ShowSequenceFrame(s, 1, REQUEST_BY_COMMAND);
    EXPECT_EQ(a.display.call, DISPLAY_IMAGE);
    EXPECT_EQ(a.display.type, uint32_t{TYPE_BGR});

    // Raw images: gray through the image path, YUV through the YUV path
    // (the Y-only view does not apply), a short file refused.
    s.imageWidth = kW;
    s.imageHeight = kH;
    s.imageHeader = 0;
    s.imageType = TYPE_GRAY;
    s.imagePlan = ComputeFramePlan(kW, kH, TYPE_GRAY);
    ASSERT_FALSE(OpenImage(s, kSequence).message);
    a = ShowOpenedImage(s, IMAGE_FILE_RAW);
    EXPECT_EQ(a.display.call, DISPLAY_IMAGE);
    EXPECT_EQ(a.display.type, uint32_t{TYPE_GRAY});
    s.imageType = TYPE_YUV422;
    s.imagePlan = ComputeFramePlan(kW, kH, TYPE_YUV422);
    a = ShowOpenedImage(s, IMAGE_FILE_RAW);
    EXPECT_EQ(a.display.call, DISPLAY_YUV_IMAGE);
    EXPECT_EQ(a.display.type, uint32_t{TYPE_YUV422});
    EXPECT_NE(reinterpret_cast<const uint8_t*>(a.display.u), s.neutralU);
    s.imageHeader = kFrameBytes * kFrames;
    EXPECT_STREQ(ShowOpenedImage(s, IMAGE_FILE_RAW).message, "Image file too short!");
    // A bitmap file that is not one is refused with the checks' message.
    EXPECT_NE(ShowOpenedImage(s, IMAGE_FILE_BMP).message, nullptr);
}

TEST_F(PlaybackTest, WhatFollowsEachDialogsOk) {
    Enter(PLAYBACK_STOPPED);
    s.currentFrame = 2;
    WindowActions a = FrameNumberAccepted(s);
    EXPECT_TRUE(a.requestFrame && a.frame == 2 && a.source == REQUEST_BY_COMMAND);

    s.framePreset = 2; // CIF
    a = FrameOptionsAccepted(s);
    EXPECT_TRUE(a.fitWindow && a.fitWidth == 352 && a.fitHeight == 288);
    EXPECT_EQ(s.sequencePlan.frameBytes, 352u * 288 * 3 / 2);

    s.sequenceType = TYPE_GRAY;
    s.frameRate = 12.5;
    a = SequenceOptionAccepted(s);
    EXPECT_TRUE(a.restartTimer);
    EXPECT_EQ(s.timerPeriod, 80u);
    EXPECT_EQ(s.sequencePlan.frameBytes, 352u * 288);
    EXPECT_FALSE(a.requestFrame) << "no frame is shown again";

    s.imageType = TYPE_RGB;
    ImageOptionAccepted(s);
    EXPECT_EQ(s.imagePlan.frameBytes, 3u * 512 * 512);
}

TEST_F(PlaybackTest, SavingAFrame) {
    Enter(PLAYBACK_PLAYING);
    const std::string out = "/samples/frame";
    snprintf(s.saveFileName, sizeof s.saveFileName, "%s", out.c_str());

    // Raw: the frame's bytes as in the file, then the frame is shown.
    s.currentFrame = 3;
    WindowActions a = SaveFrameAccepted(s, false);
    EXPECT_EQ(a.message, nullptr);
    EXPECT_TRUE(a.requestFrame && a.frame == 3);
    EXPECT_EQ(files_.Get(out),
              std::vector<uint8_t>(sequence_.begin() + 3 * kFrameBytes, sequence_.begin() + 4 * kFrameBytes));

    // Bitmap: the library's 24-bit image of it.
    a = SaveFrameAccepted(s, true);
    EXPECT_EQ(a.message, nullptr);
    EXPECT_EQ(files_.Get(out).size(), 54u + 3 * kW * kH);

    // A missing frame writes nothing, in any state.
    files_.Put(out, {});
    s.currentFrame = kFrames;
    EXPECT_STREQ(SaveFrameAccepted(s, true).message, "Frame number too large!");
    EXPECT_STREQ(SaveFrameAccepted(s, false).message, "Frame number too large!");
    EXPECT_TRUE(files_.Get(out).empty());

    s.currentFrame = 0;
    snprintf(s.saveFileName, sizeof s.saveFileName, "/no such folder/frame.raw");
    a = SaveFrameAccepted(s, false);
    EXPECT_STREQ(a.message, "Cannot create file!");
    EXPECT_FALSE(a.requestFrame);
}

} // namespace
