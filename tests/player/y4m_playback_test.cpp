// Y4M files in the player's rules: the header's settings, refusals that
// change nothing, frames found by indexing with the window's part played
// here, damaged lines, comparing in each direction, saving and the
// Inspector.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "comparison.h"
#include "display.h"
#include "frame_access.h"
#include "memory_files.h"
#include "playback.h"
#include "player_state.h"

namespace {

const uint32_t kW = 8, kH = 4, kFrameBytes = kW * kH * 3 / 2, kFrames = 4;

// Frame f of the test sequence, 8 x 4 4:2:0: every byte names its frame.
std::vector<uint8_t> Frame(uint32_t f) {
    std::vector<uint8_t> frame(kFrameBytes);
    for (uint32_t i = 0; i < kFrameBytes; ++i) {
        frame[i] = static_cast<uint8_t>(40 * f + i);
    }
    return frame;
}

std::vector<uint8_t> Raw() {
    std::vector<uint8_t> raw;
    for (uint32_t f = 0; f < kFrames; ++f) {
        const std::vector<uint8_t> frame = Frame(f);
        raw.insert(raw.end(), frame.begin(), frame.end());
    }
    return raw;
}

// The same frames in a Y4M file, each after its line of `lines` (the last
// one repeated).
std::vector<uint8_t> Y4m(const std::string& header, std::vector<std::string> lines = {"FRAME\n"}) {
    std::vector<uint8_t> file(header.begin(), header.end());
    for (uint32_t f = 0; f < kFrames; ++f) {
        const std::string& line = lines[f < lines.size() ? f : lines.size() - 1];
        const std::vector<uint8_t> frame = Frame(f);
        file.insert(file.end(), line.begin(), line.end());
        file.insert(file.end(), frame.begin(), frame.end());
    }
    return file;
}

const char kHeader[] = "YUV4MPEG2 W8 H4 F30000:1001 Ip A1:1 C420jpeg XYSCSS=420JPEG XCOLORRANGE=LIMITED\n";

class Y4mPlayback : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(InitPlayerState(s));
        s.files = files_.Access();
        files_.Put("raw.yuv", Raw());
        files_.Put("clip.y4m", Y4m(kHeader));
        files_.Put("clip.yuv", Y4m(kHeader)); // the name does not matter
    }
    void TearDown() override { ReleasePlayerState(s); }

    // What the window does with the actions: indexes when asked, then
    // shows the frame asked for. Returns the last actions.
    WindowActions Follow(WindowActions a) {
        for (int rounds = 0; rounds < 8; ++rounds) {
            if (a.indexFrames) {
                while (IndexFrames(s, 1) == Y4M_INDEX_MORE) {
                }
                a = FramesIndexed(s, INDEX_FINISHED);
            } else if (a.requestFrame) {
                a = ShowSequenceFrame(s, a.frame, a.source);
            } else {
                break;
            }
        }
        return a;
    }

    // The frame in frameBuffer is frame f of the test sequence.
    void ExpectShown(uint32_t f) {
        ASSERT_EQ(s.frameShown, f);
        const std::vector<uint8_t> frame = Frame(f);
        EXPECT_EQ(std::vector<uint8_t>(s.frameBuffer, s.frameBuffer + kW * kH),
                  std::vector<uint8_t>(frame.begin(), frame.begin() + kW * kH))
            << "frame " << f;
    }

    PlayerState s{};
    MemoryFiles files_;
};

