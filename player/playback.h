// The main window's rules without a window: the play state and every event
// that changes it (the commands, a timer tick, a display request, the keys,
// opening or dropping a file, each dialog's result). Each event takes the
// state record, changes it and returns what the window must do; the Win32
// shell only turns messages into these calls and the returned actions into
// platform calls. Files are reached through the record's file access. The
// menu is drawn from the state (MenuFor) and never read back.
#ifndef VORLEX_PLAYBACK_H
#define VORLEX_PLAYBACK_H

#include <stdint.h>

#include <string>

#include "comparison.h"
#include "frame_routing.h"
#include "player_state.h"

// Idle: no sequence opened since the last image (or ever); the "&Control"
// entry is greyed. Stopped: a sequence is open and does not play. Playing:
// ticks show frame after frame. Paused: held by Pause, the check mark set.
enum PlaybackMode { PLAYBACK_IDLE, PLAYBACK_STOPPED, PLAYBACK_PLAYING, PLAYBACK_PAUSED };
PlaybackMode ModeOf(const PlayerState& state);

// How the menu looks in a state.
struct MenuLook {
    bool controlEnabled; // the "&Control" entry of the menu bar
    bool playEnabled;
    bool stopEnabled;
    bool pauseEnabled;
    bool showFrameEnabled;
    bool saveEnabled; // both save items
    bool pauseChecked;
    bool lumaOnlyChecked;
    bool settingsFromNameChecked;
    bool compareEnabled;    // "Compare with sequence...": a sequence is open
    bool comparisonEnabled; // "End comparison" and "Comparison statistics..."
    bool inspectorChecked;
    uint32_t zoomChecked;   // the Zoom whose item is checked
    uint32_t matrixChecked; // the ColourMatrix whose item is checked
};
MenuLook MenuFor(const PlayerState& state);

// Where a display request comes from. A request of playback (Play, resuming,
// a tick) that arrives after playback was paused or stopped is dropped: the
// picture holds at the frame shown when the user paused.
enum FrameRequestSource { REQUEST_BY_COMMAND = 1, REQUEST_BY_PLAYBACK = 2 };

// What the window does after an event, in this order: set the title to
// the state's title, fit the window to fitWidth x fitHeight (re-measuring),
// restart the playback timer with timerPeriod, draw the menu from the
// state, make the display call, post a display request (a sequence frame or
// the opened image), then show the message.
struct WindowActions {
    bool setTitle;
    bool fitWindow;
    uint32_t fitWidth, fitHeight;
    bool restartTimer;
    DisplayCall display;
    bool requestFrame;
    uint32_t frame;
    FrameRequestSource source;
    int requestImage;     // the kind of the image to show (ImageFileKind), 0 for none
    bool updateInspector; // show or hide the Inspector as inspector.shown says, and renew its text
    const char* message;  // the main window's message box, or null
    // Last: the frame lines of a Y4M sequence must be indexed first. The
    // window calls IndexFrames (frame_access.h) until it is done, showing
    // the progress with Cancel when that takes over half a second, then
    // carries out FramesIndexed.
    bool indexFrames;
};

// The frame keys (Right, Left, Home, End) and Space.
enum FrameKey { FRAME_KEY_NEXT, FRAME_KEY_PREVIOUS, FRAME_KEY_FIRST, FRAME_KEY_LAST, KEY_PLAY_PAUSE };

// The frame a frame key steps to from the frame shown, in a sequence of
// `count` frames, or -1 when the key does nothing there (Right at the last
// frame, Left at frame 0, any key in an empty sequence).
int64_t FrameForKey(FrameKey key, uint32_t shown, uint32_t count);

// Commands. Each does nothing in a state whose menu greys it (a posted
// command still arrives there).
WindowActions PlayCommand(PlayerState& s);
WindowActions StopCommand(PlayerState& s);
WindowActions PauseCommand(PlayerState& s); // pause, or resume when paused
WindowActions ToggleLumaOnly(PlayerState& s);
WindowActions ToggleSettingsFromName(PlayerState& s);
// Options > "Zoom": a Zoom (zoom.h) for the sequence. Above 1 it goes down to
// the largest that fits the work area, and the title says so; the window is
// fitted and the frame shown again. While an image is shown it is kept for
// the next sequence. StepZoom (Ctrl+- and Ctrl++) picks the next zoom down
// or up from the one shown.
WindowActions ChooseZoom(PlayerState& s, uint32_t zoom);
WindowActions StepZoom(PlayerState& s, int step);
// Options > "Colour matrix": a ColourMatrix (display.h) for what is shown
// and saved from now on; the frame or raw image on screen is shown again.
WindowActions ChooseColourMatrix(PlayerState& s, uint32_t matrix);
// A key; `frameCount` is the open sequence's number of whole frames.
WindowActions PressKey(PlayerState& s, FrameKey key, uint32_t frameCount);

