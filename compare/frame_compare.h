// Exact comparison of two frames of one geometry: per-plane metrics in
// integers (squared error, largest difference, differing samples, the first
// differing sample) and decibels computed from them, the views and the
// difference picture, and their text. Samples are 8-bit, or 16-bit
// little-endian words of a given bit depth.
#ifndef VORLEX_FRAME_COMPARE_H
#define VORLEX_FRAME_COMPARE_H

#include <stdint.h>

#include <string>

#include "frame_plan.h"
#include "plane_geometry.h"

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
    PlaneDiff planes[MAX_PLANES];
};

// Compares two frames laid out by `layout` (frameBytes each) on the
// kernels in use.
void CompareFrames(const FrameGeometry& layout, const uint8_t* a, const uint8_t* b, FrameDiff* diff);

// Non-zero when a sample of a plane of `layout` differs; reads only up to
// the first difference.
int FramesDiffer(const FrameGeometry& layout, const uint8_t* a, const uint8_t* b);

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
CompareView ViewAfterTab(CompareView view);
CompareView ViewAfterDifferenceKey(CompareView view);

// The difference gain k: 1, 4 or 16; + raises it, - lowers it, each held at
// its end.
uint32_t RaiseGain(uint32_t gain);
uint32_t LowerGain(uint32_t gain);

// The difference picture in the layout of the frame, for the display route:
// 128 + k (A - B) per sample, clamped to 0..255, every plane and channel
// alike (a sample equal in both is mid-grey, 128). `out` may be `a` or
// `b`. Returns 0, writing nothing, unless samples are 8-bit and k is 1, 4
// or 16.
int BuildDifferenceFrame(const FrameGeometry& layout, const uint8_t* a, const uint8_t* b, uint32_t gain,
                         uint8_t* out);

// One line per plane of the metrics of the frame on screen, e.g.
// "Y: SSE 1234, max 5, differing 12 of 25344, PSNR 43.21 dB, first at (3, 4): A 120, B 118"
// or "U: identical".
std::string FrameDiffText(const FrameGeometry& layout, const FrameDiff& diff);

// The first differing sample of a frame, as a jump reports it:
// "Frame 12: first difference in Y at (3, 4): A 120, B 118". Empty when the
// frame does not differ.
std::string FirstDifferenceText(const FrameGeometry& layout, uint32_t frame, const FrameDiff& diff);

// The difference picture of frames of an extended layout, from the stored
// values at full depth, in the 8-bit planar layout `shown` of their sampling.
void BuildStoredDifference(const FrameGeometry& geometry, const FramePlan& shown, const uint8_t* a,
                           const uint8_t* b, uint32_t gain, uint8_t* out);

// A count as decimal text, and decibels with two decimals and a point,
// whatever the process locale.
std::string Number(uint64_t v);
std::string Decibels(double db);

#endif
