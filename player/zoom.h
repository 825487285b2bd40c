// Zoom of the sequence picture: ½ (each shown pixel the rounded mean of 2 x 2
// converted pixels), 1, and 2, 4 and 8 (nearest neighbour); how a zoomed
// window fits the screen's work area; and where a point of the zoomed
// picture lies in the frame.
#ifndef VORLEX_ZOOM_H
#define VORLEX_ZOOM_H

#include <stddef.h>
#include <stdint.h>

// In the order of the menu: each step doubles the size.
enum Zoom { ZOOM_HALF, ZOOM_1, ZOOM_2, ZOOM_4, ZOOM_8, ZOOM_COUNT };

// The length `n` becomes at `zoom` (halved lengths round down).
uint32_t ZoomedLength(uint32_t n, uint32_t zoom);

// The frame coordinate under shown coordinate `shown`: at ½ the first of
// the two samples the shown pixel is made of.
uint32_t FrameCoordinate(uint32_t shown, uint32_t zoom);

// "1/2", "1", "2", "4" or "8".
const char* ZoomName(uint32_t zoom);

// The zoom a w x h frame is shown at when `chosen` is picked and the window's
// client area may be up to workWidth x workHeight: a zoom above 1 that does
// not fit goes down to the largest that does, never below 1; ½ and 1 stay as
// they are. A work area of 0 x 0 is unknown and limits nothing.
uint32_t FittingZoom(uint32_t chosen, uint32_t w, uint32_t h, uint32_t workWidth, uint32_t workHeight);

// Bytes of one row of a zoomed picture: 32-bit pixels (blue, green, red,
// zero), which the screen takes without converting them.
size_t ZoomedRowBytes(uint32_t zoomedWidth);

// Zooms a w x h picture of 24-bit pixels whose rows lie bottom-up `stride`
// bytes apart into `out` (ZoomedRowBytes x zoomed height bytes, bottom-up,
// 32-bit pixels). At 1 the pixels are only widened; at 1/2 an odd last row
// or column is left out.
void ZoomPicture(const uint8_t* in, uint32_t w, uint32_t h, size_t stride, uint32_t zoom, uint8_t* out);

#endif
