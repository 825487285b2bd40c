// The statistics plot's rules: the axes' range and ticks, where frames and
// values lie, the band of identical frames, what a click picks, SSIM before
// it is computed, and the saved bitmap.
#include <gtest/gtest.h>
#include <math.h>

#include <array>
#include <string>
#include <vector>

#include "display.h"
#include "stats_plot.h"
#include "test_support.h"

namespace {

const uint32_t kW = 176, kH = 144;

// Statistics of QCIF 4:2:0 frames made by hand: each frame's Y, U and V
// PSNR in dB, 0 for an identical plane.
struct HandStats {
    explicit HandStats(const std::vector<std::array<double, 3>>& psnr, uint32_t type = TYPE_YUV420) {
        s.layout = FrameGeometryOf(type, kW, kH, 1, 8);
        rows.resize(psnr.size());
        for (size_t f = 0; f < psnr.size(); ++f) {
            for (uint32_t i = 0; i < s.layout.planeCount; ++i) {
                const double samples = static_cast<double>(PlaneSamples(s.layout.planes[i]));
                const double db = psnr[f][i];
                rows[f].sse[i] =
                    db > 0 ? static_cast<uint64_t>(llround(255.0 * 255.0 * samples / pow(10, db / 10))) : 0;
                rows[f].differing += rows[f].sse[i] != 0;
            }
        }
        s.rows = rows.data();
        s.done = s.frameCount = static_cast<uint32_t>(rows.size());
    }
    std::vector<FrameStatsRow> rows;
    CompareStatistics s{};
};

std::vector<std::array<double, 3>> Constant(size_t frames, double db) {
    return std::vector<std::array<double, 3>>(frames, {db, db, db});
}

const PlotRect kRect = {50, 20, 649, 219};

TEST(StatsPlot, AxesHoldEveryFiniteValueInWholeNiceSteps) {
    HandStats psnr({{31.2, 47.9, 0}, {40, 35, 38}});
    PlotAxes a = PlotAxesOf(psnr.s, PLOT_PSNR);
    EXPECT_EQ(a.frames, 2u);
    EXPECT_DOUBLE_EQ(a.step, 5);
    EXPECT_DOUBLE_EQ(a.low, 30);
    EXPECT_DOUBLE_EQ(a.high, 50);
    ASSERT_EQ(PlotTickCount(a), 5u);
    EXPECT_EQ(PlotLabel(a, PlotTick(a, 1)), "35");
    a = PlotAxesOf(HandStats({{31, 39, 35}}).s, PLOT_PSNR);
    EXPECT_DOUBLE_EQ(a.step, 2);
    EXPECT_DOUBLE_EQ(a.low, 30);
    EXPECT_DOUBLE_EQ(a.high, 40);

    HandStats ssim(Constant(3, 40));
    const double values[] = {0.951, 0.998, 0.97};
    for (int f = 0; f < 3; ++f) {
        ssim.rows[f].hasSsim = true;
        ssim.rows[f].ssim[0] = ssim.rows[f].ssim[1] = ssim.rows[f].ssim[2] = ssim.rows[f].ssimAll = values[f];
    }
    a = PlotAxesOf(ssim.s, PLOT_SSIM);
    EXPECT_NEAR(a.step, 0.01, 1e-12);
    EXPECT_NEAR(a.low, 0.95, 1e-12);
    EXPECT_NEAR(a.high, 1.0, 1e-12);
    EXPECT_EQ(PlotTickCount(a), 6u);
    EXPECT_EQ(PlotLabel(a, PlotTick(a, 1)), "0.96");
    EXPECT_EQ(PlotLabel(a, -0.25), "-0.25");

    // Values (nearly) equal: 2 dB around them. No finite value: 0 to 100 dB.
    a = PlotAxesOf(HandStats(Constant(1, 40)).s, PLOT_PSNR);
    EXPECT_DOUBLE_EQ(a.low, 39);
    EXPECT_DOUBLE_EQ(a.high, 41);
    EXPECT_EQ(PlotLabel(a, 39.5), "39.5");
    a = PlotAxesOf(HandStats(Constant(7, 0)).s, PLOT_PSNR);
    EXPECT_DOUBLE_EQ(a.low, 0);
    EXPECT_DOUBLE_EQ(a.high, 100);

    // Frame labels: about eight intervals, in steps of 1, 2 or 5 times ten to a power.
    EXPECT_EQ(PlotAxesOf(HandStats(Constant(30, 40)).s, PLOT_PSNR).frameStep, 5u);
    EXPECT_EQ(PlotAxesOf(HandStats(Constant(10000, 40)).s, PLOT_PSNR).frameStep, 2000u);
}

TEST(StatsPlot, FramesAndValuesMapIntoTheRectangle) {
    PlotAxes a = PlotAxesOf(HandStats(Constant(10, 40)).s, PLOT_PSNR);
    EXPECT_EQ(PlotX(a, kRect, 0), kRect.left);
    EXPECT_EQ(PlotX(a, kRect, 9), kRect.right);
    EXPECT_EQ(PlotX(a, kRect, 3), kRect.left + 200);
    EXPECT_EQ(PlotY(a, kRect, a.low), kRect.bottom);
    EXPECT_EQ(PlotY(a, kRect, a.high), kRect.top + PLOT_TOP_BAND);
    EXPECT_NEAR(PlotY(a, kRect, 40), (kRect.bottom + kRect.top + PLOT_TOP_BAND) / 2.0, 1);
    EXPECT_EQ(PlotY(a, kRect, a.high + 50), kRect.top + PLOT_TOP_BAND); // held inside
    EXPECT_EQ(PlotY(a, kRect, a.low - 50), kRect.bottom);

    a = PlotAxesOf(HandStats(Constant(1, 40)).s, PLOT_PSNR);
    EXPECT_EQ(PlotX(a, kRect, 0), (kRect.left + kRect.right) / 2);

    // Thousands of frames: in order, the last at the right edge.
    a = PlotAxesOf(HandStats(Constant(10000, 40)).s, PLOT_PSNR);
    for (uint32_t f = 1; f < 10000; ++f) {
        ASSERT_GE(PlotX(a, kRect, f), PlotX(a, kRect, f - 1)) << f;
    }
    EXPECT_EQ(PlotX(a, kRect, 9999), kRect.right);
}

TEST(StatsPlot, IdenticalFramesAndPlanesAreAtTheTop) {
    HandStats h({{0, 0, 0}, {40, 0, 35}, {0, 0, 0}});
    EXPECT_TRUE(FrameIdentical(h.s, 0));
    EXPECT_FALSE(FrameIdentical(h.s, 1));
    EXPECT_TRUE(FrameIdentical(h.s, 2));
    EXPECT_FALSE(FrameIdentical(h.s, 3)); // not compared
    double v = 0;
    EXPECT_EQ(PlotValue(h.s, PLOT_PSNR, 0, 1, &v), PLOT_FINITE);
    EXPECT_NEAR(v, 40, 1e-3);
    EXPECT_EQ(PlotValue(h.s, PLOT_PSNR, 1, 1, &v), PLOT_TOP);
    EXPECT_EQ(PlotValue(h.s, PLOT_PSNR, 0, 3, &v), PLOT_NO_VALUE);
}

TEST(StatsPlot, SsimShowsNothingUntilComputed) {
    HandStats h(Constant(4, 40));
    EXPECT_TRUE(PlotHasValues(h.s, PLOT_PSNR));
    EXPECT_FALSE(PlotHasValues(h.s, PLOT_SSIM));
    ASSERT_EQ(PlotSeriesCount(h.s, PLOT_SSIM), 4u);
    EXPECT_EQ(PlotSeriesName(h.s, 3), "All");
    double v = 0;
    EXPECT_EQ(PlotValue(h.s, PLOT_SSIM, 0, 0, &v), PLOT_NO_VALUE);
    const PlotAxes a = PlotAxesOf(h.s, PLOT_SSIM);
    EXPECT_DOUBLE_EQ(a.high, 1);
    // Without points a click picks the frame nearest x.
    EXPECT_EQ(PlotFrameAt(h.s, PLOT_SSIM, a, kRect, PlotX(a, kRect, 2) + 30, 100), 2);

    h.rows[1].hasSsim = true;
    h.rows[1].ssimAll = 0.75;
    EXPECT_TRUE(PlotHasValues(h.s, PLOT_SSIM));
    EXPECT_EQ(PlotValue(h.s, PLOT_SSIM, 3, 1, &v), PLOT_FINITE);
    EXPECT_EQ(v, 0.75);

    HandStats gray(Constant(2, 40), TYPE_GRAY);
    EXPECT_EQ(PlotSeriesCount(gray.s, PLOT_SSIM), 1u);
}

TEST(StatsPlot, AClickPicksTheFrameOfTheNearestPoint) {
    HandStats sparse(Constant(10, 40));
    PlotAxes a = PlotAxesOf(sparse.s, PLOT_PSNR);
    for (uint32_t f = 0; f < 10; ++f) {
        EXPECT_EQ(PlotFrameAt(sparse.s, PLOT_PSNR, a, kRect, PlotX(a, kRect, f), kRect.bottom), f);
    }
    const int between = (PlotX(a, kRect, 3) + PlotX(a, kRect, 4)) / 2;
    EXPECT_EQ(PlotFrameAt(sparse.s, PLOT_PSNR, a, kRect, between - 1, 100), 3);
    EXPECT_EQ(PlotFrameAt(sparse.s, PLOT_PSNR, a, kRect, between + 1, 100), 4);
    EXPECT_EQ(PlotFrameAt(sparse.s, PLOT_PSNR, a, kRect, kRect.right + PLOT_PICK_RADIUS, 100), 9);
    EXPECT_EQ(PlotFrameAt(sparse.s, PLOT_PSNR, a, kRect, kRect.left - PLOT_PICK_RADIUS - 1, 100), -1);
    EXPECT_EQ(PlotFrameAt(sparse.s, PLOT_PSNR, a, kRect, 300, kRect.bottom + PLOT_PICK_RADIUS + 1), -1);
    HandStats none({});
    EXPECT_EQ(PlotFrameAt(none.s, PLOT_PSNR, PlotAxesOf(none.s, PLOT_PSNR), kRect, 300, 100), -1);

    // Several frames a pixel: the dip at 20 dB and the identical frame are
    // picked where their points are drawn, not their neighbours.
    std::vector<std::array<double, 3>> dense = Constant(5000, 40);
    dense[2500] = {20, 20, 20};
    dense[1000] = {0, 0, 0};
    HandStats d(dense);
    a = PlotAxesOf(d.s, PLOT_PSNR);
    EXPECT_EQ(PlotFrameAt(d.s, PLOT_PSNR, a, kRect, PlotX(a, kRect, 2500) + 1, PlotY(a, kRect, 20)), 2500);
    EXPECT_NE(PlotFrameAt(d.s, PLOT_PSNR, a, kRect, PlotX(a, kRect, 2500), PlotY(a, kRect, 40)), 2500);
    EXPECT_EQ(PlotFrameAt(d.s, PLOT_PSNR, a, kRect, PlotX(a, kRect, 1000) - 1, PlotTopY(kRect)), 1000);
}

TEST(StatsPlot, SavedPlotIsTheLibrarysBitmapOfItsPixels) {
    std::vector<uint8_t> pixels(3 * 8 * 2);
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<uint8_t>(i * 7);
    }
    TempFile file;
    ASSERT_TRUE(SavePlotBitmap(file.path(), 8, 2, pixels.data()));
    std::vector<uint8_t> want(54 + pixels.size());
    ConvertRGB2Bitmap(8, 2, pixels.data(), want.data());
    EXPECT_EQ(ReadWholeFile(file.path()), want);
    EXPECT_FALSE(SavePlotBitmap(file.path(), 6, 2, pixels.data())); // rows would need padding
    EXPECT_FALSE(SavePlotBitmap("/no/such/folder/plot.bmp", 8, 2, pixels.data()));
}

} // namespace