TEST_F(Y4mPlayback, TheHeaderSetsSizeLayoutAndRateWhateverTheNameAndHeaderSetting) {
    s.sequenceHeader = 100; // a raw file's header does not apply
    s.settingsFromName = true;
    files_.Put("clip_1920x1080_50fps_p010.y4m", Y4m(kHeader));
    WindowActions a = OpenSequence(s, "clip_1920x1080_50fps_p010.y4m");
    EXPECT_STREQ(s.title, "Vorlex - clip_1920x1080_50fps_p010.y4m [8x4, 4:2:0, 29.97 fps from the Y4M header]");
    EXPECT_TRUE(a.setTitle && a.fitWindow && a.restartTimer && a.requestFrame);
    EXPECT_EQ(a.fitWidth, kW);
    EXPECT_EQ(a.fitHeight, kH);
    EXPECT_EQ(s.frameRate, 30000.0 / 1001) << "the exact fraction";
    EXPECT_EQ(s.timerPeriod, 33u);
    EXPECT_EQ(SequenceFrameCount(s), kFrames);
    Follow(a);
    ExpectShown(0);
    for (uint32_t f = 1; f < kFrames; ++f) {
        Follow(PressKey(s, FRAME_KEY_NEXT, SequenceFrameCount(s)));
        ExpectShown(f);
    }

    // Raw saving writes the samples without the frame line.
    snprintf(s.saveFileName, sizeof s.saveFileName, "saved");
    s.currentFrame = 2;
    EXPECT_EQ(SaveFrameAccepted(s, false).message, nullptr);
    EXPECT_EQ(files_.Get("saved"), Frame(2));

    // The Inspector names what the header says beyond the settings.
    ToggleInspector(s);
    EXPECT_EQ(InspectorText(s, nullptr, 0).rfind("Y4M: C420jpeg Ip A1:1 XCOLORRANGE=LIMITED\n", 0), 0u);

    // A raw file afterwards opens as before, with the settings the header left.
    Follow(OpenSequence(s, "raw.yuv"));
    EXPECT_STREQ(s.title, "Vorlex - raw.yuv");
    EXPECT_EQ(InspectorText(s, nullptr, 0).find("Y4M"), std::string::npos);
    s.sequenceHeader = kFrameBytes;
    Follow(ShowSequenceFrame(s, 0, REQUEST_BY_COMMAND));
    const std::vector<uint8_t> second = Frame(1);
    EXPECT_EQ(std::vector<uint8_t>(s.frameBuffer, s.frameBuffer + kW * kH),
              std::vector<uint8_t>(second.begin(), second.begin() + kW * kH))
        << "read after its header";
}

// XCOLORRANGE picks the range of a standard's matrix the user chose, and
// leaves the library's own conversion alone; the frame shows in it.
TEST_F(Y4mPlayback, TheHeadersRangePicksTheChosenMatrixsForm) {
    files_.Put("full.y4m", Y4m("YUV4MPEG2 W8 H4 F25:1 C420jpeg XCOLORRANGE=FULL\n"));
    ChooseColourMatrix(s, MATRIX_BT709_FULL);
    WindowActions a = Follow(OpenSequence(s, "clip.y4m"));
    EXPECT_EQ(s.colourMatrix, uint32_t{MATRIX_BT709_LIMITED});
    EXPECT_EQ(MenuFor(s).matrixChecked, uint32_t{MATRIX_BT709_LIMITED});
    ASSERT_EQ(a.display.call, DISPLAY_PICTURE);
    std::vector<uint8_t> expected(54 + 8 * 4 * 3);
    std::vector<uint8_t> planes = Frame(0);
    SignChroma(planes.data(), s.sequencePlan);
    const int8_t* chroma = reinterpret_cast<const int8_t*>(planes.data());
    ConvertYUV2BitmapMatrix(TYPE_YUV420, 8, 4, planes.data(), chroma + 32, chroma + 40, MATRIX_BT709_LIMITED,
                            expected.data());
    for (size_t i = 0; i < 8 * 4; ++i) { // 32-bit pixels shown, 24-bit converted
        ASSERT_EQ(memcmp(a.display.data + 4 * i, &expected[54 + 3 * i], 3), 0) << "pixel " << i;
    }

    ChooseColourMatrix(s, MATRIX_BT2020_LIMITED);
    Follow(OpenSequence(s, "full.y4m"));
    EXPECT_EQ(s.colourMatrix, uint32_t{MATRIX_BT2020_FULL});
    ChooseColourMatrix(s, MATRIX_LIBRARY);
    a = Follow(OpenSequence(s, "full.y4m"));
    EXPECT_EQ(s.colourMatrix, uint32_t{MATRIX_LIBRARY});
    EXPECT_EQ(a.display.call, DISPLAY_YUV_IMAGE);
    ChooseColourMatrix(s, MATRIX_BT2020_FULL + 1);
    EXPECT_EQ(s.colourMatrix, uint32_t{MATRIX_LIBRARY});
}

