// The running comparison of the open sequence (A) with a second raw file (B)
// read with the same frame settings: the frames of the current view, the
// search for the next or previous frame that differs, and statistics of the
// whole comparison advanced one frame per call.
#ifndef VORLEX_COMPARISON_H
#define VORLEX_COMPARISON_H

#include <stdint.h>
#include <stdio.h>

#include <string>

#include "frame_compare.h"
#include "plane_geometry.h"

// The comparison of the open sequence with sequence B; all fields null or
// zero while none runs.
struct ComparisonState {
    FILE* fileB;
    uint8_t* frameA; // SAMPLE_BUFFER_SIZE bytes each: the frames on screen,
    uint8_t* frameB; // as stored in the files (unsigned chroma, full depth)
    int view;
    uint32_t gain;
};
extern ComparisonState Comparison;

enum StartResult {
    COMPARE_CANNOT_OPEN = 0, // "Cannot open file for reading!"; nothing changed
    COMPARE_STARTED = 1,
    COMPARE_NO_MEMORY = 2, // the buffers cannot be had; nothing changed
    COMPARE_NO_FRAME = 3   // B holds no whole frame after the header; nothing changed
};
// Opens `path` as sequence B, ending a comparison that ran before only when
// the new one can start. Starts in view A with gain 1.
int StartComparison(const char* path);

// Ends the comparison: closes B and releases the buffers; safe to call again.
void EndComparison();

bool ComparisonActive();

// Whole frames both files have with the current frame settings.
uint32_t ComparedFrameCount();

// The layout of the frames as read: the current sequence settings at 8 bits,
// or the stored planes of an extended layout (storedPlan).
FrameGeometry SequenceFrameGeometry();

// Reads frame n of A and of B into frameA and frameB, compares them into
// *diff, and puts the frame of the current view into Player.frameBuffer,
// unsigned, for the usual display route (which applies Y Only). Returns 0
// when either frame is missing or no comparison runs; the buffers then
// hold nothing to show.
int LoadComparedFrame(uint32_t n, FrameDiff* diff);

// The frame key N (forward) or Shift+N: searches from the frame after (or
// before) `shown` for the first frame that differs, within the frames both
// files have. SEARCH_FOUND sets *found and *diff, with frameA and frameB
// holding that frame; otherwise frameA and frameB hold frame `shown` again.
enum SearchResult { SEARCH_NONE = 0, SEARCH_FOUND = 1, SEARCH_READ_FAILED = 2 };
int FindDifferentFrame(uint32_t shown, bool forward, uint32_t* found, FrameDiff* diff);
extern const char* const NoMoreDifferencesMessage; // "No more differences."

// Statistics of the whole comparison, one frame per StepStatistics call (for
// a progress bar and Cancel: the caller stops calling and frees it). They
// read through buffers of their own, so the frames on screen stay.
struct FrameStatsRow {
    uint64_t sse[MAX_PLANES];
    uint64_t differing; // over all planes
    uint32_t maxDiff;   // over all planes
};
struct CompareStatistics {
    FrameGeometry layout;
    uint32_t frameCount; // frames to compare
    uint32_t done;       // rows[0 .. done) are filled
    FrameStatsRow* rows;
    uint32_t capacity;
    uint64_t totalSse[MAX_PLANES];
    double psnrSum[MAX_PLANES]; // of the frames in which the plane differs
    uint32_t psnrFrames[MAX_PLANES];
    bool anyDiffering;
    uint32_t firstDiffering, lastDiffering;
    uint8_t* a;
    uint8_t* b;
    uint32_t bufferBytes; // of a and b each
};

// Null when no comparison runs or memory cannot be had.
CompareStatistics* StartStatistics();
enum StepResult { STATS_MORE = 0, STATS_DONE = 1, STATS_FAILED = 2 };
// Compares the next frame. STATS_FAILED when a frame cannot be read or a
// row cannot be stored; what was done stays.
int StepStatistics(CompareStatistics* stats);
void FreeStatistics(CompareStatistics* stats);

// The table of the frames done and the summary: `separator` '\t' gives
// text that pastes into a spreadsheet, ',' the CSV file. Lines end in CR LF,
// as the edit control, the clipboard and CSV readers take them.
std::string StatisticsText(const CompareStatistics& stats, char separator);
// Writes the CSV form to `path`; 0 when it cannot be written (a partly
// written file is removed).
int SaveStatisticsCsv(const CompareStatistics& stats, const char* path);

#endif
