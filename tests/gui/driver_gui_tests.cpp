// The driver itself: it gives up on a player that stopped answering, and
// its watchdog ends tests that hang. The planted hangs are disabled; the
// watchdog's check (check_watchdog.sh) runs them by name with
// --gtest_also_run_disabled_tests and a short --watchdog-seconds.
#include <functional>

#include "gui_fixture.h"

namespace {

class Driver : public PlayerTest {};

// A crashed player stays stopped while a debugger holds it. Here this
// program attaches as the player's debugger and never answers: Wine then
// carries out no work on the player's process, and its windows answer no
// message.
TEST_F(Driver, GivesUpOnAPlayerThatStoppedAnswering) {
    HWND dialog = OpenDialog(CMD_SEQUENCE_OPTION, "Sequence Option");
    ASSERT_NE(dialog, nullptr);
    ASSERT_FALSE(Grayed(CMD_EXIT)); // loads the probe
    ASSERT_TRUE(DebugActiveProcess(player_.info.dwProcessId));
    DebugSetProcessKillOnExit(FALSE);
    const struct {
        const char* call;
        std::function<bool()> failed;
    } calls[] = {
        {"DropFiles", [&] { return !DropFiles(player_, {WorkPath("any.bmp")}); }},
        {"MenuState", [&] { return MenuState(player_, CMD_PLAY) == kMenuQueryFailed; }},
        {"Field", [&] { return Field(dialog, 110).empty(); }},
        {"SetField", [&] { return !SetField(dialog, 110, "25"); }},
        {"Checked", [&] { return !Checked(dialog, 105); }},
    };
    for (const auto& c : calls) {
        const DWORD start = GetTickCount();
        EXPECT_TRUE(c.failed()) << c.call;
        // The driver's bounds are 3 and 5 s.
        EXPECT_LT(GetTickCount() - start, 8000u) << c.call;
    }
    // What a watchdog would report.
    EXPECT_NE(DescribePlayers().find("held by a debugger"), std::string::npos) << DescribePlayers();
    EXPECT_TRUE(DebugActiveProcessStop(player_.info.dwProcessId));
}

class Watchdog : public PlayerTest {};

const char kNeverShown[] = "Never shown";

// Waits in the driver far beyond any limit, with a dialog open; that wait
// gives up once the watchdog has ended the player, and the test ends by
// itself.
TEST_F(Watchdog, DISABLED_EndsADriverWait) {
    ASSERT_NE(OpenDialog(CMD_FRAME_OPTIONS, "Frame Options"), nullptr);
    EXPECT_EQ(WaitForDialog(player_, kNeverShown, player_.window, 24 * 3600 * 1000), nullptr);
}

// Loops for ever in its own code: the watchdog must end the program.
TEST_F(Watchdog, DISABLED_EndsTheProgramWhenATestLoopsForEver) {
    while (!WaitForDialog(player_, kNeverShown, player_.window, 1000)) {
    }
}

// Runs after the hangs, in a new program: a new player answers.
TEST_F(Watchdog, DISABLED_LaterTestsStillRun) { EXPECT_TRUE(ControlGrayed()); }

} // namespace
