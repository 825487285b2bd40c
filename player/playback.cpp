#include "playback.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "command_line.h"
#include "file_names.h"
#include "frame_access.h"
#include "frame_bitmap.h"
#include "frame_rate.h"
#include "image_checks.h"
#include "option_rules.h"
#include "pixel_readout.h"
#include "zoom.h"

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

WindowActions RequestFrame(uint32_t n, FrameRequestSource source) {
    WindowActions a = NoActions();
    a.requestFrame = true;
    a.frame = n;
    a.source = source;
    return a;
}

// Playback ends: the flag, and a Pause item that no longer claims to be
// paused.
void EndPlayback(PlayerState& s) {
    s.playing = false;
    s.paused = false;
}

// The zoom applies while no image is shown: to the sequence, and to the
// empty window before anything opens.
bool ZoomApplies(const PlayerState& s) { return !s.imageOpened || s.sequenceActive; }

// The title's note of a zoom other than 1, " [zoom 2]", or of a zoom the
// work area did not let through, " [zoom 2: 4 does not fit the screen]".
void NoteZoom(PlayerState& s, WindowActions* a) {
    char title[sizeof s.title];
    snprintf(title, sizeof title, "%.*s", static_cast<int>(s.titleBase), s.title);
    const size_t n = strlen(title);
    if (ZoomApplies(s) && s.zoomShown != s.zoomChosen) {
        snprintf(title + n, sizeof title - n, " [zoom %s: %s does not fit the screen]", ZoomName(s.zoomShown),
                 ZoomName(s.zoomChosen));
    } else if (ZoomApplies(s) && s.zoomShown != ZOOM_1) {
        snprintf(title + n, sizeof title - n, " [zoom %s]", ZoomName(s.zoomShown));
    }
    if (strcmp(title, s.title) != 0) {
        memcpy(s.title, title, sizeof title);
        a->setTitle = true;
    }
}

void SetTitle(PlayerState& s, WindowActions* a, const char* path, const char* suffix = "") {
    snprintf(s.title, sizeof s.title, "Vorlex - %s%s", path, suffix);
    s.titleBase = strlen(s.title);
    a->setTitle = true;
    NoteZoom(s, a);
}

// What a file name states replaces the sequence settings; the frame plans
// and, for a new rate, the timer period follow.
void ApplyNameSettings(PlayerState& s, const NameSettings& named, WindowActions* a) {
    if (named.hasSize) {
        int preset = named.preset;
        for (int i = 0; i < FRAME_PRESET_CUSTOM && preset < 0; ++i) {
            if (FramePresets[i].width == named.width && FramePresets[i].height == named.height) {
                preset = i;
            }
        }
        s.framePreset = preset >= 0 ? static_cast<uint32_t>(preset) : uint32_t{FRAME_PRESET_CUSTOM};
        s.frameWidth = named.width;
        s.frameHeight = named.height;
    }
    if (named.hasLayout) {
        s.sequenceType = named.type;
        s.sequenceBits = named.bits;
        s.sequencePacking = named.packing;
    }
    if (named.hasRate) {
        SetFrameRateText(s, named.rateText);
        s.timerPeriod = TimerPeriodFor(s.frameRate);
        a->restartTimer = true;
    }
    ComputeSequencePlans(s);
}

void FitTo(WindowActions* a, uint32_t width, uint32_t height) {
    a->fitWindow = true;
    a->fitWidth = width;
    a->fitHeight = height;
}

// The window fits the frame at the largest zoom up to the chosen one that
// the work area takes, and the title notes the zoom.
void FitSequenceWindow(PlayerState& s, WindowActions* a) {
    s.zoomShown = FittingZoom(s.zoomChosen, s.frameWidth, s.frameHeight, s.workWidth, s.workHeight);
    const uint32_t zoom = ZoomApplies(s) ? s.zoomShown : uint32_t{ZOOM_1};
    FitTo(a, ZoomedLength(s.frameWidth, zoom), ZoomedLength(s.frameHeight, zoom));
    NoteZoom(s, a);
}

