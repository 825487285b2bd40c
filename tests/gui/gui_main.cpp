// The GUI tests of vorlex.exe. The one argument is the Unix path of an empty
// folder for the test files; files that an independent reader must check
// afterwards are left there (see check_saved_bitmaps.py).
#include <gtest/gtest.h>
#include <stdio.h>

#include "gui_fixture.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        fprintf(stderr, "usage: %s UNIX_FOLDER\n", argv[0]);
        return 2;
    }
    WorkFolder = WindowsFolder(argv[1]);
    return RUN_ALL_TESTS();
}
