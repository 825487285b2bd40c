// The player's one state record: the settings of the raw sequence and of the
// raw image, the frame plans derived from them, the buffers, the open input
// file, the playback flags, the running comparison and what the Inspector
// shows. The window owns one and hands it to every rule (playback.h), which
// reads and changes nothing else; files are reached through the record's
// file access, which tests replace with files in memory.
#ifndef VORLEX_PLAYER_STATE_H
#define VORLEX_PLAYER_STATE_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include "display.h"
#include "file_io.h"
#include "frame_compare.h"
#include "frame_plan.h"
#include "frame_source.h"
#include "sequence_layout.h"
#include "ssim.h"
#include "y4m.h"

enum {
    MAX_FRAME_WIDTH = 1920,
    MAX_FRAME_HEIGHT = 1088,
    // The largest frame the settings allow at three bytes per pixel.
    FRAME_BUFFER_SIZE = 3 * MAX_FRAME_WIDTH * MAX_FRAME_HEIGHT, // 6,266,880
    // The largest frame of a layout with 16-bit samples.
    SAMPLE_BUFFER_SIZE = 2 * FRAME_BUFFER_SIZE,
    // One full-resolution colour plane of the largest custom frame.
    NEUTRAL_PLANE_SIZE = MAX_FRAME_WIDTH * MAX_FRAME_HEIGHT, // 2,088,960
    FRAME_PRESET_COUNT = 6,
    FRAME_PRESET_QCIF = 1, // the start setting
    FRAME_PRESET_CUSTOM = 5,
    FRAME_RATE_TEXT_MAX = 15,
    SAVE_FILE_NAME_MAX = 1023,
    // "Vorlex - " and the longest path the ANSI calls take, with room to spare.
    TITLE_MAX = 400
};

// Frame sizes of the presets; the custom entry holds the largest custom size.
struct FramePreset {
    const char* label;
    uint32_t width, height;
};
extern const FramePreset FramePresets[FRAME_PRESET_COUNT];

// How the player reaches files: the disk for the program (DiskFiles), frames
// in memory for tests.
struct PlayerFiles {
    void* context;
    // Opens `path` for reading; an empty source when it cannot be opened.
    FrameSource (*open)(void* context, const char* path);
    // Writes the whole file, removing a partly written one (a WriteResult of
    // file_io.h).
    int (*write)(void* context, const char* path, const uint8_t* data, size_t n);
};
PlayerFiles DiskFiles();

// The comparison of the open sequence with sequence B; all fields empty or
// zero while none runs.
struct ComparisonState {
    FrameSource fileB;
    uint8_t* frameA; // SAMPLE_BUFFER_SIZE bytes each: the frames on screen,
    uint8_t* frameB; // as stored in the files (unsigned chroma, full depth)
    CompareView view;
    uint32_t gain;
    // B's layout when its Y4M header or its name (Settings from file name)
    // stated one; otherwise B is read as the open sequence is.
    bool layoutStated;
    SequenceLayout layoutB;
    uint8_t* scratch; // SAMPLE_BUFFER_SIZE bytes while layoutStated: a frame as stored
};

// What the Inspector shows beside the main window.
struct InspectorState {
    bool shown;
    bool pointing; // the mouse is over the picture, at (x, y)
    uint32_t x, y;
    bool hasDiff; // the metrics of the compared frame on screen
    FrameDiff diff;
    int ssimResult; // SsimOfFrames' result for it, and its SSIM
    FrameSsim ssim;
    uint32_t diffFrame;
    char status[160];        // the last jump's report, or "No more differences."
    uint32_t magnifierPlane; // the plane the magnifier shows: 0 (Y), 1 (U) or 2 (V)
};

// What waits while the frame lines of Y4M sequences are indexed: a display
// request to repeat, a difference search to run again, or nothing.
enum AfterIndex {
    AFTER_INDEX_NOTHING,
    AFTER_INDEX_SHOW,
    AFTER_INDEX_NEXT_DIFFERENCE,
    AFTER_INDEX_PREVIOUS_DIFFERENCE
};
struct IndexWait {
    AfterIndex then;
    uint32_t frame;
    int source;       // the FrameRequestSource of the display request
    bool sequence, b; // which of the two needed the index: what it finds is reported
};

struct PlayerState {
    // Sequence settings.
    uint32_t framePreset; // 0..5, FRAME_PRESET_CUSTOM keeps frameWidth/Height
    uint32_t frameWidth;
    uint32_t frameHeight;
    uint32_t sequenceType; // an ImageType code; the sampling of an extended layout
    uint32_t sequenceBits; // 8, or 10, 12, 16 significant bits in 16-bit words
    SamplePacking sequencePacking;
    uint32_t sequenceHeader;
    char frameRateText[FRAME_RATE_TEXT_MAX + 1];
    double frameRate;
    uint32_t timerPeriod;   // milliseconds
    FramePlan sequencePlan; // the frame as the library gets it (8-bit planar or interleaved)
    // How the frames of the open sequence lie in the file: fixed with the
    // frame plans, so a setting stored by a refused dialog does not change
    // how frames are read until the plans are computed again (the header
    // aside, which counts from the moment it is stored).
    StoredFramePlan storedPlan;

