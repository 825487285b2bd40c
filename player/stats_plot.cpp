#include "stats_plot.h"

#include <inttypes.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include "display.h"
#include "file_io.h"
#include "image_sizes.h"

namespace {

// Aimed-for intervals between labels on each axis.
const double kValueIntervals = 5;
const uint32_t kFrameIntervals = 8;

// The smallest of 1, 2 and 5 times a power of ten not below `raw`.
double NiceStep(double raw) {
    const double power = pow(10, floor(log10(raw)));
    const double scaled = raw / power;
    return (scaled <= 1 ? 1 : scaled <= 2 ? 2 : scaled <= 5 ? 5 : 10) * power;
}

uint32_t NiceFrameStep(uint32_t span) {
    uint32_t step = 1;
    for (uint32_t power = 1;; power *= 10) {
        for (uint32_t m : {1u, 2u, 5u}) {
            step = m * power;
            if (uint64_t{step} * kFrameIntervals >= span) {
                return step;
            }
        }
        if (power > UINT32_MAX / 100) {
            return step;
        }
    }
}

} // namespace

uint32_t PlotSeriesCount(const CompareStatistics& s, PlotMetric metric) {
    const uint32_t planes = s.layout.planeCount;
    return metric == PLOT_SSIM && planes > 1 ? planes + 1 : planes;
}

std::string PlotSeriesName(const CompareStatistics& s, uint32_t series) {
    return series < s.layout.planeCount ? std::string(1, s.layout.planes[series].name) : std::string("All");
}

PlotValueKind PlotValue(const CompareStatistics& s, PlotMetric metric, uint32_t series, uint32_t frame,
                        double* value) {
    if (frame >= s.done || series >= PlotSeriesCount(s, metric)) {
        return PLOT_NO_VALUE;
    }
    const FrameStatsRow& row = s.rows[frame];
    if (metric == PLOT_SSIM) {
        if (!row.hasSsim) {
            return PLOT_NO_VALUE;
        }
        *value = series < s.layout.planeCount ? row.ssim[series] : row.ssimAll;
        return PLOT_FINITE;
    }
    const uint64_t samples = PlaneSamples(s.layout.planes[series]);
    return PsnrOf(row.sse[series], samples, PeakOf(s.layout.bitDepth), value) == PSNR_VALUE ? PLOT_FINITE
                                                                                            : PLOT_TOP;
}

bool PlotHasValues(const CompareStatistics& s, PlotMetric metric) {
    if (metric == PLOT_PSNR) {
        return s.done > 0;
    }
    for (uint32_t f = 0; f < s.done; ++f) {
        if (s.rows[f].hasSsim) {
            return true;
        }
    }
    return false;
}

bool FrameIdentical(const CompareStatistics& s, uint32_t frame) {
    return frame < s.done && s.rows[frame].differing == 0;
}

PlotAxes PlotAxesOf(const CompareStatistics& s, PlotMetric metric) {
    PlotAxes a;
    a.frames = s.done;
    a.frameStep = NiceFrameStep(s.done > 1 ? s.done - 1 : 1);
    bool any = false;
    double low = 0, high = 0;
    for (uint32_t f = 0; f < s.done; ++f) {
        for (uint32_t i = 0; i < PlotSeriesCount(s, metric); ++i) {
            double v;
            if (PlotValue(s, metric, i, f, &v) == PLOT_FINITE) {
                low = any && low < v ? low : v;
                high = any && high > v ? high : v;
                any = true;
            }
        }
    }
    if (!any) {
        low = 0;
        high = metric == PLOT_PSNR ? 100 : 1;
    } else if (metric == PLOT_PSNR && high - low < 2) {
        // Values (nearly) equal: a range of at least 2 dB around them, or
        // 0.02 below the highest SSIM, which is at most 1.
        low = round(low + high) / 2 - 1; // the middle to half a dB
        high = low + 2;
    } else if (metric == PLOT_SSIM && high - low < 0.02) {
        low = high - 0.02;
    }
    a.step = NiceStep((high - low) / kValueIntervals);
    // Whole steps around the values; a value a rounding error past a step
    // keeps that step.
    a.low = floor(low / a.step + 1e-9) * a.step;
    a.high = ceil(high / a.step - 1e-9) * a.step;
    a.decimals = a.step >= 1 ? 0 : static_cast<int>(-floor(log10(a.step) + 1e-9));
    return a;
}

uint32_t PlotTickCount(const PlotAxes& a) {
    return static_cast<uint32_t>(lround((a.high - a.low) / a.step)) + 1;
}

double PlotTick(const PlotAxes& a, uint32_t i) { return a.low + i * a.step; }