TEST_F(Y4mPlayback, DeepAlphaAndRatelessHeaders) {
    // 10 bits: words shown by the 8-bit rule; the rate stays without F.
    std::string header = "YUV4MPEG2 W8 H2 C420p10\nFRAME\n";
    std::vector<uint8_t> file(header.begin(), header.end());
    for (uint32_t i = 0; i < 8 * 2 * 3 / 2; ++i) {
        file.push_back(static_cast<uint8_t>((i * 8 + 2) & 0xFF)); // 4i + 0.5 at 8 bits, rounded up
        file.push_back(static_cast<uint8_t>((i * 8 + 2) >> 8));
    }
    files_.Put("deep.y4m", file);
    const double rate = s.frameRate;
    Follow(OpenSequence(s, "deep.y4m"));
    EXPECT_STREQ(s.title, "Vorlex - deep.y4m [8x2, 4:2:0 10-bit from the Y4M header]");
    EXPECT_EQ(s.frameRate, rate);
    for (uint32_t i = 0; i < 8 * 2; ++i) {
        ASSERT_EQ(s.frameBuffer[i], 2 * i + 1) << i;
    }

    // 4:4:4 with alpha: the colour planes are shown, saved and counted.
    header = "YUV4MPEG2 W4 H1 F25:1 C444alpha\n";
    file.assign(header.begin(), header.end());
    for (int f = 0; f < 2; ++f) {
        const std::string frame = "FRAME\nYYYYUUUUVVVVAAAA";
        file.insert(file.end(), frame.begin(), frame.end());
    }
    files_.Put("alpha.y4m", file);
    Follow(OpenSequence(s, "alpha.y4m"));
    EXPECT_STREQ(s.title, "Vorlex - alpha.y4m [4x1, 4:4:4, 25 fps from the Y4M header]");
    EXPECT_EQ(SequenceFrameCount(s), 2u);
    snprintf(s.saveFileName, sizeof s.saveFileName, "saved");
    s.currentFrame = 1;
    SaveFrameAccepted(s, false);
    const std::string planes = "YYYYUUUUVVVV";
    EXPECT_EQ(files_.Get("saved"), std::vector<uint8_t>(planes.begin(), planes.end()));
}

TEST_F(Y4mPlayback, RefusedHeadersChangeNothing) {
    Follow(OpenSequence(s, "raw.yuv"));
    const PlayerState before = s;
    const struct {
        const char* header;
        const char* message;
    } cases[] = {
        {"YUV4MPEG2 W8 H4 Cxyz\n", "Unsupported Y4M colour space 'xyz'!"},
        {"YUV4MPEG2 W8 H4 C420p8\n", "Unsupported Y4M colour space '420p8'!"},
        {"YUV4MPEG2 W2048 H4\n", "Frame size too large!"},
        {"YUV4MPEG2 W6 H4\n", "Frame width must be a multiple of 4!"},
        {"YUV4MPEG2 H4\n", "Y4M header lacks the frame size!"},
    };
    for (const auto& c : cases) {
        files_.Put("bad.y4m", Y4m(c.header));
        const WindowActions a = OpenSequence(s, "bad.y4m");
        EXPECT_STREQ(a.message, c.message) << c.header;
        EXPECT_FALSE(a.requestFrame || a.setTitle || a.indexFrames);
        EXPECT_STREQ(s.title, before.title);
        EXPECT_EQ(s.openFile.context, before.openFile.context) << "the open file stays";
        EXPECT_EQ(s.frameWidth, before.frameWidth);
        EXPECT_EQ(s.sequenceBits, before.sequenceBits);
    }
}

