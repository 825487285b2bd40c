// The player's command line: vorlex.exe [options] [A [B]]. A file given
// alone opens as a dropped file does (what "Open with" and a file
// association pass); a second one is compared with it. The options set what
// the Frame and Sequence dialogs set, before A opens.
#ifndef VORLEX_COMMAND_LINE_H
#define VORLEX_COMMAND_LINE_H

#include <stddef.h>
#include <stdint.h>

#include "sequence_layout.h"

struct CommandLine {
    bool hasSize; // -s WxH
    uint32_t width, height;
    bool hasLayout; // -l WORD: a layout word of the file-name rules
    SequenceLayout layout;
    bool hasRate; // -r RATE, as the Sequence dialog takes it
    char rateText[16];
    bool hasHeader; // --header N
    uint32_t header;
    bool fromName;       // --from-name: Settings from file name on
    const char* files[2]; // A and B, null when not given
};

// The usage, as the message box shows it under what was wrong.
extern const char* const CommandLineUsage;

// Reads the arguments after the program's name. Returns 1 and fills *line
// when every argument is understood; otherwise 0, with `message` (of `size`
// bytes) saying which argument was wrong and why, then the usage.
int ParseCommandLine(int argc, const char* const* argv, CommandLine* line, char* message, size_t size);

#endif
