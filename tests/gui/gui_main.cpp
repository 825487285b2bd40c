// The GUI tests of vorlex.exe.
//   gui_tests.exe [gtest flags] [--watchdog-seconds=N] UNIX_FOLDER
// The folder is empty at first and receives the test files; files that an
// independent reader must check afterwards are left there (see
// check_saved_bitmaps.py), and so is the list of the tests still to run
// when one hung (see gui_watchdog.h). A test may run 60 s by default.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include "gui_fixture.h"
#include "gui_watchdog.h"

namespace {

const char kLimitFlag[] = "--watchdog-seconds=";

// The watchdog's limit, taken out of the arguments.
DWORD TakeLimitMs(int* argc, char** argv) {
    DWORD seconds = 60;
    int kept = 1;
    for (int i = 1; i < *argc; ++i) {
        if (strncmp(argv[i], kLimitFlag, sizeof kLimitFlag - 1) == 0) {
            seconds = strtoul(argv[i] + sizeof kLimitFlag - 1, nullptr, 10);
        } else {
            argv[kept++] = argv[i];
        }
    }
    *argc = kept;
    return (seconds ? seconds : 60) * 1000;
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const DWORD limitMs = TakeLimitMs(&argc, argv);
    if (const int status = PrepareWorkFolder(argc, argv, {}, &WorkFolder, nullptr)) {
        return status;
    }
    StartWatchdog(limitMs, WorkPath("tests-after-hang.txt"));
    return RUN_ALL_TESTS();
}
