#include "playback.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "file_names.h"
#include "frame_access.h"
#include "frame_bitmap.h"
#include "frame_rate.h"
#include "image_checks.h"
#include "option_rules.h"
#include "pixel_readout.h"

InspectorState Inspector;

namespace {

WindowActions NoActions() {
    WindowActions a;
    memset(&a, 0, sizeof a);
    return a;
}

WindowActions Message(const char* text) {
    WindowActions a = NoActions();
    a.message = text;
    return a;
}

WindowActions RequestFrame(uint32_t n, int source) {
    WindowActions a = NoActions();
    a.requestFrame = true;
    a.frame = n;
    a.source = source;
    return a;
}

// Playback ends: the flag, and a Pause item that no longer claims to be
// paused.
void EndPlayback() {
    Player.playing = false;
    Player.paused = false;
}

void SetTitle(WindowActions* a, const char* path, const char* suffix = "") {
    snprintf(Player.title, sizeof Player.title, "Vorlex - %s%s", path, suffix);
    a->setTitle = true;
}

// What a file name states replaces the sequence settings; the frame plans
// and, for a new rate, the timer period follow.
void ApplyNameSettings(const NameSettings& named, WindowActions* a) {
    if (named.hasSize) {
        int preset = named.preset;
        for (int i = 0; i < FRAME_PRESET_CUSTOM && preset < 0; ++i) {
            if (FramePresets[i].width == named.width && FramePresets[i].height == named.height) {
                preset = i;
            }
        }
        Player.framePreset = preset >= 0 ? static_cast<uint32_t>(preset) : uint32_t{FRAME_PRESET_CUSTOM};
        Player.frameWidth = named.width;
        Player.frameHeight = named.height;
    }
    if (named.hasLayout) {
        Player.sequenceType = named.type;
        Player.sequenceBits = named.bits;
        Player.sequencePacking = named.packing;
    }
    if (named.hasRate) {
        SetFrameRateText(named.rateText);
        Player.timerPeriod = TimerPeriodFor(Player.frameRate);
        a->restartTimer = true;
    }
    ComputeSequencePlans();
}

void FitTo(WindowActions* a, uint32_t width, uint32_t height) {
    a->fitWindow = true;
    a->fitWidth = width;
    a->fitHeight = height;
}

// Writes `size` bytes to saveFileName; the message when the file cannot be
// created or written (a partly written file is removed), else null.
const char* WriteSaveFile(const uint8_t* bytes, size_t size) {
    FILE* file = fopen(Player.saveFileName, "wb");
    if (!file) {
        return "Cannot create file!";
    }
    const bool written = fwrite(bytes, 1, size, file) == size;
    if (fclose(file) != 0 || !written) {
        remove(Player.saveFileName);
        return "Cannot write file!";
    }
    return nullptr;
}

// Ends a comparison that runs, and what the Inspector showed of it.
void ForgetComparison(WindowActions* a) {
    if (ComparisonActive() || Inspector.hasDiff || Inspector.status[0]) {
        EndComparison();
        Inspector.hasDiff = false;
        Inspector.status[0] = '\0';
        a->updateInspector = true;
    }
}

// Shows the frame on screen again, in a new view; while playing, the next
// frame shows it anyway.
WindowActions ShowAgain() {
    return Player.playing ? NoActions() : RequestFrame(Player.frameShown, REQUEST_BY_COMMAND);
}

// Why a frame of the open sequence could not be read: the file has no
// such frame, or an extended layout had no memory to be read into.
const char* UnreadFrameMessage(bool noMemory) {
    return noMemory ? "Frame buffer failure!" : "Frame number too large!";
}

} // namespace

PlaybackMode ModeOf(const PlayerState& s) {
    if (!s.sequenceActive) {
        return PLAYBACK_IDLE;
    }
    if (s.playing) {
        return PLAYBACK_PLAYING;
    }
    return s.paused ? PLAYBACK_PAUSED : PLAYBACK_STOPPED;
}

