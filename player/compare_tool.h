// vorlex-compare [options] A B: the player's comparison without a window,
// for scripts. A and B open as the player opens them (a Y4M file by its
// header, B's own layout where it states one); every frame both have, or
// the range asked for, is measured on every core, and the table is written
// as the statistics dialog saves it. The summary goes to standard error.
#ifndef VORLEX_COMPARE_TOOL_H
#define VORLEX_COMPARE_TOOL_H

#include <stdio.h>

// Exit statuses, as cmp gives them.
enum { COMPARE_IDENTICAL = 0, COMPARE_DIFFERENT = 1, COMPARE_TROUBLE = 2 };

// Runs the tool on the arguments after the program's name, writing the CSV
// to `out` (unless -o names a file) and messages to `err`; `threads` frames
// are measured at a time (at least 1).
int RunCompareTool(int argc, const char* const* argv, FILE* out, FILE* err, unsigned threads);

#endif
