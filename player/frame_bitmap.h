// The bitmap file that "Save frame as bitmap..." writes for the frame in
// s.frameBuffer, laid out by the sequence settings.
#ifndef VORLEX_FRAME_BITMAP_H
#define VORLEX_FRAME_BITMAP_H

#include <stddef.h>
#include <stdint.h>

struct PlayerState;

// Its length: an 8-bit image with the gray palette for TYPE_GRAY, a 24-bit
// image for every other type, rows unpadded (frame widths are multiples of 4).
size_t FrameBitmapBytes(const PlayerState& s);

// Writes it, FrameBitmapBytes(s) long, at `image`: gray through the library's
// gray converter; RGB and BGR with the frame's own colours, reordered into
// bitmap order; YUV with its colour planes made signed in place, through the
// library's YUV conversion. The Y-only view does not apply.
void BuildFrameBitmap(PlayerState& s, uint8_t* image);

#endif