MenuLook MenuFor(const PlayerState& s) {
    const PlaybackMode mode = ModeOf(s);
    // Stopped has the stopped arrangement, Playing and Paused the playing
    // one; under Idle's greyed entry every item is enabled, as at start.
    const bool running = mode == PLAYBACK_PLAYING || mode == PLAYBACK_PAUSED;
    const bool idle = mode == PLAYBACK_IDLE;
    MenuLook look;
    look.controlEnabled = !idle;
    look.playEnabled = idle || !running;
    look.stopEnabled = idle || running;
    look.pauseEnabled = idle || running;
    look.showFrameEnabled = idle || !running;
    look.saveEnabled = true;
    look.pauseChecked = s.paused;
    look.lumaOnlyChecked = s.lumaOnly;
    look.settingsFromNameChecked = s.settingsFromName;
    look.compareEnabled = !idle;
    look.comparisonEnabled = ComparisonActive();
    look.inspectorChecked = Inspector.shown;
    return look;
}

bool CanShowSingleFrame() { return ModeOf(Player) == PLAYBACK_STOPPED; }

bool CanSaveFrame() { return ModeOf(Player) != PLAYBACK_IDLE; }

WindowActions PlayCommand() {
    if (ModeOf(Player) != PLAYBACK_STOPPED) {
        return NoActions();
    }
    Player.currentFrame = 0;
    Player.playing = true;
    Player.paused = false;
    return RequestFrame(0, REQUEST_BY_PLAYBACK);
}

WindowActions StopCommand() {
    const PlaybackMode mode = ModeOf(Player);
    if (mode == PLAYBACK_PLAYING || mode == PLAYBACK_PAUSED) {
        EndPlayback();
    }
    return NoActions();
}

WindowActions PauseCommand() {
    switch (ModeOf(Player)) {
    case PLAYBACK_PLAYING:
        Player.playing = false;
        Player.paused = true;
        return NoActions();
    case PLAYBACK_PAUSED:
        // Resumes where it stood: the frame after the one shown.
        Player.playing = true;
        Player.paused = false;
        return RequestFrame(Player.currentFrame, REQUEST_BY_PLAYBACK);
    default:
        return NoActions();
    }
}

WindowActions ToggleLumaOnly() {
    Player.lumaOnly = !Player.lumaOnly;
    return NoActions();
}

WindowActions ToggleSettingsFromName() {
    Player.settingsFromName = !Player.settingsFromName;
    return NoActions();
}

WindowActions PressKey(int key, uint32_t frameCount) {
    const PlaybackMode mode = ModeOf(Player);
    if (mode == PLAYBACK_IDLE) {
        return NoActions();
    }
    if (key == KEY_PLAY_PAUSE) {
        return mode == PLAYBACK_STOPPED ? PlayCommand() : PauseCommand();
    }
    // A frame key while playing pauses first, as Control > Pause does.
    if (mode == PLAYBACK_PLAYING) {
        PauseCommand();
    }
    const int64_t target = FrameForKey(key, Player.frameShown, frameCount);
    if (target < 0) {
        return NoActions();
    }
    const uint32_t n = static_cast<uint32_t>(target);
    // Paused, playback resumes after the frame stepped to.
    Player.currentFrame = Player.paused ? n + 1 : n;
    return RequestFrame(n, REQUEST_BY_COMMAND);
}

int64_t FrameForKey(int key, uint32_t shown, uint32_t count) {
    if (count == 0) {
        return -1;
    }
    switch (key) {
    case FRAME_KEY_NEXT: return uint64_t{shown} + 1 < count ? int64_t{shown} + 1 : -1;
    // From a frame past the end (the file shrank), back to the last one.
    case FRAME_KEY_PREVIOUS: return shown > 0 ? std::min(int64_t{shown} - 1, int64_t{count} - 1) : -1;
    case FRAME_KEY_FIRST: return 0;
    case FRAME_KEY_LAST: return int64_t{count} - 1;
    default: return -1;
    }
}

WindowActions TimerTick() {
    return Player.playing ? RequestFrame(Player.currentFrame, REQUEST_BY_PLAYBACK) : NoActions();
}

