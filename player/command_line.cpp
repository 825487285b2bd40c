#include "command_line.h"

#include <stdio.h>
#include <string.h>

#include "option_rules.h"

const char* const CommandLineUsage = "Usage: vorlex.exe [options] [A [B]]\n"
                                     "  A            a sequence or image to open, as a dropped file opens\n"
                                     "  B            a sequence to compare with A\n"
                                     "  -s WxH       frame size (1920x1080)\n"
                                     "  -l LAYOUT    layout: 420, 422, 444, 411, gray, rgb, bgr, nv12, nv21,\n"
                                     "               p010, yuyv, uyvy, yuv420p10le and the like\n"
                                     "  -r RATE      frame rate (29.97)\n"
                                     "  --header N   bytes before the first frame of a raw sequence\n"
                                     "  --from-name  take size, layout and rate from file names\n"
                                     "  --           what follows are files, even if they start with -";

const char* const CompareToolUsage =
    "Usage: vorlex-compare [options] A B\n"
    "  Compares sequence B with A frame by frame and writes the table as CSV.\n"
    "  Exit status: 0 identical, 1 different, 2 trouble.\n"
    "  -o FILE             write the CSV to FILE instead of standard output\n"
    "  --metrics LIST      psnr, ssim or psnr,ssim (the default)\n"
    "  --frames FIRST:COUNT  compare COUNT frames from frame FIRST\n"
    "  -s WxH              frame size (1920x1080)\n"
    "  -l LAYOUT           layout: 420, 422, 444, 411, gray, rgb, bgr, nv12, nv21,\n"
    "                      p010, yuyv, uyvy, yuv420p10le and the like\n"
    "  -r RATE             frame rate\n"
    "  --header N          bytes before the first frame of a raw sequence\n"
    "  --from-name         take size, layout and rate from file names\n"
    "  --                  what follows are files, even if they start with -";

namespace {

// A whole decimal number below 2^32.
bool ReadNumber(const char* text, uint32_t* value) {
    uint64_t v = 0;
    if (!*text) {
        return false;
    }
    for (; *text; ++text) {
        if (*text < '0' || *text > '9' || (v = v * 10 + static_cast<uint32_t>(*text - '0')) > 0xFFFFFFFFu) {
            return false;
        }
    }
    *value = static_cast<uint32_t>(v);
    return true;
}

// Two numbers split at the first of `separators`: "1920x1080", "0:60".
bool ReadNumberPair(const char* text, const char* separators, uint32_t* a, uint32_t* b) {
    const char* split = strpbrk(text, separators);
    if (!split || split == text || static_cast<size_t>(split - text) > 10) {
        return false;
    }
    char head[12];
    memcpy(head, text, static_cast<size_t>(split - text));
    head[split - text] = '\0';
    return ReadNumber(head, a) && ReadNumber(split + 1, b);
}

// "WxH" (or "WXH").
bool ReadSize(const char* text, uint32_t* w, uint32_t* h) { return ReadNumberPair(text, "xX", w, h); }

// "psnr", "ssim", "psnr,ssim" or "ssim,psnr".
bool ReadMetrics(const char* text, bool* psnr, bool* ssim) {
    *psnr = *ssim = false;
    const char* part = text;
    for (;;) {
        const char* comma = strchr(part, ',');
        const size_t n = comma ? static_cast<size_t>(comma - part) : strlen(part);
        if (n == 4 && strncmp(part, "psnr", 4) == 0) {
            *psnr = true;
        } else if (n == 4 && strncmp(part, "ssim", 4) == 0) {
            *ssim = true;
        } else {
            return false;
        }
        if (!comma) {
            return true;
        }
        part = comma + 1;
    }
}

// "FIRST:COUNT" with COUNT above 0.
bool ReadFrames(const char* text, uint32_t* first, uint32_t* count) {
    return ReadNumberPair(text, ":", first, count) && *count > 0;
}

// The lower-case copy of a layout word; false when it is too long to be one.
bool LowerWord(const char* text, char* word, size_t size) {
    size_t n = 0;
    for (; text[n]; ++n) {
        if (n + 1 >= size) {
            return false;
        }
        word[n] = text[n] >= 'A' && text[n] <= 'Z' ? static_cast<char>(text[n] - 'A' + 'a') : text[n];
    }
    word[n] = '\0';
    return true;
}

} // namespace