// Writes `size` bytes to saveFileName; the message when the file cannot be
// created or written (a partly written file is removed), else null.
const char* WriteSaveFile(PlayerState& s, const uint8_t* bytes, size_t size) {
    switch (s.files.write(s.files.context, s.saveFileName, bytes, size)) {
    case WRITE_DONE: return nullptr;
    case WRITE_CANNOT_CREATE: return "Cannot create file!";
    default: return "Cannot write file!";
    }
}

// Ends a comparison that runs, and what the Inspector showed of it.
void ForgetComparison(PlayerState& s, WindowActions* a) {
    if (ComparisonActive(s) || s.inspector.hasDiff || s.inspector.status[0]) {
        EndComparison(s);
        s.inspector.hasDiff = false;
        s.inspector.status[0] = '\0';
        a->updateInspector = true;
    }
}

// Shows the frame on screen again, in a new view; while playing, the next
// frame shows it anyway.
WindowActions ShowAgain(PlayerState& s) {
    return s.playing ? NoActions() : RequestFrame(s.frameShown, REQUEST_BY_COMMAND);
}

// Shows frame n, stepped to by a key; paused, playback resumes after it.
WindowActions StepTo(PlayerState& s, uint32_t n) {
    s.currentFrame = s.paused ? n + 1 : n;
    return RequestFrame(n, REQUEST_BY_COMMAND);
}

// Why a frame of the open sequence could not be read: the file has no
// such frame, or an extended layout had no memory to be read into.
const char* UnreadFrameMessage(bool noMemory) {
    return noMemory ? "Frame buffer failure!" : "Frame number too large!";
}

// The frame lines must be indexed before `then` (for frame n, asked for by
// `source`) can be done: the window indexes, then calls FramesIndexed.
void AwaitIndex(PlayerState& s, WindowActions* a, AfterIndex then, uint32_t n, FrameRequestSource source) {
    s.indexWait.then = then;
    s.indexWait.frame = n;
    s.indexWait.source = source;
    s.indexWait.sequence = Y4mSourceStatus(s.openFile).needsIndex != 0;
    s.indexWait.b = Y4mSourceStatus(s.comparison.fileB).needsIndex != 0;
    a->requestFrame = false;
    a->indexFrames = true;
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
    memset(&look, 0, sizeof look); // the window compares looks byte for byte
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
    look.comparisonEnabled = ComparisonActive(s);
    look.inspectorChecked = s.inspector.shown;
    look.zoomChecked = ZoomApplies(s) ? s.zoomShown : s.zoomChosen;
    look.matrixChecked = s.colourMatrix;
    return look;
}

bool CanShowSingleFrame(const PlayerState& s) { return ModeOf(s) == PLAYBACK_STOPPED; }

bool CanSaveFrame(const PlayerState& s) { return ModeOf(s) != PLAYBACK_IDLE; }

WindowActions PlayCommand(PlayerState& s) {
    if (ModeOf(s) != PLAYBACK_STOPPED) {
        return NoActions();
    }
    s.currentFrame = 0;
    s.playing = true;
    s.paused = false;
    return RequestFrame(0, REQUEST_BY_PLAYBACK);
}

WindowActions StopCommand(PlayerState& s) {
    const PlaybackMode mode = ModeOf(s);
    if (mode == PLAYBACK_PLAYING || mode == PLAYBACK_PAUSED) {
        EndPlayback(s);
    }
    return NoActions();
}

WindowActions PauseCommand(PlayerState& s) {
    switch (ModeOf(s)) {
    case PLAYBACK_PLAYING:
        s.playing = false;
        s.paused = true;
        return NoActions();
    case PLAYBACK_PAUSED:
        // Resumes where it stood: the frame after the one shown.
        s.playing = true;
        s.paused = false;
        return RequestFrame(s.currentFrame, REQUEST_BY_PLAYBACK);
    default: return NoActions();
    }
}

WindowActions ToggleLumaOnly(PlayerState& s) {
    s.lumaOnly = !s.lumaOnly;
    return NoActions();
}

WindowActions ChooseZoom(PlayerState& s, uint32_t zoom) {
    if (zoom >= ZOOM_COUNT) {
        return NoActions();
    }
    s.zoomChosen = zoom;
    WindowActions a = NoActions();
    if (!ZoomApplies(s)) {
        return a; // kept for the next sequence
    }
    const uint32_t before = s.zoomShown;
    FitSequenceWindow(s, &a);
    if (s.zoomShown != before && s.sequenceActive && !s.playing) {
        a.requestFrame = true;
        a.frame = s.frameShown;
        a.source = REQUEST_BY_COMMAND;
    }
    return a;
}