WindowActions ShowSequenceFrame(uint32_t n, int source) {
    // Asked for by playback that has been paused or stopped since.
    if (source == REQUEST_BY_PLAYBACK && !Player.playing) {
        return NoActions();
    }
    FrameDiff diff;
    const bool comparing = ComparisonActive();
    if (comparing ? !LoadComparedFrame(n, &diff) : !ReadSequenceFrame(n)) {
        const bool noMemory = !comparing && SampleBufferMissing();
        if (Player.playing) {
            EndPlayback(); // the normal end of playback, unless memory ran out
            if (!noMemory) {
                return NoActions();
            }
        }
        return Message(UnreadFrameMessage(noMemory));
    }
    WindowActions a = NoActions();
    a.updateInspector = Inspector.shown; // the readout follows the frame
    if (comparing) {
        Inspector.hasDiff = true;
        Inspector.diff = diff;
        Inspector.diffFrame = n;
        a.updateInspector = true;
    }
    a.display = DisplayCallFor(RouteFrame(Player.sequenceType, Player.frameWidth, Player.frameHeight,
                                          Player.sequencePlan, Player.frameBuffer, Player.lumaOnly));
    Player.frameShown = n;
    if (Player.playing) {
        ++Player.currentFrame;
    }
    return a;
}

WindowActions ShowOpenedImage(int kind) {
    WindowActions a = NoActions();
    a.updateInspector = Inspector.shown;
    if (kind == IMAGE_FILE_RAW) {
        if (!ReadRawImage()) {
            return Message("Image file too short!");
        }
        // A gray image keeps its exact values through the library's gray
        // path; only sequence frames go through the YUV conversion as 4:4:4.
        if (Player.imageType == TYPE_GRAY) {
            a.display = ImageDisplayCall(TYPE_GRAY, Player.imageWidth, Player.imageHeight, Player.frameBuffer);
        } else {
            a.display = DisplayCallFor(RouteFrame(Player.imageType, Player.imageWidth, Player.imageHeight,
                                                  Player.imagePlan, Player.frameBuffer, false));
        }
        return a;
    }
    uint32_t size = 0;
    switch (ReadWholeImageFile(&size)) {
    case WHOLE_FILE_TOO_LARGE: return Message("Image file too large!");
    case WHOLE_FILE_FAILED: return Message("Cannot read image file!");
    }
    if (const char* problem = CheckWholeImageFile(kind, Player.frameBuffer, size)) {
        return Message(problem);
    }
    a.display = ImageDisplayCall(static_cast<uint32_t>(kind), 0, 0, Player.frameBuffer);
    return a;
}

WindowActions OpenSequence(const char* path) {
    NameSettings named;
    const bool fromName = Player.settingsFromName && ReadNameSettings(path, &named);
    // A rate the Sequence dialog would refuse is not a setting: neither taken
    // nor named in the title.
    if (fromName && named.hasRate && CheckFrameRateEntry(named.rateText)) {
        named.hasRate = false;
    }
    if (fromName && named.hasSize) {
        if (const char* refused =
                CheckSizeEntry(true, named.width, true, named.height, FrameSizeMessages)) {
            return Message(refused);
        }
    }
    // A file that cannot be opened leaves the previous file, title and
    // picture.
    if (!OpenInputFile(path)) {
        return Message("Cannot open file for reading!");
    }
    Player.sequenceOpened = true;
    Player.sequenceActive = true;
    EndPlayback();
    WindowActions a = RequestFrame(0, REQUEST_BY_COMMAND);
    ForgetComparison(&a);
    char taken[96] = "";
    if (fromName) {
        ApplyNameSettings(named, &a);
        DescribeNameSettings(named, taken, sizeof taken);
    }
    SetTitle(&a, path, taken);
    FitTo(&a, Player.frameWidth, Player.frameHeight);
    Player.currentFrame = 0;
    Player.frameShown = 0;
    return a;
}