TEST_F(Y4mPlayback, LinesOutOfPlaceAreIndexedAndDamageEndsTheSequence) {
    // Every line with parameters: indexed at the open, before frame 0 shows.
    files_.Put("params.y4m", Y4m(kHeader, {"FRAME Ip XA=1\n"}));
    WindowActions a = OpenSequence(s, "params.y4m");
    EXPECT_TRUE(a.indexFrames && !a.requestFrame && a.setTitle);
    Follow(a);
    ExpectShown(0);
    EXPECT_EQ(SequenceFrameCount(s), kFrames);

    // A damaged third line, with the first and last in place: found when
    // playback reaches it, which ends there with the message.
    files_.Put("damaged.y4m", Y4m(kHeader, {"FRAME\n", "FRAME\n", "FRAMX\n", "FRAME\n"}));
    Follow(OpenSequence(s, "damaged.y4m"));
    Follow(PlayCommand(s));
    ExpectShown(0);
    Follow(TimerTick(s));
    ExpectShown(1);
    a = ShowSequenceFrame(s, 2, REQUEST_BY_PLAYBACK);
    EXPECT_TRUE(a.indexFrames && !a.display.call) << "nothing read from behind the bad line";
    a = Follow(a);
    EXPECT_STREQ(a.message, "Damaged Y4M frame line after frame 1: the sequence ends there.");
    EXPECT_FALSE(s.playing);
    ExpectShown(1);
    EXPECT_EQ(SequenceFrameCount(s), 2u);
    EXPECT_STREQ(Follow(PressKey(s, FRAME_KEY_LAST, SequenceFrameCount(s))).message, nullptr);
    ExpectShown(1);

    // Cancelled indexing shows what was found and tries again later.
    files_.Put("params.y4m", Y4m(kHeader, {"FRAME Ip\n"}));
    a = OpenSequence(s, "params.y4m");
    ASSERT_EQ(IndexFrames(s, 1), Y4M_INDEX_MORE);
    a = FramesIndexed(s, INDEX_CANCELLED);
    EXPECT_TRUE(a.requestFrame && a.frame == 0 && !a.message);
    Follow(a);
    ExpectShown(0);
    a = ShowSequenceFrame(s, 3, REQUEST_BY_COMMAND);
    EXPECT_TRUE(a.indexFrames);
    EXPECT_TRUE(FramesIndexed(s, INDEX_CANCELLED).message == nullptr);
    Follow(ShowSequenceFrame(s, 3, REQUEST_BY_COMMAND));
    ExpectShown(3);
}