WindowActions StepZoom(PlayerState& s, int step) {
    const int from = static_cast<int>(ZoomApplies(s) ? s.zoomShown : s.zoomChosen);
    return ChooseZoom(s, static_cast<uint32_t>(std::min(std::max(from + step, 0), ZOOM_COUNT - 1)));
}

WindowActions ChooseColourMatrix(PlayerState& s, uint32_t matrix) {
    if (matrix > MATRIX_BT2020_FULL) {
        return NoActions();
    }
    s.colourMatrix = matrix;
    WindowActions a = s.sequenceActive ? ShowAgain(s) : NoActions();
    if (s.imageOpened && !s.sequenceActive && s.imageKind == IMAGE_FILE_RAW) {
        a.requestImage = s.imageKind; // a raw YUV image is converted again
    }
    return a;
}

WindowActions ToggleSettingsFromName(PlayerState& s) {
    s.settingsFromName = !s.settingsFromName;
    return NoActions();
}

WindowActions PressKey(PlayerState& s, FrameKey key, uint32_t frameCount) {
    const PlaybackMode mode = ModeOf(s);
    if (mode == PLAYBACK_IDLE) {
        return NoActions();
    }
    if (key == KEY_PLAY_PAUSE) {
        return mode == PLAYBACK_STOPPED ? PlayCommand(s) : PauseCommand(s);
    }
    // A frame key while playing pauses first, as Control > Pause does.
    if (mode == PLAYBACK_PLAYING) {
        PauseCommand(s);
    }
    const int64_t target = FrameForKey(key, s.frameShown, frameCount);
    if (target < 0) {
        return NoActions();
    }
    return StepTo(s, static_cast<uint32_t>(target));
}