int ParseCommandLine(int argc, const char* const* argv, CommandLine* line, char* message, size_t size,
                     CommandLineKind kind) {
    memset(line, 0, sizeof *line);
    line->psnr = line->ssim = true;
    if (size) {
        message[0] = '\0';
    }
    const bool tool = kind == COMPARE_COMMAND_LINE;
    // What was wrong, with which argument, then the usage.
    auto refuse = [&](const char* what, const char* argument) {
        if (size) {
            snprintf(message, size, "%s%s%s\n\n%s", what, argument ? ": " : "", argument ? argument : "",
                     tool ? CompareToolUsage : CommandLineUsage);
        }
        return 0;
    };
    int files = 0;
    bool options = true; // until "--": a file's name may start with '-' after it
    for (int i = 0; i < argc; ++i) {
        const char* arg = argv[i];
        if (options && strcmp(arg, "--") == 0) {
            options = false;
            continue;
        }
        if (!options) {
            if (files == 2) {
                return refuse("More than two files", arg);
            }
            line->files[files++] = arg;
            continue;
        }
        const bool toolOption =
            tool && (strcmp(arg, "-o") == 0 || strcmp(arg, "--metrics") == 0 || strcmp(arg, "--frames") == 0);
        const bool takesValue = toolOption || strcmp(arg, "-s") == 0 || strcmp(arg, "-l") == 0 ||
                                strcmp(arg, "-r") == 0 || strcmp(arg, "--header") == 0;
        if (takesValue && i + 1 >= argc) {
            return refuse("A value must follow", arg);
        }
        const char* value = takesValue ? argv[++i] : nullptr;
        if (strcmp(arg, "-s") == 0) {
            if (!ReadSize(value, &line->width, &line->height)) {
                return refuse("A size is WxH, such as 1920x1080", value);
            }
            if (const char* refused = CheckSizeEntry(true, line->width, true, line->height, FrameSizeMessages)) {
                return refuse(refused, value);
            }
            line->hasSize = true;
        } else if (strcmp(arg, "-l") == 0) {
            char word[24];
            if (!LowerWord(value, word, sizeof word) || !LayoutForWord(word, &line->layout)) {
                return refuse("Unknown layout", value);
            }
            line->hasLayout = true;
        } else if (strcmp(arg, "-r") == 0) {
            if (strlen(value) >= sizeof line->rateText) {
                return refuse("Invalid sequence frame rate!", value);
            }
            if (const char* refused = CheckFrameRateEntry(value)) {
                return refuse(refused, value);
            }
            snprintf(line->rateText, sizeof line->rateText, "%s", value);
            line->hasRate = true;
        } else if (strcmp(arg, "--header") == 0) {
            if (!ReadNumber(value, &line->header)) {
                return refuse("A header is a number of bytes", value);
            }
            line->hasHeader = true;
        } else if (strcmp(arg, "--from-name") == 0) {
            line->fromName = true;
        } else if (toolOption && strcmp(arg, "-o") == 0) {
            line->output = value;
        } else if (toolOption && strcmp(arg, "--metrics") == 0) {
            if (!ReadMetrics(value, &line->psnr, &line->ssim)) {
                return refuse("Metrics are psnr, ssim or psnr,ssim", value);
            }
        } else if (toolOption) {
            if (!ReadFrames(value, &line->first, &line->count)) {
                return refuse("Frames are FIRST:COUNT, such as 0:60", value);
            }
            line->hasFrames = true;
        } else if (arg[0] == '-' && arg[1] != '\0') {
            return refuse("Unknown option", arg);
        } else if (files == 2) {
            return refuse("More than two files", arg);
        } else {
            line->files[files++] = arg;
        }
    }
    if (tool && files < 2) {
        return refuse(files ? "Sequence B is missing" : "Sequences A and B are missing", nullptr);
    }
    return 1;
}