TEST_F(Y4mPlayback, ComparingInEachDirection) {
    std::vector<uint8_t> other = Y4m(kHeader, {"FRAME Ib\n"});
    other[other.size() - kFrameBytes + 5] ^= 1; // frame 3, luma (5, 0)
    files_.Put("other.y4m", other);
    std::vector<uint8_t> raw64(64, 0);
    const std::vector<uint8_t> raw = Raw();
    raw64.insert(raw64.end(), raw.begin(), raw.end());
    files_.Put("raw64.yuv", raw64);
    const struct {
        const char* a;
        const char* b;
        uint32_t header; // the raw files' header setting
    } pairs[] = {{"clip.y4m", "raw.yuv", 0},
                 {"raw.yuv", "clip.y4m", 0},
                 {"raw64.yuv", "other.y4m", 64}, // B's frames start at its first line all the same
                 {"clip.y4m", "other.y4m", 64}};
    for (const auto& p : pairs) {
        SCOPED_TRACE(std::string(p.a) + " against " + p.b);
        Follow(OpenSequence(s, "clip.y4m")); // the header's settings
        s.sequenceHeader = p.header;
        Follow(OpenSequence(s, p.a));
        Follow(CompareWithSequence(s, p.b));
        ASSERT_TRUE(ComparisonActive(s));
        EXPECT_EQ(ComparedFrameCount(s), kFrames);
        EXPECT_FALSE(AnyDifference(s.inspector.diff));
        const bool differs = strcmp(p.b, "other.y4m") == 0;
        const WindowActions a = Follow(PressCompareKey(s, KEY_NEXT_DIFFERENCE));
        EXPECT_EQ(s.frameShown, differs ? 3u : 0u);
        EXPECT_STREQ(s.inspector.status, differs ? "Frame 3: first difference in Y at (5, 0): A 125, B 124"
                                                 : "No more differences.");
        EXPECT_EQ(a.message, nullptr);
    }

    // Headers that disagree start nothing, and end nothing that runs.
    files_.Put("cif.y4m", Y4m("YUV4MPEG2 W16 H4\n"));
    files_.Put("gray.y4m", Y4m("YUV4MPEG2 W8 H4 Cmono\n"));
    EXPECT_STREQ(CompareWithSequence(s, "cif.y4m").message,
                 "The Y4M header of sequence B states 16x4 4:2:0 frames; the open sequence has 8x4 4:2:0 frames!");
    EXPECT_STREQ(CompareWithSequence(s, "gray.y4m").message,
                 "The Y4M header of sequence B states 8x4 Gray frames; the open sequence has 8x4 4:2:0 frames!");
    files_.Put("bad.y4m", Y4m("YUV4MPEG2 W8 H4 C420p17\n"));
    EXPECT_STREQ(CompareWithSequence(s, "bad.y4m").message, "Unsupported Y4M colour space '420p17'!");
    EXPECT_EQ(ComparedFrameCount(s), kFrames) << "the running comparison stays";

    // A damaged line in B is found where it is read, and ends the
    // comparison's frames there; the frame after it, read at its own
    // line, was sound.
    files_.Put("damagedB.y4m", Y4m(kHeader, {"FRAME\n", "FRAME\n", "XRAME\n", "FRAME\n"}));
    Follow(CompareWithSequence(s, "damagedB.y4m"));
    EXPECT_EQ(Follow(PressKey(s, FRAME_KEY_LAST, ComparedFrameCount(s))).message, nullptr);
    ExpectShown(3);
    const WindowActions a = Follow(PressKey(s, FRAME_KEY_PREVIOUS, ComparedFrameCount(s)));
    EXPECT_STREQ(a.message, "Damaged Y4M frame line after frame 1 of sequence B: the comparison ends there.");
    EXPECT_EQ(ComparedFrameCount(s), 2u);
}

