// The player's command line: what each argument sets, what each bad one
// gets, and the settings taken before the files open.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_line.h"
#include "display.h"
#include "playback.h"
#include "player_state.h"

namespace {

struct Parsed {
    int ok;
    CommandLine line;
    std::string message;
};

Parsed Parse(std::vector<const char*> args) {
    Parsed p;
    char message[1024];
    p.ok = ParseCommandLine(static_cast<int>(args.size()), args.data(), &p.line, message, sizeof message);
    p.message = message;
    return p;
}

TEST(CommandLine, EachOptionSetsItsSetting) {
    Parsed p = Parse({"-s", "1920x1080", "-l", "YUV420P10LE", "-r", "29.97", "--header", "64", "--from-name",
                      "a.yuv", "b.y4m"});
    ASSERT_TRUE(p.ok) << p.message;
    EXPECT_TRUE(p.line.hasSize && p.line.width == 1920 && p.line.height == 1080);
    EXPECT_TRUE(p.line.hasLayout && p.line.layout.type == TYPE_YUV420 && p.line.layout.bits == 10);
    EXPECT_TRUE(p.line.hasRate);
    EXPECT_STREQ(p.line.rateText, "29.97");
    EXPECT_TRUE(p.line.hasHeader && p.line.header == 64);
    EXPECT_TRUE(p.line.fromName);
    EXPECT_STREQ(p.line.files[0], "a.yuv");
    EXPECT_STREQ(p.line.files[1], "b.y4m");

    p = Parse({});
    EXPECT_TRUE(p.ok && !p.line.files[0] && !p.line.hasSize && !p.line.fromName) << "nothing given, nothing set";
    p = Parse({"C:\\clips\\a file.yuv"});
    EXPECT_TRUE(p.ok && p.line.files[0] && !p.line.files[1]);
    p = Parse({"--", "-odd name.yuv"});
    EXPECT_TRUE(p.ok);
    EXPECT_STREQ(p.line.files[0], "-odd name.yuv");
}

TEST(CommandLine, EachBadArgumentGetsItsReasonAndTheUsage) {
    const struct {
        std::vector<const char*> args;
        const char* reason;
    } cases[] = {
        {{"-s"}, "A value must follow: -s"},
        {{"a.yuv", "--header"}, "A value must follow: --header"},
        {{"-s", "1920"}, "A size is WxH, such as 1920x1080: 1920"},
        {{"-s", "x1080"}, "A size is WxH, such as 1920x1080: x1080"},
        {{"-s", "1920x"}, "A size is WxH, such as 1920x1080: 1920x"},
        {{"-s", "4000x4000"}, "Frame size too large!: 4000x4000"},
        {{"-s", "0x16"}, "Frame size must not be zero!: 0x16"},
        {{"-s", "350x288"}, "Frame width must be a multiple of 4!: 350x288"},
        {{"-l", "yuv999"}, "Unknown layout: yuv999"},
        {{"-r", "0"}, "Invalid sequence frame rate!: 0"},
        {{"-r", "fast"}, "Invalid sequence frame rate!: fast"},
        {{"--header", "-1"}, "A header is a number of bytes: -1"},
        {{"--header", "99999999999"}, "A header is a number of bytes: 99999999999"},
        {{"-x"}, "Unknown option: -x"},
        {{"a", "b", "c"}, "More than two files: c"},
    };
    for (const auto& c : cases) {
        const Parsed p = Parse(c.args);
        EXPECT_FALSE(p.ok) << c.reason;
        EXPECT_EQ(p.message, std::string(c.reason) + "\n\n" + CommandLineUsage);
    }
}

TEST(CommandLine, SettingsAreTakenBeforeTheFilesOpen) {
    PlayerState s{};
    ASSERT_TRUE(InitPlayerState(s));
    Parsed p = Parse({"-s", "352x288", "-l", "nv12", "-r", "25", "--header", "8", "--from-name"});
    ASSERT_TRUE(p.ok);
    WindowActions a = ApplyCommandLine(s, p.line);
    EXPECT_TRUE(a.fitWindow && a.fitWidth == 352 && a.fitHeight == 288 && a.restartTimer);
    EXPECT_EQ(s.framePreset, 2u) << "CIF";
    EXPECT_EQ(s.sequencePacking, PACKING_NV12);
    EXPECT_EQ(s.timerPeriod, 40u);
    EXPECT_EQ(s.sequenceHeader, 8u);
    EXPECT_TRUE(s.settingsFromName);
    EXPECT_EQ(s.storedPlan.frameBytes, 352u * 288 * 3 / 2);
    // A second file needs a sequence to compare with.
    EXPECT_STREQ(CompareWithSecondFile(s, "b.yuv").message, "Only a sequence compares with a second file!");
    ReleasePlayerState(s);
}

} // namespace
