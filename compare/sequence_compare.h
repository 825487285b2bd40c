// Comparing two sequences frame by frame: a pair of frame sources read with
// one stored plan, the search for the next or previous frame that differs,
// and statistics of the whole pair advanced one frame per call, with their
// table as text and CSV.
#ifndef VORLEX_SEQUENCE_COMPARE_H
#define VORLEX_SEQUENCE_COMPARE_H

#include <stdint.h>

#include <string>
#include <vector>

#include "frame_compare.h"
#include "frame_source.h"
#include "plane_geometry.h"

// Sequences A and B, frames laid out by `plan` in both and compared by
// `geometry`. B's frames start after headerB bytes, A's after plan.header:
// the frames of a Y4M source start at 0 whatever the raw file's header is.
// B's frames are of layoutB, at plan's size. Where that is not A's layout,
// both are compared in their CompareLayoutOf form (sequence_layout.h),
// which `geometry` then describes: each frame is read into `scratch`
// (scratchBytes long) and its samples copied into that form.
struct SequencePair {
    FrameSource a, b;
    StoredFramePlan plan;
    FrameGeometry geometry;
    uint64_t headerB;
    SequenceLayout layoutB;
    uint8_t* scratch;
    uint32_t scratchBytes;
};

// True when B's layout is not A's: frames are copied into one form.
bool PairMixed(const SequencePair& pair);

// How B's frames lie in B.
StoredFramePlan PlanOfB(const SequencePair& pair);

// The geometry two frames of layouts a and b, w x h, are compared by.
FrameGeometry ComparedGeometry(const SequenceLayout& a, const SequenceLayout& b, uint32_t width, uint32_t height);

// Whole frames both sources have.
uint32_t PairFrameCount(const SequencePair& pair);

// Frame n of A and of B as stored, into buffers of `capacity` bytes each;
// non-zero when both arrived whole.
int ReadFramePair(const SequencePair& pair, uint32_t n, uint8_t* a, uint8_t* b, uint32_t capacity);

// Searches from the frame after (or before) `shown` for the first frame that
// differs, within the frames both have, reading into `a` and `b` (`capacity`
// bytes each). SEARCH_FOUND sets *found and *diff, with a and b holding that
// frame; otherwise they hold frame `shown` again.
enum SearchResult { SEARCH_NONE = 0, SEARCH_FOUND = 1, SEARCH_READ_FAILED = 2 };
SearchResult FindDifferentFrame(const SequencePair& pair, uint32_t shown, bool forward, uint8_t* a,
                                uint8_t* b, uint32_t capacity, uint32_t* found, FrameDiff* diff);
extern const char* const NoMoreDifferencesMessage; // "No more differences."

// Statistics of the whole comparison, one frame per StepStatistics call (for
// a progress bar and Cancel: the caller stops calling and frees it). They
// read through buffers of their own, so the frames on screen stay.
struct FrameStatsRow {
    uint64_t sse[MAX_PLANES];
    uint64_t differing; // over all planes
    uint32_t maxDiff;   // over all planes
    // SSIM per plane and of the whole frame; zero, with hasSsim false,
    // until a step computes them.
    double ssim[MAX_PLANES];
    double ssimAll;
    bool hasSsim;
};
struct CompareStatistics {
    SequencePair pair;
    FrameGeometry layout;
    uint32_t first;      // the first frame compared (0 unless limited)
    uint32_t frameCount; // frames to compare, from `first`
    uint32_t done;       // rows[0 .. done) are filled: frames first .. first + done - 1
    FrameStatsRow* rows;
    uint32_t capacity;
    uint64_t totalSse[MAX_PLANES];
    double psnrSum[MAX_PLANES]; // of the frames in which the plane differs
    bool withSsim;              // SSIM is computed (StartStatistics sets it)
    double ssimSum[MAX_PLANES], ssimAllSum;
    uint32_t ssimFrames; // frames with an SSIM value
    uint32_t psnrFrames[MAX_PLANES];
    bool anyDiffering;
    uint32_t firstDiffering, lastDiffering;
    uint8_t* a;
    uint8_t* b;
    uint32_t bufferBytes; // of a and b each
    uint8_t* scratch;     // a stored frame of a mixed pair (pair.scratch)
};

// Null when memory cannot be had. The sources stay open while it is used.
CompareStatistics* StartStatistics(const SequencePair& pair);
enum StepResult { STATS_MORE = 0, STATS_DONE = 1, STATS_FAILED = 2 };
// Compares the next frame. STATS_FAILED when a frame cannot be read or a
// row cannot be stored; what was done stays.
StepResult StepStatistics(CompareStatistics* stats);
// Compares frames first .. first + count - 1 only (within the pair's
// frames); call before the first step.
void LimitStatistics(CompareStatistics* stats, uint32_t first, uint32_t count);

// A step in two: the figures of frame n measured through buffers a and b
// (capacity bytes each; a mixed pair's scratch its own), which threads may
// do side by side with buffers and sources of their own; 0 when the frame
// cannot be read or SSIM has no memory. Then the rows are added in frame
// order: STATS_FAILED when a row cannot be stored.
int MeasureFrame(const SequencePair& pair, bool withSsim, uint32_t n, uint8_t* a, uint8_t* b,
                 uint32_t capacity, FrameStatsRow* row);
StepResult AddStatisticsRow(CompareStatistics* stats, const FrameStatsRow& row);
void FreeStatistics(CompareStatistics* stats);

// The table of the frames done and the summary as cells, for a list to
// show: `frames` starts with the column names, then a row per frame;
// `summary` starts with "Summary" and the plane names, and its rows may
// have other numbers of cells.
typedef std::vector<std::string> StatisticsRow;
struct StatisticsTable {
    std::vector<StatisticsRow> frames;
    std::vector<StatisticsRow> summary;
};
StatisticsTable StatisticsCells(const CompareStatistics& stats);

// The same cells as text: `separator` '\t' gives text that pastes into a
// spreadsheet, ',' the CSV file; an empty line between the two tables.
// Lines end in CR LF, as the clipboard and CSV readers take them.
std::string StatisticsText(const CompareStatistics& stats, char separator);
// What depth a mixed pair's figures use: "Compared at", "10 bits", "A
// shifted left by 2" (the summary ends with this row for a mixed pair).
StatisticsRow DepthNoteCells(const SequencePair& pair);

// Writes the CSV form to `path`; 0 when it cannot be written (a partly
// written file is removed).
int SaveStatisticsCsv(const CompareStatistics& stats, const char* path);

#endif