std::string PlotLabel(const PlotAxes& a, double value) {
    uint64_t scale = 1;
    for (int i = 0; i < a.decimals; ++i) {
        scale *= 10;
    }
    const long long scaled = llround(value * static_cast<double>(scale));
    const uint64_t magnitude = static_cast<uint64_t>(scaled < 0 ? -scaled : scaled);
    char text[48];
    if (a.decimals == 0) {
        snprintf(text, sizeof text, "%s%" PRIu64, scaled < 0 ? "-" : "", magnitude);
    } else {
        snprintf(text, sizeof text, "%s%" PRIu64 ".%0*" PRIu64, scaled < 0 ? "-" : "", magnitude / scale,
                 a.decimals, magnitude % scale);
    }
    return text;
}

PlotRect PlotRectIn(int width, int height, int labelWidth, int textHeight) {
    PlotRect r;
    r.left = labelWidth + 8; // a tick of 4 and a gap of 4
    r.top = textHeight + 6;
    r.right = width - 1 - 16; // half of the last frame label beyond it
    r.bottom = height - 1 - textHeight - 8;
    // Too small an area still gives a plot of a few pixels.
    r.right = r.right > r.left + 1 ? r.right : r.left + 1;
    r.bottom = r.bottom > r.top + PLOT_TOP_BAND + 1 ? r.bottom : r.top + PLOT_TOP_BAND + 1;
    return r;
}

int PlotX(const PlotAxes& a, const PlotRect& r, uint32_t frame) {
    if (a.frames < 2) {
        return (r.left + r.right) / 2;
    }
    const uint64_t span = a.frames - 1;
    return r.left + static_cast<int>((uint64_t{frame} * static_cast<uint32_t>(r.right - r.left) * 2 + span) /
                                     (2 * span));
}

int PlotY(const PlotAxes& a, const PlotRect& r, double value) {
    const int top = r.top + PLOT_TOP_BAND;
    const double share = (value - a.low) / (a.high - a.low);
    const double clamped = share < 0 ? 0 : share > 1 ? 1 : share;
    return r.bottom - static_cast<int>(lround(clamped * (r.bottom - top)));
}

int PlotTopY(const PlotRect& r) { return r.top + PLOT_TOP_BAND / 2; }

namespace {

// The frame drawn nearest x.
uint32_t FrameNearX(const PlotAxes& a, const PlotRect& r, int x) {
    if (a.frames < 2) {
        return 0;
    }
    const int64_t from = x < r.left ? 0 : x > r.right ? r.right - r.left : x - r.left;
    const uint64_t span = a.frames - 1;
    const uint64_t width = static_cast<uint32_t>(r.right - r.left);
    return static_cast<uint32_t>((static_cast<uint64_t>(from) * span * 2 + width) / (2 * width));
}

} // namespace

int64_t PlotFrameAt(const CompareStatistics& s, PlotMetric metric, const PlotAxes& a, const PlotRect& r,
                    int x, int y) {
    const int reach = PLOT_PICK_RADIUS;
    if (a.frames == 0 || x < r.left - reach || x > r.right + reach || y < r.top - reach || y > r.bottom + reach) {
        return -1;
    }
    const uint32_t first = FrameNearX(a, r, x - reach), last = FrameNearX(a, r, x + reach);
    int64_t best = -1;
    int64_t bestDistance = 0;
    for (uint32_t f = first; f <= last; ++f) {
        const int64_t dx = PlotX(a, r, f) - x;
        if (dx < -reach || dx > reach) {
            continue;
        }
        for (uint32_t i = 0; i < PlotSeriesCount(s, metric); ++i) {
            double v = 0;
            const PlotValueKind kind = PlotValue(s, metric, i, f, &v);
            if (kind == PLOT_NO_VALUE) {
                continue;
            }
            const int64_t dy = (kind == PLOT_TOP ? PlotTopY(r) : PlotY(a, r, v)) - y;
            const int64_t distance = dx * dx + dy * dy;
            if (best < 0 || distance < bestDistance) {
                best = f;
                bestDistance = distance;
            }
        }
    }
    return best >= 0 ? best : int64_t{FrameNearX(a, r, x)};
}

int SavePlotBitmap(const char* path, uint32_t width, uint32_t height, const uint8_t* pixels) {
    const uint64_t bytes = Rgb24ImageBytes(width, height);
    if (width % 4 != 0 || !ImageLengthFits(bytes)) {
        return 0;
    }
    uint8_t* image = static_cast<uint8_t*>(malloc(static_cast<size_t>(bytes)));
    if (!image) {
        return 0;
    }
    ConvertRGB2Bitmap(width, height, pixels, image);
    const int written = WriteWholeFile(path, image, static_cast<size_t>(bytes)) == WRITE_DONE;
    free(image);
    return written;
}
