// Sets the library's state up as its load-time initialisation does, then runs
// the tests.
#include <gtest/gtest.h>

#include "conversion_tables.h"
#include "kernel_choice.h"

int main(int argc, char** argv) {
    MmxAvailable = DetectMmx();
    VectorLevel = DetectVectorLevel();
    BuildConversionTables();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