int64_t FrameForKey(FrameKey key, uint32_t shown, uint32_t count) {
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

WindowActions TimerTick(PlayerState& s) {
    return s.playing ? RequestFrame(s.currentFrame, REQUEST_BY_PLAYBACK) : NoActions();
}

WindowActions ShowSequenceFrame(PlayerState& s, uint32_t n, FrameRequestSource source) {
    // Asked for by playback that has been paused or stopped since.
    if (source == REQUEST_BY_PLAYBACK && !s.playing) {
        return NoActions();
    }
    FrameDiff diff;
    const bool comparing = ComparisonActive(s);
    if (comparing ? !LoadComparedFrame(s, n, &diff) : !ReadSequenceFrame(s, n)) {
        if (FramesNeedIndex(s)) { // a Y4M frame line out of place
            WindowActions a = NoActions();
            AwaitIndex(s, &a, AFTER_INDEX_SHOW, n, source);
            return a;
        }
        const bool noMemory = !comparing && SampleBufferMissing(s);
        if (s.playing) {
            EndPlayback(s); // the normal end of playback, unless memory ran out
            if (!noMemory) {
                return NoActions();
            }
        }
        return Message(UnreadFrameMessage(noMemory));
    }
    WindowActions a = NoActions();
    a.updateInspector = s.inspector.shown; // the readout follows the frame
    if (comparing) {
        s.inspector.hasDiff = true;
        s.inspector.diff = diff;
        s.inspector.diffFrame = n;
        // SSIM only for the Inspector's eyes: it costs a little per frame.
        s.inspector.ssimResult = s.inspector.shown ? SsimOfFrames(ComparedPair(s).geometry, s.comparison.frameA,
                                                                  s.comparison.frameB, &s.inspector.ssim)
                                                   : SSIM_NO_MEMORY;
        a.updateInspector = true;
    }
    a.display = PictureCall(
        s, RouteFrame(s, s.sequenceType, s.frameWidth, s.frameHeight, s.sequencePlan, s.frameBuffer, s.lumaOnly),
        s.zoomShown);
    s.frameShown = n;
    if (s.playing) {
        ++s.currentFrame;
    }
    return a;
}

WindowActions ShowOpenedImage(PlayerState& s, int kind) {
    WindowActions a = NoActions();
    a.updateInspector = s.inspector.shown;
    if (kind == IMAGE_FILE_RAW) {
        if (!ReadRawImage(s)) {
            return Message("Image file too short!");
        }
        // A gray image keeps its exact values through the library's gray
        // path; only sequence frames go through the YUV conversion as 4:4:4.
        if (s.imageType == TYPE_GRAY) {
            a.display = ImageDisplayCall(TYPE_GRAY, s.imageWidth, s.imageHeight, s.frameBuffer);
        } else {
            a.display = ImagePictureCall(s, RouteFrame(s, s.imageType, s.imageWidth, s.imageHeight,
                                                       s.imagePlan, s.frameBuffer, false));
        }
        return a;
    }
    uint32_t size = 0;
    switch (ReadWholeImageFile(s, &size)) {
    case WHOLE_FILE_TOO_LARGE: return Message("Image file too large!");
    case WHOLE_FILE_FAILED: return Message("Cannot read image file!");
    }
    if (const char* problem = CheckWholeImageFile(kind, s.frameBuffer, size)) {
        return Message(problem);
    }
    a.display = ImageDisplayCall(static_cast<uint32_t>(kind), 0, 0, s.frameBuffer);
    return a;
}

namespace {

// The open file is now `frames`, a sequence, shown from frame 0 with
// `named` taken as its settings (described after the path in the title).
// Frames of a Y4M file whose lines must be indexed are shown after that.
WindowActions StartSequence(PlayerState& s, FrameSource frames, const char* path, const NameSettings* named,
                            const char* origin) {
    CloseSource(&s.openFile);
    s.openFile = frames;
    s.sequenceOpened = true;
    s.sequenceActive = true;
    EndPlayback(s);
    WindowActions a = RequestFrame(0, REQUEST_BY_COMMAND);
    ForgetComparison(s, &a);
    char taken[96] = "";
    if (named) {
        ApplyNameSettings(s, *named, &a);
        DescribeNameSettings(*named, taken, sizeof taken, origin);
    }
    SetTitle(s, &a, path, taken);
    FitSequenceWindow(s, &a);
    s.currentFrame = 0;
    s.frameShown = 0;
    if (FramesNeedIndex(s)) {
        AwaitIndex(s, &a, AFTER_INDEX_SHOW, 0, REQUEST_BY_COMMAND);
    }
    return a;
}

// "29.97" for 30000:1001: the rate to three decimals, without trailing zeros.
void RateText(uint32_t num, uint32_t den, char* text, size_t size) {
    snprintf(text, size, "%.3f", static_cast<double>(num) / den);
    char* end = text + strlen(text);
    while (end > text && end[-1] == '0') {
        *--end = '\0';
    }
    if (end > text && end[-1] == '.') {
        end[-1] = '\0';
    }
}

// A Y4M file: its header states the settings.
WindowActions OpenY4mSequence(PlayerState& s, FrameSource file, Y4mResult read, const Y4mHeader& header,
                              const char* path) {
    if (read != Y4M_OK) {
        CloseSource(&file);
        return Message(s.messageText);
    }
    if (const char* refused = CheckSizeEntry(true, header.width, true, header.height, FrameSizeMessages)) {
        CloseSource(&file);
        return Message(refused);
    }
    NameSettings named;
    memset(&named, 0, sizeof named);
    named.hasSize = true;
    named.width = header.width;
    named.height = header.height;
    named.preset = -1;
    named.hasLayout = true;
    named.type = header.layout.type;
    named.bits = header.layout.bits;
    named.packing = header.layout.packing;
    // F0:0 keeps the rate, and so does one the timer cannot play.
    const double rate = header.rateDen ? static_cast<double>(header.rateNum) / header.rateDen : 0;
    named.hasRate = header.rateDen != 0 && FrameRateUsable(rate);
    if (named.hasRate) {
        RateText(header.rateNum, header.rateDen, named.rateText, sizeof named.rateText);
    }
    const FrameSource frames = Y4mFrameSource(file, header);
    if (!SourceOpen(frames)) {
        return Message("Frame buffer failure!");
    }
    WindowActions a = StartSequence(s, frames, path, &named, "the Y4M header");
    s.sequenceY4m = header;
    // With a standard's matrix chosen, the header's range picks its limited
    // or full form (the matrices come in pairs, limited first).
    const bool full = strcmp(header.colourRange, "FULL") == 0;
    if (s.colourMatrix != MATRIX_LIBRARY && (full || strcmp(header.colourRange, "LIMITED") == 0)) {
        s.colourMatrix = (s.colourMatrix - 1) / 2 * 2 + (full ? 2 : 1);
    }
    if (named.hasRate) {
        s.frameRate = rate; // exact, where the text is rounded
    }
    return a;
}

} // namespace

WindowActions OpenSequence(PlayerState& s, const char* path) {
    FrameSource file = s.files.open ? s.files.open(s.files.context, path) : FrameSource{};
    if (!SourceOpen(file)) {
        // A file that cannot be opened leaves the previous file, title and
        // picture.
        return Message("Cannot open file for reading!");
    }
    Y4mHeader header;
    const Y4mResult read = ReadY4mHeader(file, &header, s.messageText, sizeof s.messageText);
    if (read != Y4M_NOT_Y4M) {
        return OpenY4mSequence(s, file, read, header, path);
    }
    NameSettings named;
    const bool fromName = s.settingsFromName && ReadNameSettings(path, &named);
    // A rate the Sequence dialog would refuse is not a setting: neither taken
    // nor named in the title.
    if (fromName && named.hasRate && CheckFrameRateEntry(named.rateText)) {
        named.hasRate = false;
    }
    if (fromName && named.hasSize) {
        if (const char* refused = CheckSizeEntry(true, named.width, true, named.height, FrameSizeMessages)) {
            CloseSource(&file);
            return Message(refused);
        }
    }
    return StartSequence(s, file, path, fromName ? &named : nullptr, "the name");
}

WindowActions OpenImage(PlayerState& s, const char* path) {
    if (!OpenInputFile(s, path)) {
        return Message("Cannot open file for reading!");
    }
    s.imageOpened = true;
    s.sequenceActive = false;
    EndPlayback(s);
    WindowActions a = NoActions();
    ForgetComparison(s, &a);
    SetTitle(s, &a, path);
    FitTo(&a, s.imageWidth, s.imageHeight);
    s.imageKind = ClassifyImageFile(path);
    a.requestImage = s.imageKind;
    return a;
}

WindowActions OpenDroppedFile(PlayerState& s, const char* path) {
    return ClassifyImageFile(path) == IMAGE_FILE_RAW ? OpenSequence(s, path) : OpenImage(s, path);
}

WindowActions ApplyCommandLine(PlayerState& s, const CommandLine& line) {
    NameSettings named;
    memset(&named, 0, sizeof named);
    named.preset = -1;
    named.hasSize = line.hasSize;
    named.width = line.width;
    named.height = line.height;
    named.hasLayout = line.hasLayout;
    named.type = line.layout.type;
    named.bits = line.layout.bits;
    named.packing = line.layout.packing;
    named.hasRate = line.hasRate;
    snprintf(named.rateText, sizeof named.rateText, "%s", line.rateText);
    WindowActions a = NoActions();
    ApplyNameSettings(s, named, &a);
    if (line.hasHeader) {
        s.sequenceHeader = line.header;
    }
    s.settingsFromName = s.settingsFromName || line.fromName;
    FitSequenceWindow(s, &a);
    return a;
}

WindowActions CompareWithSecondFile(PlayerState& s, const char* path) {
    if (ModeOf(s) == PLAYBACK_IDLE) {
        return Message("Only a sequence compares with a second file!");
    }
    return CompareWithSequence(s, path);
}

WindowActions FrameNumberAccepted(PlayerState& s) { return RequestFrame(s.currentFrame, REQUEST_BY_COMMAND); }

WindowActions FrameOptionsAccepted(PlayerState& s) {
    ApplyFramePreset(s);
    WindowActions a = NoActions();
    FitSequenceWindow(s, &a);
    return a;
}

WindowActions ImageOptionAccepted(PlayerState& s) {
    s.imagePlan = ComputeFramePlan(s.imageWidth, s.imageHeight, s.imageType);
    return NoActions();
}

WindowActions SequenceOptionAccepted(PlayerState& s) {
    ComputeSequencePlans(s);
    s.timerPeriod = TimerPeriodFor(s.frameRate);
    WindowActions a = NoActions();
    a.restartTimer = true;
    return a;
}

WindowActions SaveFrameAccepted(PlayerState& s, bool asBitmap) {
    if (!ReadSequenceFrame(s, s.currentFrame)) {
        return Message(UnreadFrameMessage(SampleBufferMissing(s)));
    }
    const char* failure;
    if (!asBitmap) {
        failure = WriteSaveFile(s, StoredFrame(s), StoredFrameBytes(s));
    } else {
        const size_t size = FrameBitmapBytes(s);
        uint8_t* image = static_cast<uint8_t*>(malloc(size));
        if (!image) {
            return Message("Bitmap buffer failure!");
        }
        BuildFrameBitmap(s, image);
        failure = WriteSaveFile(s, image, size);
        free(image);
    }
    return failure ? Message(failure) : RequestFrame(s.currentFrame, REQUEST_BY_COMMAND);
}

WindowActions CompareWithSequence(PlayerState& s, const char* path) {
    if (ModeOf(s) == PLAYBACK_IDLE) {
        return NoActions();
    }
    switch (StartComparison(s, path)) {
    case COMPARE_CANNOT_OPEN: return Message("Cannot open file for reading!");
    case COMPARE_NO_MEMORY: return Message("Frame buffer failure!");
    case COMPARE_NO_FRAME: return Message("Sequence B has no whole frame!");
    case COMPARE_REFUSED: return Message(s.messageText);
    case COMPARE_STARTED: break;
    }
    s.inspector.shown = true;
    s.inspector.hasDiff = false;
    s.inspector.status[0] = '\0';
    WindowActions a = ShowAgain(s);
    a.updateInspector = true;
    if (FramesNeedIndex(s)) {
        AwaitIndex(s, &a, a.requestFrame ? AFTER_INDEX_SHOW : AFTER_INDEX_NOTHING, s.frameShown,
                   REQUEST_BY_COMMAND);
    }
    return a;
}

WindowActions EndComparisonCommand(PlayerState& s) {
    if (!ComparisonActive(s)) {
        return NoActions();
    }
    WindowActions a = ShowAgain(s);
    ForgetComparison(s, &a);
    return a;
}

namespace {

// N or Shift+N: the next or previous frame that differs, named in the
// Inspector; a jump pauses playback, as a frame key does.
WindowActions JumpToDifference(PlayerState& s, bool forward) {
    if (s.playing) {
        PauseCommand(s);
    }
    uint32_t found = 0;
    FrameDiff diff;
    WindowActions a = NoActions();
    char* status = s.inspector.status;
    const size_t size = sizeof s.inspector.status;
    switch (FindComparedDifference(s, s.frameShown, forward, &found, &diff)) {
    case SEARCH_FOUND:
        snprintf(status, size, "%s", FirstDifferenceText(ComparedPair(s).geometry, found, diff).c_str());
        a = StepTo(s, found);
        break;
    case SEARCH_NONE: snprintf(status, size, "%s", NoMoreDifferencesMessage); break;
    case SEARCH_READ_FAILED:
        if (FramesNeedIndex(s)) { // searched again once the frame lines are indexed
            AwaitIndex(s, &a, forward ? AFTER_INDEX_NEXT_DIFFERENCE : AFTER_INDEX_PREVIOUS_DIFFERENCE, 0,
                       REQUEST_BY_COMMAND);
            return a;
        }
        snprintf(status, size, "Cannot read the sequences.");
        break;
    }
    a.updateInspector = true;
    return a;
}

// A new gain shows in the difference view only.
WindowActions SetGain(PlayerState& s, uint32_t gain) {
    s.comparison.gain = gain;
    return s.comparison.view == VIEW_DIFFERENCE ? ShowAgain(s) : NoActions();
}

WindowActions SetView(PlayerState& s, CompareView view) {
    s.comparison.view = view;
    return ShowAgain(s);
}

} // namespace

WindowActions PressCompareKey(PlayerState& s, CompareKey key) {
    if (!ComparisonActive(s) || ModeOf(s) == PLAYBACK_IDLE) {
        return NoActions();
    }
    const ComparisonState& c = s.comparison;
    switch (key) {
    case KEY_FLIP_VIEW: return SetView(s, ViewAfterTab(c.view));
    case KEY_DIFFERENCE_VIEW: return SetView(s, ViewAfterDifferenceKey(c.view));
    case KEY_GAIN_UP: return SetGain(s, RaiseGain(c.gain));
    case KEY_GAIN_DOWN: return SetGain(s, LowerGain(c.gain));
    case KEY_NEXT_DIFFERENCE: return JumpToDifference(s, true);
    case KEY_PREVIOUS_DIFFERENCE: return JumpToDifference(s, false);
    }
    return NoActions();
}

WindowActions ShowFrameFromPlot(PlayerState& s, uint32_t n) {
    if (!ComparisonActive(s) || ModeOf(s) == PLAYBACK_IDLE) {
        return NoActions();
    }
    if (s.playing) {
        PauseCommand(s);
    }
    return StepTo(s, n);
}

namespace {

// The message for a damaged frame line the index found, or null.
const char* DamageFound(PlayerState& s, const IndexWait& wait) {
    const Y4mStatus a = Y4mSourceStatus(s.openFile), b = Y4mSourceStatus(s.comparison.fileB);
    const bool inA = wait.sequence && a.damaged;
    if (!inA && !(wait.b && b.damaged)) {
        return nullptr;
    }
    const uint32_t frames = inA ? a.frames : b.frames;
    const char* which = inA ? "" : " of sequence B";
    const char* ends = inA ? "the sequence" : "the comparison";
    if (frames == 0) {
        snprintf(s.messageText, sizeof s.messageText,
                 "Damaged Y4M frame line before the first frame%s: %s has no frames.", which, ends);
    } else {
        snprintf(s.messageText, sizeof s.messageText, "Damaged Y4M frame line after frame %u%s: %s ends there.",
                 static_cast<unsigned>(frames - 1), which, ends);
    }
    return s.messageText;
}

} // namespace

WindowActions FramesIndexed(PlayerState& s, IndexOutcome outcome) {
    const IndexWait wait = s.indexWait;
    s.indexWait = IndexWait{};
    WindowActions a = NoActions();
    switch (wait.then) {
    case AFTER_INDEX_SHOW: {
        const uint32_t count = ComparisonActive(s) ? ComparedFrameCount(s) : SequenceFrameCount(s);
        if (wait.frame < count) {
            a = RequestFrame(wait.frame, static_cast<FrameRequestSource>(wait.source));
        } else if (s.playing) {
            EndPlayback(s); // the end of the frames, as at the end of a raw file
        } else if (outcome == INDEX_FINISHED && !DamageFound(s, wait)) {
            a.message = UnreadFrameMessage(false);
        }
        break;
    }
    case AFTER_INDEX_NEXT_DIFFERENCE:
    case AFTER_INDEX_PREVIOUS_DIFFERENCE:
        if (outcome == INDEX_FINISHED) {
            a = JumpToDifference(s, wait.then == AFTER_INDEX_NEXT_DIFFERENCE);
        }
        break;
    case AFTER_INDEX_NOTHING: break;
    }
    if (const char* damage = DamageFound(s, wait)) {
        a.message = damage;
    } else if (outcome == INDEX_NO_MEMORY && !a.requestFrame) {
        a.message = UnreadFrameMessage(true);
    }
    return a;
}

WindowActions ToggleInspector(PlayerState& s) {
    s.inspector.shown = !s.inspector.shown;
    WindowActions a = NoActions();
    a.updateInspector = true;
    return a;
}

WindowActions ChooseMagnifierPlane(PlayerState& s, uint32_t plane) {
    if (plane >= MAX_PLANES || plane == s.inspector.magnifierPlane) {
        return NoActions();
    }
    s.inspector.magnifierPlane = plane;
    WindowActions a = NoActions();
    a.updateInspector = s.inspector.shown;
    return a;
}

WindowActions PointerMoved(PlayerState& s, bool inside, uint32_t x, uint32_t y) {
    if (ZoomApplies(s)) {
        x = FrameCoordinate(x, s.zoomShown);
        y = FrameCoordinate(y, s.zoomShown);
    }
    if (inside == s.inspector.pointing && x == s.inspector.x && y == s.inspector.y) {
        return NoActions();
    }
    s.inspector.pointing = inside;
    s.inspector.x = x;
    s.inspector.y = y;
    WindowActions a = NoActions();
    a.updateInspector = s.inspector.shown;
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
             "%c  PSNR %s dB  max %u\n   SSE %llu, %llu of %llu differ\n   first (%u, %u): A %u, B %u\n",
             name, PsnrText(d.sse, d.samples, peak).c_str(), static_cast<unsigned>(d.maxDiff),
             static_cast<unsigned long long>(d.sse), static_cast<unsigned long long>(d.differing),
             static_cast<unsigned long long>(d.samples), static_cast<unsigned>(d.firstX),
             static_cast<unsigned>(d.firstY), static_cast<unsigned>(d.firstA), static_cast<unsigned>(d.firstB));
    return text;
}

} // namespace

