// Showing sequence frames and opened images through the display library.
#ifndef VORLEX_SHOW_FRAMES_H
#define VORLEX_SHOW_FRAMES_H

#include <windows.h>

#include "player_state.h"

// Hands the frame in frameBuffer, laid out by `plan`, to the display library:
// YUV types with their colour planes made signed (or the neutral planes when
// `lumaOnly`), gray as 4:4:4 with the neutral planes, RGB and BGR through the
// image path.
void ShowFrameBuffer(HWND window, uint32_t type, uint32_t width, uint32_t height,
                     const FramePlan& plan, bool lumaOnly);

// The opened image of kind 1 (bitmap), 2 (MMP) or 3 (raw). Every file is
// checked against its size before anything is shown: a file that fails a
// check is reported and the window keeps its picture.
void ShowOpenedImage(HWND window, int kind);

#endif