WindowActions OpenImage(const char* path) {
    if (!OpenInputFile(path)) {
        return Message("Cannot open file for reading!");
    }
    Player.imageOpened = true;
    Player.sequenceActive = false;
    EndPlayback();
    WindowActions a = NoActions();
    ForgetComparison(&a);
    SetTitle(&a, path);
    FitTo(&a, Player.imageWidth, Player.imageHeight);
    Player.imageKind = ClassifyImageFile(path);
    a.requestImage = Player.imageKind;
    return a;
}

WindowActions OpenDroppedFile(const char* path) {
    return ClassifyImageFile(path) == IMAGE_FILE_RAW ? OpenSequence(path) : OpenImage(path);
}

WindowActions FrameNumberAccepted() { return RequestFrame(Player.currentFrame, REQUEST_BY_COMMAND); }

WindowActions FrameOptionsAccepted() {
    ApplyFramePreset();
    WindowActions a = NoActions();
    FitTo(&a, Player.frameWidth, Player.frameHeight);
    return a;
}

WindowActions ImageOptionAccepted() {
    Player.imagePlan = ComputeFramePlan(Player.imageWidth, Player.imageHeight, Player.imageType);
    return NoActions();
}

WindowActions SequenceOptionAccepted() {
    ComputeSequencePlans();
    Player.timerPeriod = TimerPeriodFor(Player.frameRate);
    WindowActions a = NoActions();
    a.restartTimer = true;
    return a;
}

WindowActions SaveFrameAccepted(bool asBitmap) {
    if (!ReadSequenceFrame(Player.currentFrame)) {
        return Message(UnreadFrameMessage(SampleBufferMissing()));
    }
    const char* failure;
    if (!asBitmap) {
        failure = WriteSaveFile(StoredFrame(), StoredFrameBytes());
    } else {
        const size_t size = FrameBitmapBytes();
        uint8_t* image = static_cast<uint8_t*>(malloc(size));
        if (!image) {
            return Message("Bitmap buffer failure!");
        }
        BuildFrameBitmap(image);
        failure = WriteSaveFile(image, size);
        free(image);
    }
    return failure ? Message(failure) : RequestFrame(Player.currentFrame, REQUEST_BY_COMMAND);
}

WindowActions CompareWithSequence(const char* path) {
    if (ModeOf(Player) == PLAYBACK_IDLE) {
        return NoActions();
    }
    switch (StartComparison(path)) {
    case COMPARE_CANNOT_OPEN: return Message("Cannot open file for reading!");
    case COMPARE_NO_MEMORY: return Message("Frame buffer failure!");
    case COMPARE_NO_FRAME: return Message("Sequence B has no whole frame!");
    }
    Inspector.shown = true;
    Inspector.hasDiff = false;
    Inspector.status[0] = '\0';
    WindowActions a = ShowAgain();
    a.updateInspector = true;
    return a;
}

WindowActions EndComparisonCommand() {
    if (!ComparisonActive()) {
        return NoActions();
    }
    WindowActions a = ShowAgain();
    ForgetComparison(&a);
    return a;
}

WindowActions PressCompareKey(int key) {
    if (!ComparisonActive() || ModeOf(Player) == PLAYBACK_IDLE) {
        return NoActions();
    }
    switch (key) {
    case KEY_FLIP_VIEW: Comparison.view = ViewAfterTab(Comparison.view); return ShowAgain();
    case KEY_DIFFERENCE_VIEW: Comparison.view = ViewAfterDifferenceKey(Comparison.view); return ShowAgain();
    case KEY_GAIN_UP: Comparison.gain = RaiseGain(Comparison.gain); break;
    case KEY_GAIN_DOWN: Comparison.gain = LowerGain(Comparison.gain); break;
    case KEY_NEXT_DIFFERENCE:
    case KEY_PREVIOUS_DIFFERENCE: {
        // A jump pauses playback, as a frame key does.
        if (Player.playing) {
            PauseCommand();
        }
        uint32_t found = 0;
        FrameDiff diff;
        WindowActions a = NoActions();
        a.updateInspector = true;
        switch (FindDifferentFrame(Player.frameShown, key == KEY_NEXT_DIFFERENCE, &found, &diff)) {
        case SEARCH_FOUND:
            snprintf(Inspector.status, sizeof Inspector.status, "%s",
                     FirstDifferenceText(SequenceFrameGeometry(), found, diff).c_str());
            Player.currentFrame = Player.paused ? found + 1 : found;
            a = RequestFrame(found, REQUEST_BY_COMMAND);
            a.updateInspector = true;
            return a;
        case SEARCH_NONE: snprintf(Inspector.status, sizeof Inspector.status, "%s", NoMoreDifferencesMessage); break;
        default: snprintf(Inspector.status, sizeof Inspector.status, "Cannot read the sequences."); break;
        }
        return a;
    }
    default: return NoActions();
    }
    // A new gain shows in the difference view only.
    return Comparison.view == VIEW_DIFFERENCE ? ShowAgain() : NoActions();
}