namespace {

// What the open Y4M file's header says beyond the frame settings:
// "Y4M: C420jpeg Ip A1:1 XCOLORRANGE=FULL", the tags as given.
std::string Y4mHeaderLine(const Y4mHeader& h) {
    std::string line = "Y4M:";
    const struct {
        const char* tag;
        const char* value;
    } tags[] = {{" C", h.colour}, {" I", h.interlace}, {" A", h.aspect}, {" XCOLORRANGE=", h.colourRange}};
    for (const auto& t : tags) {
        if (t.value[0]) {
            line += std::string(t.tag) + t.value;
        }
    }
    return line + (line.size() == 4 ? " no C, I or A tag\n" : "\n");
}

// "SSIM  Y 0.923227  U 0.951511  V 0.976918" and "      All 0.936889
// (11.998975)": the values as ffmpeg's ssim filter prints them.
std::string SsimLines(const FrameGeometry& layout, const FrameSsim& ssim) {
    std::string text = "SSIM";
    for (uint32_t i = 0; i < ssim.planeCount && i < layout.planeCount; ++i) {
        text += std::string("  ") + layout.planes[i].name + " " + SsimValueText(ssim.planes[i]);
    }
    return text + "\n      All " + SsimText(ssim.all) + "\n";
}

} // namespace

