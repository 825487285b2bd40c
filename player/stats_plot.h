// The plot of the statistics dialog without a window: per-frame PSNR of
// each plane, or SSIM, over the frames compared; the range and ticks of its
// axes, where a frame and a value lie in a rectangle of pixels, which
// frames are identical, which frame a click picks, and the plot written as
// a bitmap file. The Win32 shell only draws what these give.
#ifndef VORLEX_STATS_PLOT_H
#define VORLEX_STATS_PLOT_H

#include <stdint.h>

#include <string>

#include "sequence_compare.h"

enum PlotMetric { PLOT_PSNR, PLOT_SSIM };

// The lines of the plot: one per plane, then for SSIM of a frame of
// several planes one of the whole frame, named "All".
uint32_t PlotSeriesCount(const CompareStatistics& s, PlotMetric metric);
std::string PlotSeriesName(const CompareStatistics& s, uint32_t series);

// A line's value at a frame: a finite value, TOP where PSNR is infinite
// (the plane is identical there; drawn in the band at the top), or none
// (no SSIM for the frame: a plane under 8 x 8 samples).
enum PlotValueKind { PLOT_NO_VALUE, PLOT_FINITE, PLOT_TOP };
PlotValueKind PlotValue(const CompareStatistics& s, PlotMetric metric, uint32_t series, uint32_t frame,
                        double* value);
// True when some frame has a value of `metric` (false for SSIM until it
// is computed, and without frames).
bool PlotHasValues(const CompareStatistics& s, PlotMetric metric);

// No sample of the frame differs: marked in the band at the top.
bool FrameIdentical(const CompareStatistics& s, uint32_t frame);

// Frames 0 .. frames-1 along x, labelled every frameStep; values low to
// high along y, labelled every step with `decimals` decimals. The range
// holds every finite value, widened to whole steps; where there is none,
// PSNR spans 0 to 100 dB and SSIM 0 to 1.
struct PlotAxes {
    uint32_t frames;
    uint32_t frameStep;
    double low, high, step;
    int decimals;
};
PlotAxes PlotAxesOf(const CompareStatistics& s, PlotMetric metric);
// The labels: low + i * step for i = 0 .. PlotTickCount - 1.
uint32_t PlotTickCount(const PlotAxes& axes);
double PlotTick(const PlotAxes& axes, uint32_t i);
// A value as its label ("37.5", "0.995"), whatever the process locale.
std::string PlotLabel(const PlotAxes& axes, double value);

// The plot's rectangle in pixels, edges included: frame 0 at x = left,
// the last frame at right. The band of PLOT_TOP_BAND pixels at the top
// holds identical frames and infinite values (at PlotTopY); `high` lies
// just under it and `low` at bottom.
struct PlotRect {
    int left, top, right, bottom;
};
enum { PLOT_TOP_BAND = 20, PLOT_PICK_RADIUS = 3 };
// Where the plot lies in a width x height area: room on the left for
// labels `labelWidth` wide, a line of `textHeight` above for the legend
// and one below for the frame labels.
PlotRect PlotRectIn(int width, int height, int labelWidth, int textHeight);
int PlotX(const PlotAxes& axes, const PlotRect& r, uint32_t frame);
int PlotY(const PlotAxes& axes, const PlotRect& r, double value);
int PlotTopY(const PlotRect& r);

// The frame a click at (x, y) picks: of the frames drawn within
// PLOT_PICK_RADIUS pixels of x, the one with a point nearest the click;
// where none has a point, the frame nearest x. -1 for a click outside the
// rectangle widened by the radius, or without frames.
int64_t PlotFrameAt(const CompareStatistics& s, PlotMetric metric, const PlotAxes& axes, const PlotRect& r,
                    int x, int y);

// Writes a width x height picture of 24-bit rows, bottom row first,
// blue-green-red, as a bitmap file through the library's converter.
// `width` must be a multiple of 4 (rows without padding). 0 when it is
// not, or the file cannot be written (a partly written file is removed).
int SavePlotBitmap(const char* path, uint32_t width, uint32_t height, const uint8_t* pixels);

#endif