// An 8-bit source against its 10-bit decode: the 8-bit samples shifted left
// by 2, the peak 1023. B states its layout in its Y4M header, or in its
// name when Settings from file name is on; packings of one sampling compare
// sample by sample, other samplings are refused.
TEST_F(Y4mPlayback, MixedDepthsAndPackingsCompareSampleBySample) {
    // B: frame f of the test sequence at 10 bits; in frame 1 luma (3, 1) is
    // 3 levels up and V (0, 0) 2 levels down: SSE 9 of 32 and 4 of 8 samples.
    std::string header = "YUV4MPEG2 W8 H4 F25:1 C420p10\n";
    std::vector<uint8_t> ten(header.begin(), header.end());
    for (uint32_t f = 0; f < kFrames; ++f) {
        const std::string line = "FRAME\n";
        ten.insert(ten.end(), line.begin(), line.end());
        std::vector<uint8_t> frame = Frame(f);
        for (uint32_t i = 0; i < kFrameBytes; ++i) {
            uint32_t v = uint32_t{frame[i]} << 2;
            v += f == 1 && i == 1 * kW + 3 ? 3 : 0;
            v -= f == 1 && i == kW * kH + kW * kH / 4 ? 2 : 0;
            ten.push_back(static_cast<uint8_t>(v));
            ten.push_back(static_cast<uint8_t>(v >> 8));
        }
    }
    files_.Put("decoded.y4m", ten);
    Follow(OpenSequence(s, "clip.y4m")); // 8x4 4:2:0, 8 bits
    Follow(OpenSequence(s, "raw.yuv"));
    Follow(CompareWithSequence(s, "decoded.y4m"));
    ASSERT_TRUE(ComparisonActive(s));
    EXPECT_FALSE(AnyDifference(s.inspector.diff)) << "frame 0: equal once shifted";
    Follow(PressCompareKey(s, KEY_NEXT_DIFFERENCE));
    ASSERT_EQ(s.frameShown, 1u);
    const FrameDiff& d = s.inspector.diff;
    EXPECT_EQ(d.planes[0].sse, 9u);
    EXPECT_EQ(d.planes[1].sse, 0u);
    EXPECT_EQ(d.planes[2].sse, 4u);
    PointerMoved(s, true, 3, 1);
    const std::string text = InspectorText(s, nullptr, 0);
    EXPECT_NE(text.find("Compared at 10 bits A shifted left by 2\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Y  PSNR 65.71 dB  max 3"), std::string::npos) << text;
    EXPECT_NE(text.find("V  PSNR 63.21 dB  max 2"), std::string::npos) << text;
    EXPECT_NE(text.find("Y  A 204  B 207  A-B -3"), std::string::npos) << text; // 51 << 2 = 204
    EXPECT_STREQ(s.inspector.status, "Frame 1: first difference in Y at (3, 1): A 204, B 207");

    // The views show each frame at 8 bits: B's 207 rounds to 52, A's 204
    // is 51. The statistics name the depth.
    EXPECT_EQ(s.frameBuffer[kW + 3], 51);
    Follow(PressCompareKey(s, KEY_FLIP_VIEW));
    EXPECT_EQ(s.frameBuffer[kW + 3], 52);
    EXPECT_EQ(s.frameBuffer[kW + 4], 52) << "the samples beside it alike in both";
    CompareStatistics* stats = StartComparisonStatistics(s);
    ASSERT_NE(stats, nullptr);
    while (StepStatistics(stats) == STATS_MORE) {
    }
    const std::string table = StatisticsText(*stats, ',');
    EXPECT_NE(table.find("\r\n1,65.71,identical,63.21,nan,nan,nan,nan,nan,3,2\r\n"), std::string::npos) << table;
    EXPECT_NE(table.find("\r\nCompared at,10 bits,A shifted left by 2\r\n"), std::string::npos) << table;
    FreeStatistics(stats);

    // Named layouts, with Settings from file name: NV12 and P010 of the
    // same frames are equal to the planar A; another sampling is refused.
    std::vector<uint8_t> nv12, p010;
    for (uint32_t f = 0; f < kFrames; ++f) {
        const std::vector<uint8_t> frame = Frame(f);
        std::vector<uint8_t> n(frame.begin(), frame.begin() + kW * kH);
        for (uint32_t i = 0; i < kW * kH / 4; ++i) {
            n.push_back(frame[kW * kH + i]);
            n.push_back(frame[kW * kH * 5 / 4 + i]);
        }
        nv12.insert(nv12.end(), n.begin(), n.end());
        for (uint8_t v : n) {
            p010.push_back(0); // the value in the high 10 bits: v << 2 << 6
            p010.push_back(v);
        }
    }
    files_.Put("b_nv12.yuv", nv12);
    files_.Put("b_p010.yuv", p010);
    files_.Put("b_8x4_422.yuv", Raw());
    s.settingsFromName = true;
    for (const char* name : {"b_nv12.yuv", "b_p010.yuv"}) {
        SCOPED_TRACE(name);
        Follow(CompareWithSequence(s, name));
        EXPECT_EQ(ComparedFrameCount(s), kFrames);
        EXPECT_EQ(Follow(PressCompareKey(s, KEY_NEXT_DIFFERENCE)).message, nullptr);
        EXPECT_STREQ(s.inspector.status, "No more differences.");
    }
    EXPECT_STREQ(CompareWithSequence(s, "b_8x4_422.yuv").message,
                 "The name of sequence B states 8x4 4:2:2 frames; the open sequence has 8x4 4:2:0 frames!");
    s.settingsFromName = false;
    Follow(CompareWithSequence(s, "b_8x4_422.yuv"));
    EXPECT_EQ(ComparedFrameCount(s), kFrames) << "without the option B is read as A is";
}

