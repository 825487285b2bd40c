// The running comparison of the open sequence with a second file: the views'
// frames, the search for the next differing frame across both ends, and the
// statistics of every frame with their table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "comparison.h"
#include "display.h"
#include "frame_access.h"
#include "memory_files.h"
#include "playback.h"
#include "player_state.h"
#include "test_support.h"

namespace {

// Two gray 4 x 2 sequences in memory: A has 5 frames, B 6. B differs from A in
// frames 0, 2 and 4 (the first and last frames both have).
class ComparisonFiles : public ::testing::Test {
protected:
    PlayerState s{};
    static const uint32_t kW = 4, kH = 2, kBytes = kW * kH;
    void SetUp() override {
        ASSERT_TRUE(InitPlayerState(s));
        s.framePreset = FRAME_PRESET_CUSTOM;
        s.frameWidth = kW;
        s.frameHeight = kH;
        s.sequenceType = TYPE_GRAY;
        ApplyFramePreset(s);
        for (uint32_t i = 0; i < 6 * kBytes; ++i) {
            a_.push_back(static_cast<uint8_t>(i * 13 + 40));
        }
        b_ = a_;
        a_.resize(5 * kBytes);
        b_[0 * kBytes + 5] += 255; // one sample by 1: SSE 1
        a_[2 * kBytes + 7] = 0;    // the last sample, as far off as can be
        b_[2 * kBytes + 7] = 255;
        b_[4 * kBytes + 1] += 2; // two samples by 2: SSE 8
        b_[4 * kBytes + 6] -= 2;
        files_.Put("a", a_);
        files_.Put("b", b_);
        s.files = files_.Access();
        ASSERT_TRUE(OpenInputFile(s, "a"));
        ASSERT_EQ(StartComparison(s, "b"), COMPARE_STARTED);
    }
    void TearDown() override {
        EndComparison(s);
        ReleasePlayerState(s);
    }
    MemoryFiles files_;
    std::vector<uint8_t> a_, b_;
};

TEST_F(ComparisonFiles, ViewsPutTheirFrameInTheFrameBuffer) {
    EXPECT_EQ(ComparedFrameCount(s), 5u);
    EXPECT_EQ(StartComparison(s, "/no/such/folder/b.yuv"), COMPARE_CANNOT_OPEN);
    EXPECT_TRUE(ComparisonActive(s)); // the running comparison stays
    FrameDiff diff;
    for (CompareView view : {VIEW_A, VIEW_B, VIEW_DIFFERENCE}) {
        s.comparison.view = view;
        s.comparison.gain = 16;
        ASSERT_TRUE(LoadComparedFrame(s, 2, &diff));
        std::vector<uint8_t> want(a_.begin() + 2 * kBytes, a_.begin() + 3 * kBytes);
        if (view == VIEW_B) {
            want.assign(b_.begin() + 2 * kBytes, b_.begin() + 3 * kBytes);
        } else if (view == VIEW_DIFFERENCE) {
            want.assign(kBytes, 128);
            want[7] = 0;
        }
        EXPECT_EQ(std::vector<uint8_t>(s.frameBuffer, s.frameBuffer + kBytes), want) << view;
    }
    EXPECT_EQ(FirstDifferenceText(SequenceFrameGeometry(s), 2, diff),
              "Frame 2: first difference in Y at (3, 1): A 0, B 255");
    EXPECT_FALSE(LoadComparedFrame(s, 5, &diff)); // B has it, A does not
    EndComparison(s);
    EXPECT_FALSE(LoadComparedFrame(s, 0, &diff));
    EXPECT_EQ(ComparedFrameCount(s), 0u);
}

TEST_F(ComparisonFiles, NextDifferenceAcrossBothEnds) {
    const int64_t kNone = -1;
    struct {
        uint32_t shown;
        bool forward;
        int64_t found;
    } cases[] = {
        {0, true, 2},
        {1, true, 2},
        {2, true, 4},
        {4, true, kNone},
        {3, true, 4},
        {4, false, 2},
        {2, false, 0},
        {1, false, 0},
        {0, false, kNone},
        // Past the end (a file shrank): backwards, from the last frame both have.
        {9, false, 4},
        {9, true, kNone},
    };
    for (const auto& c : cases) {
        uint32_t found = 99;
        FrameDiff diff;
        const SearchResult r = FindComparedDifference(s, c.shown, c.forward, &found, &diff);
        EXPECT_EQ(r == SEARCH_FOUND ? int64_t{found} : kNone, c.found) << c.shown << " " << c.forward;
        if (r == SEARCH_FOUND) {
            EXPECT_TRUE(diff.planes[0].hasFirst);
        } else {
            EXPECT_EQ(r, SEARCH_NONE);
        }
    }
    EXPECT_STREQ(NoMoreDifferencesMessage, "No more differences.");
}

TEST_F(ComparisonFiles, StatisticsOneFramePerStepThenTheTableAndSummary) {
    CompareStatistics* st = StartComparisonStatistics(s);
    ASSERT_NE(st, nullptr);
    int steps = 0, r;
    while ((r = StepStatistics(st)) == STATS_MORE) {
        ++steps;
        EXPECT_EQ(st->done, uint32_t(steps));
    }
    ASSERT_EQ(r, STATS_DONE);
    EXPECT_EQ(st->done, 5u);
    const std::string text = StatisticsText(*st, '\t');
    // 4 x 2 frames have no 8 x 8 window: SSIM is "nan", as ffmpeg prints it.
    EXPECT_EQ(text, "Frame\tY PSNR (dB)\tY SSIM\tAll SSIM\tAll SSIM (dB)\tMax difference\tDiffering samples\r\n"
                    "0\t57.16\tnan\tnan\tnan\t1\t1\r\n"
                    "1\tidentical\tnan\tnan\tnan\t0\t0\r\n"
                    "2\t9.03\tnan\tnan\tnan\t255\t1\r\n"
                    "3\tidentical\tnan\tnan\tnan\t0\t0\r\n"
                    "4\t48.13\tnan\tnan\tnan\t2\t2\r\n"
                    "\r\n"
                    "Summary\tY\r\n"
                    "Mean PSNR of differing frames (dB)\t38.11\r\n"
                    "PSNR of total squared error (dB)\t16.02\r\n"
                    "Total squared error\t65034\r\n"
                    "Mean SSIM\tnan\tnan\tnan\r\n"
                    "First differing frame\t0\r\n"
                    "Last differing frame\t4\r\n"
                    "Frames compared\t5\tof\t5\r\n");
    // The list shows the cells this text is made of.
    const StatisticsTable cells = StatisticsCells(*st);
    ASSERT_EQ(cells.frames.size(), 6u);
    EXPECT_EQ(cells.frames[3], (StatisticsRow{"2", "9.03", "nan", "nan", "nan", "255", "1"}));
    EXPECT_EQ(cells.summary.back(), (StatisticsRow{"Frames compared", "5", "of", "5"}));
    TempFile csv;
    ASSERT_TRUE(SaveStatisticsCsv(*st, csv.path()));
    std::string want = text;
    for (auto& ch : want) {
        ch = ch == '\t' ? ',' : ch;
    }
    const std::vector<uint8_t> saved = ReadWholeFile(csv.path());
    EXPECT_EQ(std::string(saved.begin(), saved.end()), want);
    EXPECT_FALSE(SaveStatisticsCsv(*st, "/no/such/folder/stats.csv"));
    FreeStatistics(st);

    // Cancel after one frame: what was done stays, and freeing it is all.
    st = StartComparisonStatistics(s);
    ASSERT_NE(st, nullptr);
    EXPECT_EQ(StepStatistics(st), STATS_MORE);
    EXPECT_NE(StatisticsText(*st, ',').find("Frames compared,1,of,5"), std::string::npos);
    FreeStatistics(st);

    // Before any frame is compared, nothing is called identical.
    st = StartComparisonStatistics(s);
    ASSERT_NE(st, nullptr);
    const std::string none = StatisticsText(*st, ',');
    EXPECT_EQ(none.find("identical"), std::string::npos) << none;
    EXPECT_NE(none.find("Mean PSNR of differing frames (dB),none\r\nPSNR of total squared error (dB),none\r\n"),
              std::string::npos)
        << none;
    FreeStatistics(st);
    EndComparison(s);
    EXPECT_EQ(StartComparisonStatistics(s), nullptr);
}

TEST_F(ComparisonFiles, AClickOnThePlotShowsItsFramePausingPlayback) {
    s.sequenceActive = s.sequenceOpened = true;
    s.playing = true;
    WindowActions a = ShowFrameFromPlot(s, 3);
    EXPECT_TRUE(a.requestFrame);
    EXPECT_EQ(a.frame, 3u);
    EXPECT_EQ(a.source, REQUEST_BY_COMMAND);
    EXPECT_EQ(ModeOf(s), PLAYBACK_PAUSED);
    EXPECT_EQ(s.currentFrame, 4u); // resuming plays on from the frame after it
    s.paused = false;
    a = ShowFrameFromPlot(s, 1);
    EXPECT_EQ(a.frame, 1u);
    EXPECT_EQ(s.currentFrame, 1u);
    EndComparison(s);
    EXPECT_FALSE(ShowFrameFromPlot(s, 2).requestFrame);
}

} // namespace
