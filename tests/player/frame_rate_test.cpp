#include <gtest/gtest.h>
#include <locale.h>
#include <math.h>

#include <limits>
#include <string>

#include "frame_rate.h"
#include "player_state.h"

namespace {

TEST(TimerPeriod, ListedRates) {
    EXPECT_EQ(TimerPeriodFor(30.0), 33u);
    EXPECT_EQ(TimerPeriodFor(29.97), 33u);
    EXPECT_EQ(TimerPeriodFor(25.0), 40u);
    EXPECT_EQ(TimerPeriodFor(24.0), 41u);
    EXPECT_EQ(TimerPeriodFor(15.0), 66u);
    EXPECT_EQ(TimerPeriodFor(12.5), 80u);
    EXPECT_EQ(TimerPeriodFor(7.5), 133u);
    EXPECT_EQ(TimerPeriodFor(1000.0), 1u);
    EXPECT_EQ(TimerPeriodFor(0.001), 1000000u);
}

TEST(TimerPeriod, QuotientIsRoundedToDoubleBeforeTruncation) {
    // For rate = 1000 / k (as a double), 1000 / rate lies just below k. For
    // these k its double-precision value is k itself, which extended
    // precision would miss by one.
    for (uint32_t k : {7,  9,  14, 18, 21, 23, 27, 28,  33,  35,  36,  37,  39,  41, 42, 46,
                       53, 54, 56, 63, 65, 66, 67, 69,  70,  71,  72,  74,  75,  78, 82, 83,
                       84, 85, 89, 91, 92, 95, 97, 106, 107, 108, 109, 111, 112, 119}) {
        EXPECT_EQ(TimerPeriodFor(1000.0 / k), k) << k;
    }
    // For these the double-precision quotient stays below k.
    for (uint32_t k : {15, 29, 30, 51, 55, 57, 58, 59, 60, 102, 110, 114, 116, 118, 120}) {
        EXPECT_EQ(TimerPeriodFor(1000.0 / k), k - 1) << k;
    }
}

TEST(TimerPeriod, RatesWithoutAUsablePeriod) {
    const double inf = std::numeric_limits<double>::infinity();
    const double unusable[] = {0.0, -0.0, -5.0, -inf, inf, std::nan(""), 1e9, 1000.5,
                               // Periods of 2^32 ms and more.
                               1e-300, 1000.0 / 4294967296.0, 5e-324};
    for (double rate : unusable) {
        EXPECT_EQ(TimerPeriodFor(rate), 0u) << rate;
        EXPECT_FALSE(FrameRateUsable(rate)) << rate;
    }
    const double usable[] = {30.0, 1000.0, 1e-6, 1000.0 / 4294967295.0};
    for (double rate : usable) {
        EXPECT_TRUE(FrameRateUsable(rate)) << rate;
    }
    EXPECT_EQ(TimerPeriodFor(1000.0 / 4294967295.0), 4294967295u);
}

struct TextCase {
    const char* text;
    double rate;
};

const TextCase kTexts[] = {
    {"30.0", 30.0},
    {"25fps", 25.0},
    {" 29.97", 29.97},
    {"12.5", 12.5},
    {"abc", 0.0},
    {"", 0.0},
    {"-5", -5.0},
    {"1e9", 1e9},
    {"\t+7.5x", 7.5},
    {".5", 0.5},
    {"5.", 5.0},
    {"1.5e-1", 0.15},
    {"2,5", 2.0},
    {"1.5.3", 1.5},
    {"e5", 0.0},
    // More digits than a double holds: correctly rounded.
    {"0.1000000000000000055511151231257827", 0.1},
};

void ExpectTexts() {
    for (const TextCase& c : kTexts) {
        EXPECT_EQ(FrameRateFromText(c.text), c.rate) << '"' << c.text << '"';
    }
}

TEST(FrameRateText, ConvertsAsTheCLibraryDoes) {
    ExpectTexts();
    EXPECT_EQ(FrameRateFromText(nullptr), 0.0);
    // "1e9" converts, but gives no usable period.
    EXPECT_FALSE(FrameRateUsable(FrameRateFromText("1e9")));
    EXPECT_FALSE(FrameRateUsable(FrameRateFromText("-5")));
    EXPECT_EQ(TimerPeriodFor(FrameRateFromText("25fps")), 40u);
}

// Restores the numeric locale of the process when the test ends.
class NumericLocale {
public:
    NumericLocale() : saved_(setlocale(LC_NUMERIC, nullptr)) {}
    ~NumericLocale() { setlocale(LC_NUMERIC, saved_.c_str()); }
    // Sets a locale whose decimal point is not "."; false when none is there.
    bool SetCommaLocale() {
        const char* names[] = {"de_DE.UTF-8", "de_DE.utf8",          "de_DE", "fr_FR.UTF-8",
                               "German",      "German_Germany.1252", "de-DE"};
        for (const char* name : names) {
            if (setlocale(LC_NUMERIC, name) && std::string(localeconv()->decimal_point) != ".") {
                return true;
            }
        }
        return false;
    }

private:
    std::string saved_;
};

TEST(FrameRateText, DoesNotDependOnTheLocale) {
    NumericLocale locale;
    if (!locale.SetCommaLocale()) {
        GTEST_SKIP() << "no locale with a comma decimal point is installed";
    }
    ExpectTexts();
    EXPECT_EQ(FrameRateFromText("12,5"), 12.0);
    // Long texts take another path of the conversion.
    EXPECT_EQ(FrameRateFromText("                                                      12.5fps"), 12.5);
    EXPECT_EQ(FrameRateFromText("00000000000000000000000000000000000000000000000000000000000000012.5"), 12.5);
}

TEST(FrameRateText, SetStoresAtMost15Characters) {
    PlayerState s{};
    ASSERT_TRUE(InitPlayerState(s));
    SetFrameRateText(s, "12.5");
    EXPECT_STREQ(s.frameRateText, "12.5");
    EXPECT_EQ(s.frameRate, 12.5);
    SetFrameRateText(s, "0.0000000000000012345");
    EXPECT_STREQ(s.frameRateText, "0.0000000000000");
    EXPECT_EQ(s.frameRate, 0.0);
    SetFrameRateText(s, nullptr);
    EXPECT_STREQ(s.frameRateText, "");
    ReleasePlayerState(s);
}

} // namespace
