// What a file's name tells the player.
#ifndef VORLEX_FILE_NAMES_H
#define VORLEX_FILE_NAMES_H

#include <stddef.h>
#include <stdint.h>

#include "frame_access.h"
#include "sequence_layout.h"

// Kind of an image file (ImageFileKind) from the extension of the path's
// last component (after the last backslash, slash or drive colon),
// case-insensitively: ".BMP" and ".DIB" are bitmaps, ".MMP" is MMP, anything
// else is raw.
int ClassifyImageFile(const char* path);

// What a file name can state about a sequence; each fact is read on its own.
struct NameSettings {
    bool hasSize;
    uint32_t width, height;
    int preset; // the preset the name named (FramePresets index), or -1
    bool hasRate;
    char rateText[16]; // the rate as written, e.g. "29.97"
    bool hasLayout;
    uint32_t type; // the sampling, an ImageType code: TYPE_YUV420 for "420"
    uint32_t bits; // significant bits per sample: 8, 10, 12 or 16
    SamplePacking packing;
};

// Reads the tokens of the last component of `path` (its extension left
// out): a size "WxH" or a preset word ("qcif", "cif", ..., or "720p" and
// "1080p"), a rate ("50fps", "29.97fps", "50Hz", or a bare number right
// after the size), a layout ("420", "422", "444", "411", "400"/"gray"/"y8",
// "rgb", "bgr", "nv12", "nv21", "p010", "yuyv"/"yuy2", "uyvy",
// "yuv420p10le"-style names, or a depth "10bit"/"10b" beside a sampling
// token). Tokens are separated by anything but letters and digits (a point
// between digits belongs to the number); words match whole and in any case.
// The first token of each kind counts. Returns non-zero when the name states
// anything.
int ReadNameSettings(const char* path, NameSettings* settings);

// What the title adds for settings taken from the name (or the `origin`
// given), e.g. " [1920x1080, 4:2:0 10-bit, 50 fps from the name]"; empty
// when the name stated nothing.
void DescribeNameSettings(const NameSettings& settings, char* text, size_t size, const char* origin = "the name");

#endif
