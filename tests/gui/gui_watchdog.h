// Ends a GUI test that runs too long, and says where it was. When a test
// passes its limit, the watchdog prints the test's name, the driver's last
// step and what the player shows, ends the player and fails the test; every
// driver wait then gives up at once, so the test soon ends and the suite
// goes on. A test still running a few seconds later is stuck in code of its
// own, which no other thread can unwind: the watchdog then writes the names
// of the tests after it (a gtest filter) to a file and ends the program with
// kHungExitCode, and run_gui_tests.sh runs those tests in a new program.
#ifndef VORLEX_GUI_WATCHDOG_H
#define VORLEX_GUI_WATCHDOG_H

#include <windows.h>

#include <string>

const int kHungExitCode = 3;

// Starts the watchdog for RUN_ALL_TESTS; `testsAfterHang` names the file.
void StartWatchdog(DWORD limitMs, const std::string& testsAfterHang);

#endif