std::string InspectorText(const PlayerState& s, const uint8_t* image, uint32_t capacity) {
    std::string text;
    if (s.sequenceActive && IsY4mSource(s.openFile)) {
        text += Y4mHeaderLine(s.sequenceY4m);
    }
    if (ComparisonActive(s)) {
        static const char* const views[] = {"A", "B", "difference"};
        char line[96];
        snprintf(line, sizeof line, "Comparing: view %s, gain %u\n", views[s.comparison.view % 3],
                 static_cast<unsigned>(s.comparison.gain));
        text += line;
        if (s.inspector.hasDiff) {
            const SequencePair pair = ComparedPair(s);
            const FrameGeometry& layout = pair.geometry;
            if (PairMixed(pair)) {
                const StatisticsRow note = DepthNoteCells(pair);
                for (size_t i = 0; i < note.size(); ++i) {
                    text += (i ? " " : "") + note[i];
                }
                text += "\n";
            }
            snprintf(line, sizeof line, "Frame %u\n", static_cast<unsigned>(s.inspector.diffFrame));
            text += line;
            for (uint32_t i = 0; i < s.inspector.diff.planeCount && i < layout.planeCount; ++i) {
                text += PlaneMetrics(layout.planes[i].name, s.inspector.diff.planes[i], PeakOf(layout.bitDepth));
            }
            switch (s.inspector.ssimResult) {
            case SSIM_VALUE: text += SsimLines(layout, s.inspector.ssim); break;
            case SSIM_NO_WINDOW: text += "SSIM: a plane is under 8 x 8 samples\n"; break;
            default: break;
            }
        }
    }
    if (s.inspector.status[0]) {
        text += std::string(s.inspector.status) + "\n";
    }
    if (!text.empty()) {
        text += "\n";
    }
    std::string readout;
    if (s.inspector.pointing) {
        readout = s.sequenceActive ? SequenceReadout(s, s.inspector.x, s.inspector.y)
                  : s.imageOpened  ? ImageReadout(s, s.inspector.x, s.inspector.y, image, capacity)
                                   : "";
    }
    return text + (readout.empty() ? "Point at the picture to read its values.\n" : readout);
}