// The Inspector's SSIM of the compared frame on screen: 1 with infinite dB
// for equal frames, below 1 for others, and no value where a plane has no
// 8 x 8 window.
TEST_F(Y4mPlayback, TheInspectorShowsTheSsimOfTheFrameOnScreen) {
    std::vector<uint8_t> a(2 * 16 * 8, 100), b = a;
    b[16 * 8 + 20] = 140; // frame 1
    const std::string header = "YUV4MPEG2 W16 H8 Cmono\n";
    std::vector<uint8_t> ya(header.begin(), header.end()), yb = ya;
    for (int f = 0; f < 2; ++f) {
        for (auto* file : {&ya, &yb}) {
            const std::string line = "FRAME\n";
            file->insert(file->end(), line.begin(), line.end());
        }
        ya.insert(ya.end(), a.begin() + f * 128, a.begin() + (f + 1) * 128);
        yb.insert(yb.end(), b.begin() + f * 128, b.begin() + (f + 1) * 128);
    }
    files_.Put("a.y4m", ya);
    files_.Put("b.y4m", yb);
    Follow(OpenSequence(s, "a.y4m"));
    Follow(CompareWithSequence(s, "b.y4m"));
    std::string text = InspectorText(s, nullptr, 0);
    EXPECT_NE(text.find("SSIM  Y 1.000000\n      All 1.000000 (inf)\n"), std::string::npos) << text;
    Follow(PressKey(s, FRAME_KEY_NEXT, ComparedFrameCount(s)));
    text = InspectorText(s, nullptr, 0);
    // Two of the three windows hold the 140: each (2 s1 s2 + c1)(2 covar + c2) /
    // ((s1^2 + s2^2 + c1)(vars + c2)) = 82432416 x 235963 / (82434016 x 336763).
    EXPECT_NE(text.find("SSIM  Y 0.800444\n      All 0.800444 (6.999354)\n"), std::string::npos) << text;

    // The statistics: each frame's SSIM, and the mean of the frames with the
    // dB of that mean, as ffmpeg's last line gives them.
    CompareStatistics* stats = StartComparisonStatistics(s);
    ASSERT_NE(stats, nullptr);
    while (StepStatistics(stats) == STATS_MORE) {
    }
    const std::string table = StatisticsText(*stats, ',');
    FreeStatistics(stats);
    EXPECT_NE(table.find("Frame,Y PSNR (dB),Y SSIM,All SSIM,All SSIM (dB),Max difference,Differing samples\r\n"
                         "0,identical,1.000000,1.000000,inf,0,0\r\n"
                         "1,37.16,0.800444,0.800444,6.999354,40,1\r\n"),
              std::string::npos)
        << table;
    EXPECT_NE(table.find("\r\nMean SSIM,0.900222,0.900222,10.009654\r\n"), std::string::npos) << table;
    EXPECT_EQ(text.find("SSIM  Y 1.000000"), std::string::npos) << text;

    Follow(OpenSequence(s, "clip.y4m")); // 8 x 4: no window
    Follow(CompareWithSequence(s, "raw.yuv"));
    text = InspectorText(s, nullptr, 0);
    EXPECT_NE(text.find("SSIM: a plane is under 8 x 8 samples\n"), std::string::npos) << text;
}

} // namespace
