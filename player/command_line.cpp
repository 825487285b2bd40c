#include "command_line.h"

#include <stdio.h>
#include <string.h>

#include "option_rules.h"

const char* const CommandLineUsage =
    "Usage: vorlex.exe [options] [A [B]]\n"
    "  A            a sequence or image to open, as a dropped file opens\n"
    "  B            a sequence to compare with A\n"
    "  -s WxH       frame size (1920x1080)\n"
    "  -l LAYOUT    layout: 420, 422, 444, 411, gray, rgb, bgr, nv12, nv21,\n"
    "               p010, yuyv, uyvy, yuv420p10le and the like\n"
    "  -r RATE      frame rate (29.97)\n"
    "  --header N   bytes before the first frame of a raw sequence\n"
    "  --from-name  take size, layout and rate from file names\n"
    "  --           what follows are files, even if they start with -";

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

// "WxH" (or "WXH").
bool ReadSize(const char* text, uint32_t* w, uint32_t* h) {
    const char* x = strpbrk(text, "xX");
    if (!x || x == text || static_cast<size_t>(x - text) > 10) {
        return false;
    }
    char width[12];
    memcpy(width, text, static_cast<size_t>(x - text));
    width[x - text] = '\0';
    return ReadNumber(width, w) && ReadNumber(x + 1, h);
}

int Refuse(char* message, size_t size, const char* what, const char* argument) {
    if (size) {
        snprintf(message, size, "%s%s%s\n\n%s", what, argument ? ": " : "", argument ? argument : "",
                 CommandLineUsage);
    }
    return 0;
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

int ParseCommandLine(int argc, const char* const* argv, CommandLine* line, char* message, size_t size) {
    memset(line, 0, sizeof *line);
    if (size) {
        message[0] = '\0';
    }
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
                return Refuse(message, size, "More than two files", arg);
            }
            line->files[files++] = arg;
            continue;
        }
        const bool takesValue =
            strcmp(arg, "-s") == 0 || strcmp(arg, "-l") == 0 || strcmp(arg, "-r") == 0 || strcmp(arg, "--header") == 0;
        if (takesValue && i + 1 >= argc) {
            return Refuse(message, size, "A value must follow", arg);
        }
        const char* value = takesValue ? argv[++i] : nullptr;
        if (strcmp(arg, "-s") == 0) {
            if (!ReadSize(value, &line->width, &line->height)) {
                return Refuse(message, size, "A size is WxH, such as 1920x1080", value);
            }
            if (const char* refused = CheckSizeEntry(true, line->width, true, line->height, FrameSizeMessages)) {
                return Refuse(message, size, refused, value);
            }
            line->hasSize = true;
        } else if (strcmp(arg, "-l") == 0) {
            char word[24];
            if (!LowerWord(value, word, sizeof word) || !LayoutForWord(word, &line->layout)) {
                return Refuse(message, size, "Unknown layout", value);
            }
            line->hasLayout = true;
        } else if (strcmp(arg, "-r") == 0) {
            if (strlen(value) >= sizeof line->rateText) {
                return Refuse(message, size, "Invalid sequence frame rate!", value);
            }
            if (const char* refused = CheckFrameRateEntry(value)) {
                return Refuse(message, size, refused, value);
            }
            snprintf(line->rateText, sizeof line->rateText, "%s", value);
            line->hasRate = true;
        } else if (strcmp(arg, "--header") == 0) {
            if (!ReadNumber(value, &line->header)) {
                return Refuse(message, size, "A header is a number of bytes", value);
            }
            line->hasHeader = true;
        } else if (strcmp(arg, "--from-name") == 0) {
            line->fromName = true;
        } else if (arg[0] == '-' && arg[1] != '\0') {
            return Refuse(message, size, "Unknown option", arg);
        } else if (files == 2) {
            return Refuse(message, size, "More than two files", arg);
        } else {
            line->files[files++] = arg;
        }
    }
    return 1;
}
