// vorlex-compare: compares two sequences for scripts (compare_tool.h).
#include <stdio.h>

#include <thread>

#include "compare_tool.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    // The table's lines end in CR LF already: standard output must not add
    // another CR.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const unsigned cores = std::thread::hardware_concurrency();
    return RunCompareTool(argc - 1, argv + 1, stdout, stderr, cores ? cores : 1);
}
