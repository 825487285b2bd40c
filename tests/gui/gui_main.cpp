// The GUI tests of vorlex.exe. The one argument is the Unix path of an empty
// folder for the test files; files that an independent reader must check
// afterwards are left there (see check_saved_bitmaps.py).
#include <gtest/gtest.h>

#include "gui_fixture.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (const int status = PrepareWorkFolder(argc, argv, {}, &WorkFolder, nullptr)) {
        return status;
    }
    return RUN_ALL_TESTS();
}
