// Exact comparison of the open sequence (A) with a second raw file (B) read
// with the same frame settings: per-plane metrics of a frame in integers
// (squared error, largest difference, differing samples, the first
// differing sample) and decibels computed from them, the difference picture,
// the search for the next or previous frame that differs, and statistics of
// the whole comparison advanced one frame per call. Samples are 8-bit or
// 16-bit little-endian words of a given bit depth; the player's sequences
// are 8-bit.
#ifndef VORLEX_COMPARISON_H
#define VORLEX_COMPARISON_H

#include <stdint.h>
#include <stdio.h>

#include <string>

#include "sequence_layout.h"

enum { COMPARE_MAX_PLANES = 3 };

// One compared plane inside a frame. Its samples are `width` x `height`, row
// after row with no gap; `step` is the distance between a row's samples in
// samples: 1 for a plane of its own, 3 for a channel of interleaved RGB.
struct ComparePlane {
    uint32_t offset; // bytes from the frame's start to the first sample
    uint32_t width, height;
    uint32_t step;
    char name; // 'Y', 'U', 'V', 'R', 'G' or 'B'
};

struct CompareLayout {
    uint32_t planeCount;  // 1 for gray, 3 otherwise
    uint32_t sampleBytes; // 1, or 2 for 16-bit little-endian words
    uint32_t bitDepth;    // 8 for 1-byte samples, up to 16 for words
    uint32_t shift;       // a sample's value lies this many bits up its word (P010: 6)
    uint32_t frameBytes;  // held at 0xFFFFFFFF where it would pass 32 bits
    ComparePlane planes[COMPARE_MAX_PLANES];
};

// Planes of a width x height frame of `type` (an ImageType code): the
// player's frame plan places them (scaled by the sample size); colour planes
// are w x h (100), w/2 x h (101), w/4 x h (102) or w/2 x h/2 (103), sizes
// truncated; gray (and a type outside the codes) is one plane; RGB and BGR
// are three channels of interleaved pixels, named R, G, B in that order
// whatever the byte order.
CompareLayout CompareLayoutFor(uint32_t type, uint32_t width, uint32_t height, uint32_t sampleBytes,
                               uint32_t bitDepth);

// The planes of a stored w x h frame of an extended layout: planar ones as
// CompareLayoutFor gives them; NV12 and NV21 chroma with a step of 2; P010
// the same in 16-bit words, 10 bits shifted up by 6; YUYV and UYVY every
// plane with its step inside the groups.
CompareLayout CompareLayoutForStored(const SequenceLayout& layout, uint32_t width, uint32_t height);

// The result for one plane.
struct PlaneDiff {
    uint64_t sse;       // sum of squared differences, exact
    uint64_t differing; // samples that differ
    uint64_t samples;   // samples compared
    uint32_t maxDiff;   // largest absolute difference
    bool hasFirst;      // a sample differs: the first one in row order is
    uint32_t firstX, firstY, firstA, firstB;
};

struct FrameDiff {
    uint32_t planeCount;
    PlaneDiff planes[COMPARE_MAX_PLANES];
};

// Compares two frames laid out by `layout` (frameBytes each) on the
// kernels in use.
void CompareFrames(const CompareLayout& layout, const uint8_t* a, const uint8_t* b, FrameDiff* diff);

// Non-zero when a sample of a plane of `layout` differs; reads only up to
// the first difference.
int FramesDiffer(const CompareLayout& layout, const uint8_t* a, const uint8_t* b);

bool AnyDifference(const FrameDiff& diff);

// PSNR in dB of `samples` samples with squared error `sse` and peak value
// `peak`: 10 log10(peak^2 samples / sse). Returns PSNR_IDENTICAL, *db
// untouched, when nothing differs (sse 0, or no samples).
enum { PSNR_VALUE = 0, PSNR_IDENTICAL = 1 };
int PsnrOf(uint64_t sse, uint64_t samples, uint32_t peak, double* db);

// 2^bitDepth - 1.
uint32_t PeakOf(uint32_t bitDepth);

// The decibels as text with two decimals and a point, whatever the process
// locale; "identical" for PSNR_IDENTICAL.
std::string PsnrText(uint64_t sse, uint64_t samples, uint32_t peak);

// The views of a comparison: A, B and the difference. Tab flips A and B
// (from the difference it goes to A); D shows the difference, and from it
// goes back to A.
enum CompareView { VIEW_A, VIEW_B, VIEW_DIFFERENCE };
int ViewAfterTab(int view);
int ViewAfterDifferenceKey(int view);

// The difference gain k: 1, 4 or 16; + raises it, - lowers it, each held at
// its end.
uint32_t RaiseGain(uint32_t gain);
uint32_t LowerGain(uint32_t gain);

// The difference picture in the layout of the frame, for the display route:
// 128 + k (A - B) per sample, clamped to 0..255, every plane and channel
// alike (a sample equal in both is mid-grey, 128). `out` may be `a` or
// `b`. Returns 0, writing nothing, unless samples are 8-bit and k is 1, 4
// or 16.
int BuildDifferenceFrame(const CompareLayout& layout, const uint8_t* a, const uint8_t* b, uint32_t gain,
                         uint8_t* out);

// One line per plane of the metrics of the frame on screen, e.g.
// "Y: SSE 1234, max 5, differing 12 of 25344, PSNR 43.21 dB, first at (3, 4): A 120, B 118"
// or "U: identical".
std::string FrameDiffText(const CompareLayout& layout, const FrameDiff& diff);

// The first differing sample of a frame, as a jump reports it:
// "Frame 12: first difference in Y at (3, 4): A 120, B 118". Empty when the
// frame does not differ.
std::string FirstDifferenceText(const CompareLayout& layout, uint32_t frame, const FrameDiff& diff);

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
CompareLayout SequenceCompareLayout();

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
    uint64_t sse[COMPARE_MAX_PLANES];
    uint64_t differing; // over all planes
    uint32_t maxDiff;   // over all planes
};
struct CompareStatistics {
    CompareLayout layout;
    uint32_t frameCount; // frames to compare
    uint32_t done;       // rows[0 .. done) are filled
    FrameStatsRow* rows;
    uint32_t capacity;
    uint64_t totalSse[COMPARE_MAX_PLANES];
    double psnrSum[COMPARE_MAX_PLANES]; // of the frames in which the plane differs
    uint32_t psnrFrames[COMPARE_MAX_PLANES];
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
