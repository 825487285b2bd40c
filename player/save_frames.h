// Saving a frame of the open sequence as raw bytes or as a bitmap file.
#ifndef VORLEX_SAVE_FRAMES_H
#define VORLEX_SAVE_FRAMES_H

#include <windows.h>

// "Save frame as raw..." (asBitmap false) or "Save frame as bitmap...": asks
// for the frame and the file, writes it, then shows that frame. A missing
// frame or a file that cannot be written is reported and nothing is left on
// disk.
void SaveFrame(HWND window, bool asBitmap);

#endif
