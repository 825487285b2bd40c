// The command lines of the player, vorlex.exe [options] [A [B]], and of the
// comparison tool, vorlex-compare [options] A B. A file given alone to the
// player opens as a dropped file does (what "Open with" and a file
// association pass); a second one is compared with it. The options set what
// the Frame and Sequence dialogs set, before A opens; the tool has a few
// more of its own.
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
    bool fromName;        // --from-name: Settings from file name on
    const char* files[2]; // A and B, null when not given
    // The comparison tool's own options.
    const char* output; // -o FILE, null for standard output
    bool psnr, ssim;    // --metrics psnr,ssim (both when not given)
    bool hasFrames;     // --frames FIRST:COUNT
    uint32_t first, count;
};

enum CommandLineKind { PLAYER_COMMAND_LINE, COMPARE_COMMAND_LINE };

// The usage of each, shown under what was wrong.
extern const char* const CommandLineUsage;
extern const char* const CompareToolUsage;

// Reads the arguments after the program's name. Returns 1 and fills *line
// when every argument is understood (the tool needs both files); otherwise
// 0, with `message` (of `size` bytes) saying which argument was wrong and
// why, then the usage.
int ParseCommandLine(int argc, const char* const* argv, CommandLine* line, char* message, size_t size,
                     CommandLineKind kind = PLAYER_COMMAND_LINE);

#endif
