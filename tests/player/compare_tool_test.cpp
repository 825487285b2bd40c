// vorlex-compare on files on disk: its exit status in each case, its CSV
// byte for byte the dialog's Save of the same pair, whatever the number of
// threads, and its range and metrics options.
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "compare_tool.h"
#include "comparison.h"
#include "playback.h"
#include "player_state.h"
#include "test_support.h"

namespace {

const uint32_t kW = 16, kH = 8, kFrames = 6, kFrameBytes = kW * kH * 3 / 2;

struct ToolRun {
    int status;
    std::string out, err;
};

// Runs the tool with `args`, its standard output and error caught in files.
ToolRun RunTool(std::vector<const char*> args, unsigned threads = 2) {
    TempFile out, err;
    FILE* o = fopen(out.path(), "wb");
    FILE* e = fopen(err.path(), "wb");
    ToolRun run;
    run.status = RunCompareTool(static_cast<int>(args.size()), args.data(), o, e, threads);
    fclose(o);
    fclose(e);
    const std::vector<uint8_t> a = ReadWholeFile(out.path()), b = ReadWholeFile(err.path());
    run.out.assign(a.begin(), a.end());
    run.err.assign(b.begin(), b.end());
    return run;
}

class CompareTool : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<uint8_t> frames(kFrames * kFrameBytes);
        for (size_t i = 0; i < frames.size(); ++i) {
            frames[i] = static_cast<uint8_t>(i * 13 + i / 7);
        }
        ASSERT_TRUE(a_.WriteAt(0, frames.data(), frames.size()));
        frames[3 * kFrameBytes + 17] ^= 8;          // frame 3, luma (1, 1)
        frames[5 * kFrameBytes + kW * kH + 2] ^= 1; // frame 5, U
        ASSERT_TRUE(b_.WriteAt(0, frames.data(), frames.size()));
    }

    // What the statistics dialog saves for A and B with 16x8 frames.
    std::string DialogCsv() {
        PlayerState s{};
        EXPECT_TRUE(InitPlayerState(s));
        s.framePreset = FRAME_PRESET_CUSTOM;
        s.frameWidth = kW;
        s.frameHeight = kH;
        ApplyFramePreset(s);
        OpenSequence(s, a_.path());
        CompareWithSequence(s, b_.path());
        CompareStatistics* st = StartComparisonStatistics(s);
        while (st && StepStatistics(st) == STATS_MORE) {
        }
        TempFile csv;
        EXPECT_TRUE(st && SaveStatisticsCsv(*st, csv.path()));
        FreeStatistics(st);
        ReleasePlayerState(s);
        const std::vector<uint8_t> bytes = ReadWholeFile(csv.path());
        return std::string(bytes.begin(), bytes.end());
    }

    TempFile a_, b_;
};

TEST_F(CompareTool, TheCsvIsTheDialogsAndTheStatusSaysWhetherTheyDiffer) {
    const std::string dialog = DialogCsv();
    ASSERT_NE(dialog.find("First differing frame,3\r\n"), std::string::npos) << dialog;
    for (unsigned threads : {1u, 2u, 7u}) {
        const ToolRun run = RunTool({"-s", "16x8", a_.path(), b_.path()}, threads);
        EXPECT_EQ(run.status, COMPARE_DIFFERENT) << run.err;
        EXPECT_EQ(run.out, dialog) << threads << " threads";
        EXPECT_EQ(run.err.rfind("differ: 2 of 6 frames, first 3, last 5; PSNR of total: Y ", 0), 0u) << run.err;
    }
    TempFile csv;
    ToolRun run = RunTool({"-s", "16x8", "-o", csv.path(), a_.path(), b_.path()});
    EXPECT_EQ(run.status, COMPARE_DIFFERENT);
    EXPECT_EQ(run.out, "");
    const std::vector<uint8_t> saved = ReadWholeFile(csv.path());
    EXPECT_EQ(std::string(saved.begin(), saved.end()), dialog);

    run = RunTool({"-s", "16x8", a_.path(), a_.path()});
    EXPECT_EQ(run.status, COMPARE_IDENTICAL);
    EXPECT_EQ(run.err, "identical: 6 frames\n");
}

TEST_F(CompareTool, RangesAndMetrics) {
    ToolRun run = RunTool({"-s", "16x8", "--frames", "4:10", "--metrics", "psnr", a_.path(), b_.path()});
    EXPECT_EQ(run.status, COMPARE_DIFFERENT);
    EXPECT_EQ(run.out.rfind("Frame,Y PSNR (dB),U PSNR (dB),V PSNR (dB),Max difference,Differing samples\r\n"
                            "4,identical,identical,identical,0,0\r\n5,identical,",
                            0),
              0u)
        << run.out;
    EXPECT_NE(run.out.find("First differing frame,5\r\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Frames compared,2,of,2\r\n"), std::string::npos) << run.out;
    run = RunTool({"-s", "16x8", "--frames", "0:3", a_.path(), b_.path()});
    EXPECT_EQ(run.status, COMPARE_IDENTICAL) << "frames 0 to 2 are equal";
    run = RunTool({"-s", "16x8", "--frames", "6:1", a_.path(), b_.path()});
    EXPECT_EQ(run.status, COMPARE_TROUBLE);
    EXPECT_EQ(run.err, "vorlex-compare: no frame from frame 6: the sequences have 6\n");
}

TEST_F(CompareTool, TroubleIsStatusTwoWithWhatWasWrong) {
    const struct {
        std::vector<const char*> args;
        const char* says;
    } cases[] = {
        {{"-s", "16x8"}, "vorlex-compare: Sequences A and B are missing\n\nUsage: vorlex-compare"},
        {{"--metrics", "vmaf", "a", "b"}, "vorlex-compare: Metrics are psnr, ssim or psnr,ssim: vmaf\n"},
        {{"/no/such/a.yuv", "b"}, "vorlex-compare: /no/such/a.yuv: Cannot open file for reading!\n"},
    };
    for (const auto& c : cases) {
        const ToolRun run = RunTool(c.args);
        EXPECT_EQ(run.status, COMPARE_TROUBLE) << c.says;
        EXPECT_EQ(run.err.rfind(c.says, 0), 0u) << run.err;
    }
    ToolRun run = RunTool({a_.path(), "/no/such/b.yuv"});
    EXPECT_EQ(run.status, COMPARE_TROUBLE);
    EXPECT_EQ(run.err, std::string("vorlex-compare: /no/such/b.yuv: Cannot open file for reading!\n"));
    run = RunTool({"-s", "16x8", "-o", "/no/such/folder/out.csv", a_.path(), b_.path()});
    EXPECT_EQ(run.status, COMPARE_TROUBLE);
    EXPECT_EQ(run.err, "vorlex-compare: /no/such/folder/out.csv: cannot write the table\n");
}

} // namespace
