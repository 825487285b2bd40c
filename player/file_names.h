// What a file's name tells the player.
#ifndef VORLEX_FILE_NAMES_H
#define VORLEX_FILE_NAMES_H

#include "frame_access.h"

// Kind of an image file (ImageFileKind) from the extension of the path's
// last component (after the last backslash, slash or drive colon),
// case-insensitively: ".BMP" and ".DIB" are bitmaps, ".MMP" is MMP, anything
// else is raw.
int ClassifyImageFile(const char* path);

#endif