WindowActions ToggleInspector() {
    Inspector.shown = !Inspector.shown;
    WindowActions a = NoActions();
    a.updateInspector = true;
    return a;
}

WindowActions PointerMoved(bool inside, uint32_t x, uint32_t y) {
    if (inside == Inspector.pointing && x == Inspector.x && y == Inspector.y) {
        return NoActions();
    }
    Inspector.pointing = inside;
    Inspector.x = x;
    Inspector.y = y;
    WindowActions a = NoActions();
    a.updateInspector = Inspector.shown;
    return a;
}

namespace {

// The metrics of one plane in three short lines, readable in a narrow
// window: "Y  PSNR 43.21 dB  max 5", "   SSE 1234, 12 of 25344 differ",
// "   first (3, 4): A 120, B 118"; or "U  identical".
std::string PlaneMetrics(char name, const PlaneDiff& d, uint32_t peak) {
    char text[200];
    if (!d.hasFirst) {
        snprintf(text, sizeof text, "%c  identical\n", name);
        return text;
    }
    snprintf(text, sizeof text,
             "%c  PSNR %s dB  max %u\n   SSE %llu, %llu of %llu differ\n   first (%u, %u): A %u, B %u\n", name,
             PsnrText(d.sse, d.samples, peak).c_str(), static_cast<unsigned>(d.maxDiff),
             static_cast<unsigned long long>(d.sse), static_cast<unsigned long long>(d.differing),
             static_cast<unsigned long long>(d.samples), static_cast<unsigned>(d.firstX),
             static_cast<unsigned>(d.firstY), static_cast<unsigned>(d.firstA), static_cast<unsigned>(d.firstB));
    return text;
}

} // namespace

std::string InspectorText(const uint8_t* image, uint32_t capacity) {
    std::string text;
    if (ComparisonActive()) {
        static const char* const views[] = {"A", "B", "difference"};
        char line[96];
        snprintf(line, sizeof line, "Comparing: view %s, gain %u\n", views[Comparison.view % 3],
                 static_cast<unsigned>(Comparison.gain));
        text += line;
        if (Inspector.hasDiff) {
            const FrameGeometry layout = SequenceFrameGeometry();
            snprintf(line, sizeof line, "Frame %u\n", static_cast<unsigned>(Inspector.diffFrame));
            text += line;
            for (uint32_t i = 0; i < Inspector.diff.planeCount && i < layout.planeCount; ++i) {
                text += PlaneMetrics(layout.planes[i].name, Inspector.diff.planes[i], PeakOf(layout.bitDepth));
            }
        }
    }
    if (Inspector.status[0]) {
        text += std::string(Inspector.status) + "\n";
    }
    if (!text.empty()) {
        text += "\n";
    }
    std::string readout;
    if (Inspector.pointing) {
        readout = Player.sequenceActive ? SequenceReadout(Inspector.x, Inspector.y)
                  : Player.imageOpened  ? ImageReadout(Inspector.x, Inspector.y, image, capacity)
                                        : "";
    }
    return text + (readout.empty() ? "Point at the picture to read its values.\n" : readout);
}