// Timer 1001: while playing, asks for the current frame.
WindowActions TimerTick(PlayerState& s);

// A display request for frame n of the open sequence: reads it and returns
// the library call that shows it, or ends playback at a missing frame
// (silently while playing, else "Frame number too large!").
WindowActions ShowSequenceFrame(PlayerState& s, uint32_t n, FrameRequestSource source);

// The display request of an opened image of `kind`: reads and checks the
// file and returns the library call, or the message.
WindowActions ShowOpenedImage(PlayerState& s, int kind);

// Opening a file chosen in the open dialog or dropped on the window. A file
// that cannot be opened gets "Cannot open file for reading!" and changes
// nothing. A sequence that starts "YUV4MPEG2 " is a Y4M file, whatever its
// name: its header's size, layout and rate replace the settings and the
// title says so; a header refused, or a size the Frame Options dialog would
// refuse, gets its message, and nothing opens. With a standard's colour
// matrix chosen, its XCOLORRANGE=FULL or LIMITED picks that matrix's range. OpenDroppedFile opens bitmap and MMP names as images, every other
// name as a sequence. With settingsFromName on, what a sequence's name states
// (file_names.h) replaces the settings first, and the title says so; a size
// the Frame Options dialog would refuse gets its message, and nothing opens.
WindowActions OpenSequence(PlayerState& s, const char* path);
WindowActions OpenImage(PlayerState& s, const char* path);
WindowActions OpenDroppedFile(PlayerState& s, const char* path);

// The command line's settings (command_line.h), taken before its files
// open: the size, layout, rate and header as the dialogs take them, and
// Settings from file name.
struct CommandLine;
WindowActions ApplyCommandLine(PlayerState& s, const CommandLine& line);
// The command line's second file: compared with the first when that opened
// as a sequence; otherwise "Only a sequence compares with a second file!".
WindowActions CompareWithSecondFile(PlayerState& s, const char* path);

// What follows each dialog's OK (its rules wrote the settings already).
WindowActions FrameNumberAccepted(PlayerState& s);    // show currentFrame
WindowActions FrameOptionsAccepted(PlayerState& s);   // new frame size: plan and window
WindowActions ImageOptionAccepted(PlayerState& s);    // new raw image plan
WindowActions SequenceOptionAccepted(PlayerState& s); // new plan and timer period
// The save dialog's OK: reads currentFrame and writes it to saveFileName as
// raw bytes or as a bitmap file, then shows it.
WindowActions SaveFrameAccepted(PlayerState& s, bool asBitmap);

// How indexing the frame lines ended.
enum IndexOutcome { INDEX_FINISHED, INDEX_CANCELLED, INDEX_NO_MEMORY };
// After indexing: what waited for it (IndexWait) is done where its frames
// now exist; a damaged line found gets its message, and a frame beyond the
// end ends playback, as at the end of a file.
WindowActions FramesIndexed(PlayerState& s, IndexOutcome outcome);

// ---- Comparing with a second sequence, and the Inspector ----

// File > "Compare with sequence...": `path` becomes sequence B, read with the
// current frame settings; the Inspector opens. A file that cannot be opened
// gets "Cannot open file for reading!" and changes nothing.
WindowActions CompareWithSequence(PlayerState& s, const char* path);
// File > "End comparison".
WindowActions EndComparisonCommand(PlayerState& s);

// The comparison's keys: Tab flips A and B, D shows the difference, + and -
// change its gain, N and Shift+N jump to the next or previous frame that
// differs. They do nothing without a comparison.
enum CompareKey {
    KEY_FLIP_VIEW,
    KEY_DIFFERENCE_VIEW,
    KEY_GAIN_UP,
    KEY_GAIN_DOWN,
    KEY_NEXT_DIFFERENCE,
    KEY_PREVIOUS_DIFFERENCE
};
WindowActions PressCompareKey(PlayerState& s, CompareKey key);

// A click on the statistics dialog's plot picked frame n: it is shown as a
// frame key would step to it, pausing playback first. Nothing without a
// comparison.
WindowActions ShowFrameFromPlot(PlayerState& s, uint32_t n);

// Options > "Inspector" and the I key.
WindowActions ToggleInspector(PlayerState& s);

// The keys Y, U and V: the magnifier shows plane 0, 1 or 2.
WindowActions ChooseMagnifierPlane(PlayerState& s, uint32_t plane);

// The mouse moved over the picture (inside) or left it.
WindowActions PointerMoved(PlayerState& s, bool inside, uint32_t x, uint32_t y);

// The Inspector's text. `image` and `capacity` are the library's bitmap of
// the window, whose colours an image's readout shows.
std::string InspectorText(const PlayerState& s, const uint8_t* image, uint32_t capacity);

// Availability of the dialog commands that depend on the state.
bool CanShowSingleFrame(const PlayerState& s);
bool CanSaveFrame(const PlayerState& s);

#endif