    // Raw image settings; their size also sizes the window for every image.
    uint32_t imageWidth;
    uint32_t imageHeight;
    uint32_t imageType;
    uint32_t imageHeader;
    FramePlan imagePlan;

    // Playback and files.
    uint32_t currentFrame;
    uint32_t frameShown; // the sequence frame on screen: where the frame keys step from
    bool playing;
    bool paused;         // held by Pause: the Pause item's check mark
    bool sequenceActive; // a sequence was opened since the last image: "&Control" is enabled
    bool lumaOnly;
    bool settingsFromName; // opening a sequence first reads its name's settings
    bool sequenceOpened;
    bool imageOpened;
    int imageKind;        // the ImageFileKind of the image opened last
    FrameSource openFile; // empty when no file is open (also after a failed open)
    // The header of the open sequence when it is a Y4M file (then openFile
    // is its frame source and reads from frame 0 whatever sequenceHeader is).
    Y4mHeader sequenceY4m;
    IndexWait indexWait;
    char messageText[200]; // a message composed for WindowActions.message
    char saveFileName[SAVE_FILE_NAME_MAX + 1];
    char title[TITLE_MAX + 1]; // the main window's title
    uint8_t* frameBuffer;      // FRAME_BUFFER_SIZE bytes
    uint8_t* neutralU;         // NEUTRAL_PLANE_SIZE zero bytes: signed "no colour"
    uint8_t* neutralV;
    // SAMPLE_BUFFER_SIZE bytes, obtained when a frame of an extended layout
    // is first read: that frame as stored, before it is unpacked.
    uint8_t* sampleBuffer;

    // How the sequence picture is shown. At zoom 1 with the library's own
    // conversion the library converts and paints; otherwise the player
    // converts with the chosen colour matrix and zooms into `picture` and
    // `zoomed` (obtained when first needed) and hands the result over.
    uint32_t zoomChosen;            // a Zoom (zoom.h); ZOOM_1 at start
    uint32_t zoomShown;             // the largest up to zoomChosen that fits the work area
    uint32_t workWidth, workHeight; // the largest client area the screen leaves; 0 x 0 unknown
    uint32_t colourMatrix;          // a ColourMatrix (display.h); MATRIX_LIBRARY at start
    uint8_t* picture;               // a converted frame: a 24-bit bitmap of pictureBytes
    size_t pictureBytes;
    uint8_t* zoomed; // a zoomed picture: bottom-up rows padded to 4, zoomedBytes long
    size_t zoomedBytes;
    size_t titleBase; // the title's length without its zoom note

    ComparisonState comparison;
    InspectorState inspector;
    PlayerFiles files;
};

// Obtains the three buffers. Tests replace it to make an allocation fail;
// what it returns is released with free().
extern void* (*PlayerBufferAllocator)(size_t size);

// Releases whatever the record held (it must be zeroed or initialised
// before), obtains frameBuffer, neutralU and neutralV (in that order), zeroes
// the neutral planes, sets every field to its default, the files to the disk,
// and computes both plans. Returns 0, with no buffer held, when a buffer
// cannot be obtained.
int InitPlayerState(PlayerState& s);

// Closes the open files, ends the comparison and releases the buffers; safe
// to call again.
void ReleasePlayerState(PlayerState& s);

// Ends the comparison: closes B and releases its buffers; safe to call again.
void EndComparison(PlayerState& s);

// Non-zero when the frame and both colour planes of `plan` lie inside
// frameBuffer.
int FramePlanFitsBuffer(const FramePlan& plan);

// Presets 0 to 4 set frameWidth and frameHeight from the table; custom leaves
// them. Then the sequence plans are recomputed.
void ApplyFramePreset(PlayerState& s);

// The layout the sequence settings name.
SequenceLayout SequenceSettingsLayout(const PlayerState& s);

// Computes sequencePlan and storedPlan from the sequence settings.
void ComputeSequencePlans(PlayerState& s);

// Turns the two colour planes of `plan` in frameBuffer into signed form in
// place: each stored byte b becomes b - 128 as a two's-complement byte. Does
// nothing and returns 0 when the plan does not fit the buffer or there is no
// buffer.
int MakeChromaSigned(PlayerState& s, const FramePlan& plan);

// The same for a frame at `frame`, plan.frameBytes long; does nothing when
// the colour planes do not lie inside it.
void SignChroma(uint8_t* frame, const FramePlan& plan);

// Stores the first FRAME_RATE_TEXT_MAX characters of `text` as
// frameRateText and its conversion as frameRate.
void SetFrameRateText(PlayerState& s, const char* text);

// Opens `path` through the record's files and makes it the open file,
// closing the one before. Returns 0 when it cannot be opened; the open file
// (if any) then stays open.
int OpenInputFile(PlayerState& s, const char* path);

#endif
